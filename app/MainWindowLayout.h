#pragma once

#include <vector>

#include <QRect>
#include <QSize>

#include "widgets/PictureStretch.h"

// Where every control of the main window stands, in pixels of its background picture (which is the
// window: the frame has no border and no caption of its own). Controls that other parts of the window
// bring (the preview panel, Options and the output-folder buttons) have their places here too; the
// background picture is drawn around them.
//
// The window may grow beyond its minimum size. The preview and the grid take the extra room: the
// preview grows keeping the video's shape, up to half the extra height, and the grid takes the rest;
// every other control keeps its place relative to its corner of the window (the list's buttons to
// the grid's top right corner). The places below are those at the minimum size.
namespace MainWindowLayout {

inline constexpr QSize MinimumSize(686, 519);

// The frame.
inline constexpr QRect lblTitle(63, 32, 503, 27);
inline constexpr QRect btnWindowMinimize(572, 28, 25, 25);
inline constexpr QRect btnWindowMaximize(606, 28, 25, 25);
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

// The resize grip in the bottom right corner, inside the rounded outline.
inline constexpr QRect grpSize(662, 495, 14, 14);

// How much larger than its minimum the window is, and how much of that the preview takes.
struct Growth {
    int width = 0;
    int height = 0;
    int previewWidth = 0;
    int previewHeight = 0;
};
Growth GrowthFor(QSize size);

// How the background picture is stretched for a window of that growth: the preview's bezel and the
// grid's well grow, the trim bar's groove and the player's shelf stay centred under the preview.
std::vector<StretchBand> BackgroundStretch(const Growth& growth);

} // namespace MainWindowLayout
