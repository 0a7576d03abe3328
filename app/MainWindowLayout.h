#pragma once

#include <QRect>
#include <QSize>

// Where every control of the main window stands, in pixels of its background picture (which is the
// window: the frame has no border and no caption of its own). Controls that other parts of the window
// bring (the preview panel, Options and the output-folder buttons) have their places here too; the
// background picture is drawn around them.
namespace MainWindowLayout {

inline constexpr QSize MinimumSize(686, 519);

// The frame.
inline constexpr QRect lblTitle(63, 32, 537, 27);
inline constexpr QRect btnWindowMinimize(606, 28, 25, 25);
inline constexpr QRect btnWindowClose(640, 28, 25, 25);

// The product commands, in a row at the top right.
inline constexpr QRect btnHomePage(455, 80, 48, 48);
inline constexpr QRect btnEMail(509, 80, 48, 48);
inline constexpr QRect btnAbout(563, 80, 48, 48);
inline constexpr QRect btnHelp(617, 80, 48, 48);

// The preview column: the preview panel lays out its own controls (PreviewPanelLayout) over the
// screen's bezel, the trim bar's groove and the player's shelf that the background draws.
inline constexpr QRect pnlPreviewHost(21, 86, 260, 232);

// The output settings.
inline constexpr QPoint lblOutputFileTypeName(288, 136);
inline constexpr QPoint lblProfileSettings(291, 164);
inline constexpr QPoint lblOutputFolderInfo(298, 191);
inline constexpr QRect cbbOutputFiletype(368, 133, 297, 21);
inline constexpr QRect cbbProfile(368, 160, 217, 21);
inline constexpr QRect btnOptions(595, 160, 70, 20);
inline constexpr QRect edtOutputFolder(368, 188, 217, 21);
inline constexpr QRect RzBmpButton1(595, 188, 70, 20);
inline constexpr QRect btnSelectOutputFolder(595, 218, 29, 26); // hidden; reached through Ctrl+B
inline constexpr QRect chkShutdown(294, 226, 16, 17);
inline constexpr QPoint Label1(314, 228);
inline constexpr QRect chkShowOutputDirectory(294, 246, 15, 17);
inline constexpr QPoint Label2(314, 248);
inline constexpr QPoint Label3(296, 272);

// The source list and its commands.
inline constexpr QRect dxTreeSourceFileInfo(21, 334, 524, 164);
inline constexpr QRect btnOpenFile(555, 334, 110, 24);
inline constexpr QRect btnRemoveFile(555, 362, 53, 24);
inline constexpr QRect btnClearFile(612, 362, 53, 24);
inline constexpr QRect btnConvert(555, 391, 110, 40);
inline constexpr QRect btnAddFolder(555, 435, 110, 24);

} // namespace MainWindowLayout
