#include "sources/PreviewPanel.h"

#include <QEvent>
#include <QLabel>

#include "sources/CopyCutGuide.h"
#include "sources/MpvPlayer.h"
#include "sources/PreviewPlayer.h"
#include "sources/TrimBar.h"
#include "sources/TrimBarView.h"
#include "sources/VideoWindow.h"
#include "widgets/BitmapButton.h"

namespace Layout = PreviewPanelLayout;

TPreviewPanel::TPreviewPanel(PreviewPlayer& player, TrimBar& bar, TrimBarState& state, MpvPlayer& media,
                             CommandRunner runCommand, QWidget* parent)
    : QWidget(parent), m_player(player), m_bar(bar), m_state(state), m_runCommand(std::move(runCommand)) {
    setObjectName("panPreview");
    setMinimumSize(Layout::Size);
    if (TVideoWindow::CanRunHere())
        m_video = DSVideoWindowEx1 = new TVideoWindow(media, this);
    else
        m_video = TVideoWindow::NewLogoPanel(this);
    m_video->setGeometry(Layout::DSVideoWindowEx1);
    Panel1 = new TrimBarView(bar, state, m_runCommand, this);
    Panel1->setGeometry(Layout::Panel1);
    BuildClock();
    BuildButtons();
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (control != m_video)
            m_shelf.emplace_back(control, control->geometry());
    BuildMessage();
    resize(Layout::Size);
    LayOut();

    m_player.SetObserver([this] { FollowPlayer(); });
    m_state.observer = [this] { Panel1->FollowState(); };
    FollowPlayer();
}

TPreviewPanel::~TPreviewPanel() {
    m_player.SetObserver(nullptr);
    m_state.observer = nullptr;
}

// The message covers the middle third of the video window, whatever its size.
void TPreviewPanel::BuildMessage() {
    lblPreviewMessage = new QLabel(this);
    lblPreviewMessage->setObjectName("lblPreviewMessage");
    lblPreviewMessage->setAlignment(Qt::AlignCenter);
    lblPreviewMessage->setWordWrap(true);
    lblPreviewMessage->setAutoFillBackground(true);
}

void TPreviewPanel::BuildClock() {
    pnlCurTime = new QLabel(QStringLiteral("00:00:00"), this);
    pnlCurTime->setObjectName("pnlCurTime");
    pnlCurTime->setAlignment(Qt::AlignCenter);
    pnlCurTime->setGeometry(Layout::pnlCurTime);
    pnlCurTime->setAutoFillBackground(true);
    QPalette clockPalette = pnlCurTime->palette();
    clockPalette.setColor(QPalette::Window, Qt::black);
    clockPalette.setColor(QPalette::WindowText, Qt::white);
    pnlCurTime->setPalette(clockPalette);
}

void TPreviewPanel::BuildButtons() {
    btnPlay = Button("btnPlay", ButtonArt::Play, "Play", "Ctrl + P", Layout::btnPlay,
                     [this] { m_player.btnPlayClick(); });
    btnPause = Button("btnPause", ButtonArt::Pause, "Pause", "Ctrl + U", Layout::btnPause,
                      [this] { m_player.btnPauseClick(); });
    btnStop = Button("btnStop", ButtonArt::Stop, "Stop", "Ctrl + T", Layout::btnStop,
                     [this] { m_player.btnStopClick(); });
    btnSetStart = Button("btnSetStart", ButtonArt::MarkStart, "Set start here", "Set start here (Alt + Home)",
                         Layout::btnSetStart, [this] { m_bar.SetStartHere(); });
    btnSetEnd = Button("btnSetEnd", ButtonArt::MarkEnd, "Set end here", "Set end here (Alt + End)",
                       Layout::btnSetEnd, [this] { m_bar.SetEndHere(); });
    btnBack10 = Button("btnBack10", ButtonArt::Step, "-10 s", "Back 10 seconds (Alt + Shift + Left)",
                       Layout::btnBack10, [this] { m_player.StepSeconds(-10); });
    btnBack1 = Button("btnBack1", ButtonArt::Step, "-1 s", "Back 1 second (Alt + Left)", Layout::btnBack1,
                      [this] { m_player.StepSeconds(-1); });
    btnPictureBack =
        Button("btnPictureBack", ButtonArt::PictureBack, "Previous picture", "Previous picture (Alt + ,)",
               Layout::btnPictureBack, [this] { m_player.StepPicture(false); });
    btnPictureForward =
        Button("btnPictureForward", ButtonArt::PictureForward, "Next picture", "Next picture (Alt + .)",
               Layout::btnPictureForward, [this] { m_player.StepPicture(true); });
    btnForward1 = Button("btnForward1", ButtonArt::Step, "+1 s", "Forward 1 second (Alt + Right)",
                         Layout::btnForward1, [this] { m_player.StepSeconds(1); });
    btnForward10 =
        Button("btnForward10", ButtonArt::Step, "+10 s", "Forward 10 seconds (Alt + Shift + Right)",
               Layout::btnForward10, [this] { m_player.StepSeconds(10); });
}

