#pragma once

#include <functional>

#include <QWidget>

#include "support/ScreenSaverInhibitor.h"

class TVideoWindow;
class MpvPlayer;
class PreviewPlayer;
class QLabel;
class QPushButton;
class TrimBar;
class TrimBarView;
struct TrimBarState;

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
    // picture. True when the key was one of them.
    bool HandleKey(int key, Qt::KeyboardModifiers modifiers);

    // Null where the platform cannot show OpenGL widgets; the logo alone stands in its place.
    TVideoWindow* DSVideoWindowEx1 = nullptr;
    TrimBarView* Panel1 = nullptr;
    QLabel* pnlCurTime = nullptr;
    QPushButton* btnPlay = nullptr;
    QPushButton* btnPause = nullptr;
    QPushButton* btnStop = nullptr;
    QPushButton* btnSetStart = nullptr;
    QPushButton* btnSetEnd = nullptr;
    QPushButton* btnPictureBack = nullptr;
    QPushButton* btnPictureForward = nullptr;
    QPushButton* btnBack10 = nullptr;
    QPushButton* btnBack1 = nullptr;
    QPushButton* btnForward1 = nullptr;
    QPushButton* btnForward10 = nullptr;

private:
    QWidget* BuildButtons();
    QPushButton* Button(const char* name, const char* text, const char* hint, std::function<void()> command);
    void FollowPlayer();
    void Run(const std::function<void()>& command) const;

    PreviewPlayer& m_player;
    TrimBar& m_bar;
    TrimBarState& m_state;
    CommandRunner m_runCommand;
    ScreenSaverInhibitor m_screenSaver;
};
