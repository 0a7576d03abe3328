#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <QRect>
#include <QWidget>

#include "support/ScreenSaverInhibitor.h"

class BitmapButton;
class CopyCutGuide;
class TVideoWindow;
class MpvPlayer;
class PreviewPlayer;
class QLabel;
class TrimBar;
class TrimBarView;
struct TrimBarState;
enum class ButtonArt;

// Where the preview's controls stand, in pixels of the panel at its smallest: the video window on top,
// the trim bar under it, then the player's shelf of two rows. The main window's background draws the
// screen's bezel, the bar's groove and the shelf around these places. A larger panel gives the extra
// room to the video window; the bar and the shelf keep their size, centred under it.
namespace PreviewPanelLayout {

inline constexpr QSize Size(260, 232);
inline constexpr QRect DSVideoWindowEx1(0, 0, 260, 146); // 16:9, as the logo
inline constexpr QRect Panel1(0, 154, 260, 19);
inline constexpr QRect btnPlay(0, 180, 30, 24);
inline constexpr QRect btnPause(34, 180, 30, 24);
inline constexpr QRect btnStop(68, 180, 30, 24);
inline constexpr QRect btnSetStart(110, 180, 30, 24);
inline constexpr QRect btnSetEnd(144, 180, 30, 24);
inline constexpr QRect pnlCurTime(180, 180, 80, 24);
inline constexpr QRect btnBack10(0, 208, 40, 24);
inline constexpr QRect btnBack1(44, 208, 40, 24);
inline constexpr QRect btnPictureBack(88, 208, 40, 24);
inline constexpr QRect btnPictureForward(132, 208, 40, 24);
inline constexpr QRect btnForward1(176, 208, 40, 24);
inline constexpr QRect btnForward10(220, 208, 40, 24);

} // namespace PreviewPanelLayout

// The preview on the main window: the video window, the trim bar Panel1 under it, the clock
// pnlCurTime and the player's buttons. A view over PreviewPlayer and TrimBar; it holds the screen
// saver off while a file plays.
class TPreviewPanel final : public QWidget {
    Q_OBJECT

public:
    using CommandRunner = std::function<void(const std::function<void()>&)>;

    TPreviewPanel(PreviewPlayer& player, TrimBar& bar, TrimBarState& state, MpvPlayer& media,
                  CommandRunner runCommand, QWidget* parent = nullptr);
    ~TPreviewPanel() override;

    // The player's keys beyond the main window's Ctrl shortcuts, all with Alt: Home and End set the
    // start and the end here, Left and Right step one second (ten with Shift), comma and period one
    // picture, the brackets to the previous and the next key frame. True when the key was one of them.
    bool HandleKey(int key, Qt::KeyboardModifiers modifiers);

    // Where the key frames come from while the output type copies the streams; null (the default):
    // the key-frame steps do nothing.
    void SetCopyCutGuide(const CopyCutGuide* guide) { m_guide = guide; }
    // The paused preview moves to the previous or the next key frame of its file, when there is one.
    void StepKeyFrame(bool forward);

    // Null where the platform cannot show OpenGL widgets; the logo alone stands in its place.
    TVideoWindow* DSVideoWindowEx1 = nullptr;
    TrimBarView* Panel1 = nullptr;
    QLabel* pnlCurTime = nullptr;
    // Over the video window: why the chosen file shows nothing; hidden while there is no such word.
    QLabel* lblPreviewMessage = nullptr;
    BitmapButton* btnPlay = nullptr;
    BitmapButton* btnPause = nullptr;
    BitmapButton* btnStop = nullptr;
    BitmapButton* btnSetStart = nullptr;
    BitmapButton* btnSetEnd = nullptr;
    BitmapButton* btnPictureBack = nullptr;
    BitmapButton* btnPictureForward = nullptr;
    BitmapButton* btnBack10 = nullptr;
    BitmapButton* btnBack1 = nullptr;
    BitmapButton* btnForward1 = nullptr;
    BitmapButton* btnForward10 = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMessage();
    void BuildClock();
    void BuildButtons();
    BitmapButton* Button(const char* name, ButtonArt art, const char* text, const char* hint,
                         const QRect& place, std::function<void()> command);
    void FollowPlayer();
    void Run(const std::function<void()>& command) const;
    void LayOut();

    PreviewPlayer& m_player;
    TrimBar& m_bar;
    TrimBarState& m_state;
    const CopyCutGuide* m_guide = nullptr;
    CommandRunner m_runCommand;
    ScreenSaverInhibitor m_screenSaver;
    QWidget* m_watchedWindow = nullptr; // the top-level window whose minimizing pauses playback
    QWidget* m_video = nullptr;         // the video window, or the logo in its place
    std::vector<std::pair<QWidget*, QRect>>
        m_shelf; // the bar, the clock and the buttons at their smallest places
};