BitmapButton* TPreviewPanel::Button(const char* name, ButtonArt art, const char* text, const char* hint,
                                    const QRect& place, std::function<void()> command) {
    BitmapButton* button =
        MakeBitmapButton(this, name, art, QString::fromLatin1(text), QString::fromLatin1(hint));
    button->setGeometry(place);
    // The player's keys work wherever the focus is; a click must not take it from the list.
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &BitmapButton::clicked, this, [this, command = std::move(command)] { Run(command); });
    return button;
}

void TPreviewPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOut();
}

void TPreviewPanel::LayOut() {
    const QSize extra = size() - Layout::Size;
    m_video->setGeometry(QRect(Layout::DSVideoWindowEx1.topLeft(), Layout::DSVideoWindowEx1.size() + extra));
    for (const auto& [control, place] : m_shelf)
        control->setGeometry(place.translated(extra.width() / 2, extra.height()));
    const QRect video = m_video->geometry();
    lblPreviewMessage->setGeometry(video.adjusted(0, video.height() / 3, 0, -video.height() / 3));
}

void TPreviewPanel::Run(const std::function<void()>& command) const {
    if (m_runCommand)
        m_runCommand(command);
    else
        command();
}

void TPreviewPanel::FollowPlayer() {
    pnlCurTime->setText(QString::fromStdString(m_player.pnlCurTime()));
    pnlCurTime->setAccessibleName(pnlCurTime->text());
    lblPreviewMessage->setText(QString::fromStdString(m_player.PanelMessage()));
    lblPreviewMessage->setAccessibleName(lblPreviewMessage->text());
    lblPreviewMessage->setVisible(!m_player.PanelMessage().empty());
    lblPreviewMessage->raise();
    if (DSVideoWindowEx1 != nullptr)
        DSVideoWindowEx1->ShowLogo(m_player.LogoShown());
    m_screenSaver.Hold(m_player.PreviewPlaying());
    const bool paused = m_player.IsPaused();
    for (BitmapButton* step :
         {btnBack10, btnBack1, btnPictureBack, btnPictureForward, btnForward1, btnForward10})
        step->setEnabled(paused);
    const bool loaded = !m_player.PreviewPath().empty() && !m_player.IsLoading();
    btnSetStart->setEnabled(loaded);
    btnSetEnd->setEnabled(loaded);
}

// The panel learns its window once it is shown in it; playback follows that window's minimizing.
void TPreviewPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (window() == m_watchedWindow || window() == this)
        return;
    if (m_watchedWindow != nullptr)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = window();
    m_watchedWindow->installEventFilter(this);
}

bool TPreviewPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedWindow && event->type() == QEvent::WindowStateChange)
        Run([this] { m_player.WindowMinimized(m_watchedWindow->isMinimized()); });
    return QWidget::eventFilter(watched, event);
}

bool TPreviewPanel::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool alt = held == Qt::AltModifier;
    const bool altShift = held == (Qt::AltModifier | Qt::ShiftModifier);
    std::function<void()> command;
    if (alt && key == Qt::Key_Home)
        command = [this] { m_bar.SetStartHere(); };
    else if (alt && key == Qt::Key_End)
        command = [this] { m_bar.SetEndHere(); };
    else if ((alt || altShift) && (key == Qt::Key_Left || key == Qt::Key_Right))
        command = [this, seconds = (key == Qt::Key_Left ? -1 : 1) * (altShift ? 10 : 1)] {
            m_player.StepSeconds(seconds);
        };
    else if (alt && (key == Qt::Key_Comma || key == Qt::Key_Period))
        command = [this, forward = key == Qt::Key_Period] { m_player.StepPicture(forward); };
    else if (alt && (key == Qt::Key_BracketLeft || key == Qt::Key_BracketRight))
        command = [this, forward = key == Qt::Key_BracketRight] { StepKeyFrame(forward); };
    if (!command)
        return false;
    Run(command);
    return true;
}

void TPreviewPanel::StepKeyFrame(bool forward) {
    if (m_guide == nullptr || !m_player.IsPaused())
        return;
    if (const auto keyFrame =
            m_guide->NeighbourKeyFrameMs(m_player.PreviewPath(), m_player.CurrentMs(), forward))
        m_player.SeekPreview(*keyFrame);
}
