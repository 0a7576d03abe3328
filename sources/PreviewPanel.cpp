#include "sources/PreviewPanel.h"

#include <array>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "sources/MpvPlayer.h"
#include "sources/PreviewPlayer.h"
#include "sources/TrimBar.h"
#include "sources/TrimBarView.h"
#include "sources/VideoWindow.h"

namespace {

constexpr QSize MinimumVideoSize(280, 158);
constexpr int ClockWidth = 88;

} // namespace

TPreviewPanel::TPreviewPanel(PreviewPlayer& player, TrimBar& bar, TrimBarState& state, MpvPlayer& media,
                             CommandRunner runCommand, QWidget* parent)
    : QWidget(parent), m_player(player), m_bar(bar), m_state(state), m_runCommand(std::move(runCommand)) {
    setObjectName("panPreview");
    QWidget* video = nullptr;
    if (TVideoWindow::CanRunHere())
        video = DSVideoWindowEx1 = new TVideoWindow(media, this);
    else
        video = TVideoWindow::NewLogoPanel(this);
    video->setMinimumSize(MinimumVideoSize);
    video->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    Panel1 = new TrimBarView(bar, state, m_runCommand, this);

    pnlCurTime = new QLabel(QStringLiteral("00:00:00"), this);
    pnlCurTime->setObjectName("pnlCurTime");
    pnlCurTime->setAlignment(Qt::AlignCenter);
    pnlCurTime->setFixedWidth(ClockWidth);
    pnlCurTime->setAutoFillBackground(true);
    QPalette clockPalette = pnlCurTime->palette();
    clockPalette.setColor(QPalette::Window, Qt::black);
    clockPalette.setColor(QPalette::WindowText, Qt::white);
    pnlCurTime->setPalette(clockPalette);

    auto* barRow = new QHBoxLayout;
    barRow->addWidget(Panel1);
    barRow->addWidget(pnlCurTime);
    barRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(video, 1);
    layout->addLayout(barRow);
    layout->addWidget(BuildButtons());

    m_player.SetObserver([this] { FollowPlayer(); });
    m_state.observer = [this] { Panel1->FollowState(); };
    FollowPlayer();
}

TPreviewPanel::~TPreviewPanel() {
    m_player.SetObserver(nullptr);
    m_state.observer = nullptr;
}

QWidget* TPreviewPanel::BuildButtons() {
    auto* buttons = new QWidget(this);
    btnPlay = Button("btnPlay", "Play", "Ctrl + P", [this] { m_player.btnPlayClick(); });
    btnPause = Button("btnPause", "Pause", "Ctrl + U", [this] { m_player.btnPauseClick(); });
    btnStop = Button("btnStop", "Stop", "Ctrl + T", [this] { m_player.btnStopClick(); });
    btnSetStart = Button("btnSetStart", "Set start here", "Alt + Home", [this] { m_bar.SetStartHere(); });
    btnSetEnd = Button("btnSetEnd", "Set end here", "Alt + End", [this] { m_bar.SetEndHere(); });
    btnBack10 = Button("btnBack10", "-10 s", "Alt + Shift + Left", [this] { m_player.StepSeconds(-10); });
    btnBack1 = Button("btnBack1", "-1 s", "Alt + Left", [this] { m_player.StepSeconds(-1); });
    btnPictureBack =
        Button("btnPictureBack", "< Picture", "Alt + ,", [this] { m_player.StepPicture(false); });
    btnPictureForward =
        Button("btnPictureForward", "Picture >", "Alt + .", [this] { m_player.StepPicture(true); });
    btnForward1 = Button("btnForward1", "+1 s", "Alt + Right", [this] { m_player.StepSeconds(1); });
    btnForward10 =
        Button("btnForward10", "+10 s", "Alt + Shift + Right", [this] { m_player.StepSeconds(10); });

    auto* grid = new QGridLayout(buttons);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(2);
    const std::array<QPushButton*, 5> upper = {btnPlay, btnPause, btnStop, btnSetStart, btnSetEnd};
    const std::array<QPushButton*, 6> lower = {btnBack10,         btnBack1,    btnPictureBack,
                                               btnPictureForward, btnForward1, btnForward10};
    for (std::size_t i = 0; i < upper.size(); ++i)
        grid->addWidget(upper[i], 0, static_cast<int>(i));
    auto* steps = new QHBoxLayout;
    steps->setSpacing(2);
    for (QPushButton* button : lower)
        steps->addWidget(button);
    grid->addLayout(steps, 1, 0, 1, static_cast<int>(upper.size()));
    return buttons;
}

QPushButton* TPreviewPanel::Button(const char* name, const char* text, const char* hint,
                                   std::function<void()> command) {
    auto* button = new QPushButton(QString::fromLatin1(text), this);
    button->setObjectName(name);
    button->setAccessibleName(button->text());
    button->setToolTip(QString::fromLatin1(hint));
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, [this, command = std::move(command)] { Run(command); });
    return button;
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
    if (DSVideoWindowEx1 != nullptr)
        DSVideoWindowEx1->ShowLogo(m_player.LogoShown());
    m_screenSaver.Hold(m_player.PreviewPlaying());
    const bool paused = m_player.IsPaused();
    for (QPushButton* step :
         {btnBack10, btnBack1, btnPictureBack, btnPictureForward, btnForward1, btnForward10})
        step->setEnabled(paused);
    const bool loaded = !m_player.PreviewPath().empty();
    btnSetStart->setEnabled(loaded);
    btnSetEnd->setEnabled(loaded);
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
    if (!command)
        return false;
    Run(command);
    return true;
}
