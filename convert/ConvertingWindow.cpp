#include "convert/ConvertingWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

#include "support/WindowCommand.h"
#include "widgets/BitmapButton.h"
#include "widgets/SkinPicture.h"
#include "widgets/SkinnedFrame.h"

namespace {

constexpr const char* Caption = "Converting";
constexpr QSize ClientSize(435, 222);
constexpr int SpinnerIntervalMs = 500;

constexpr const char* BackgroundPicture = "progress-background";

// A label at a fixed place: a long text is cut at the label's edge instead of widening the window.
QLabel* PlacedLabel(const char* text, QWidget* parent, QRect place) {
    auto* label = new QLabel(text != nullptr ? QString::fromLatin1(text) : QString(), parent);
    label->setGeometry(place);
    return label;
}

QProgressBar* Bar(QWidget* parent, QRect place) {
    auto* bar = new QProgressBar(parent);
    bar->setTextVisible(false);
    bar->setGeometry(place);
    return bar;
}

// A bar with an empty range would turn into Qt's busy indicator; it is shown empty instead.
void ShowBar(QProgressBar& bar, const ProgressBarState& state) {
    if (state.maximum > state.minimum) {
        bar.setRange(state.minimum, state.maximum);
        bar.setValue(state.position);
    } else {
        bar.setRange(state.minimum, state.minimum + 1);
        bar.setValue(state.minimum);
    }
}

} // namespace

TfrmConverting::TfrmConverting(ConvertingState& state, QWidget* parent) : QDialog(parent), m_state(state) {
    setWindowTitle(QString::fromLatin1(Caption));
    setModal(false);
    BuildControls();
    setFixedSize(ClientSize);
    m_state.SetObserver([this] { ShowState(); });
    ShowState();

    // The spinner runs for the program's whole life, also while the window is hidden.
    tmrChanging = new QTimer(this);
    tmrChanging->setInterval(SpinnerIntervalMs);
    connect(tmrChanging, &QTimer::timeout, this, [this] { Run(m_handlers.tmrChangingTimer); });
    tmrChanging->start();
}

TfrmConverting::~TfrmConverting() {
    m_state.SetObserver(nullptr);
}

void TfrmConverting::BuildControls() {
    auto* background = new SkinnedFrame(QString::fromLatin1(BackgroundPicture), this);
    background->setGeometry(QRect(QPoint(0, 0), ClientSize));
    lblInfo = PlacedLabel(nullptr, background, {50, 11, 370, 22});
    lblInfo->setObjectName("lblInfo");
    lblCurConvertFileL = PlacedLabel("Current Convert File:", background, {26, 66, 110, 16});
    lblCurFileName = PlacedLabel(nullptr, background, {140, 66, 268, 16});
    lblCurFileName->setObjectName("lblCurFileName");
    lblCurFileName->setTextFormat(Qt::PlainText);
    lblTotalFilr = PlacedLabel("Total File:", background, {26, 96, 110, 16});
    pbTotal = Bar(background, {140, 97, 268, 14});
    pbTotal->setObjectName("pbTotal");
    lblCurprog = PlacedLabel("Current File:", background, {26, 126, 110, 16});
    ProgressBar1 = Bar(background, {140, 127, 268, 14});
    ProgressBar1->setObjectName("ProgressBar1");
    lblPersent = PlacedLabel(nullptr, background, {16, 172, 170, 16});
    lblPersent->setObjectName("lblPersent");
    // Beside the file counter, up to the stop button; the counter ("Current: 12, Total: 40") needs
    // less than half of the row.
    lblTimeLeft = PlacedLabel(nullptr, background, {190, 172, 136, 16});
    lblTimeLeft->setObjectName("lblTimeLeft");
    lblTimeLeft->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    btnStop = MakeBitmapButton(background, "btnStop", ButtonArt::DialogCommand, QStringLiteral("Stop"));
    btnStop->move(331, 166);
    connect(btnStop, &BitmapButton::clicked, this, [this] { Run(m_handlers.btnStop1Click); });
    statState = new QStatusBar(background);
    statState->setObjectName("statState");
    statState->setGeometry(0, 199, ClientSize.width(), ClientSize.height() - 199);
    statState->setSizeGripEnabled(false);
    statStatePanel = new QLabel(statState);
    statStatePanel->setTextFormat(Qt::PlainText);
    statStatePanel->setMinimumWidth(1);
    statState->addWidget(statStatePanel, 1);
}

void TfrmConverting::ShowState() {
    lblInfo->setText(QString::fromLocal8Bit(m_state.lblInfo));
    lblCurFileName->setText(QString::fromLocal8Bit(m_state.lblCurFileName));
    lblPersent->setText(QString::fromLocal8Bit(m_state.lblPersent));
    lblTimeLeft->setText(QString::fromLocal8Bit(m_state.lblTimeLeft));
    ShowBar(*pbTotal, m_state.pbTotal);
    ShowBar(*ProgressBar1, m_state.ProgressBar1);
    statStatePanel->setText(QString::fromLocal8Bit(m_state.statState));
}

void TfrmConverting::ShowCentredOn(const QWidget* owner) {
    if (isVisible())
        return;
    CentreOn(owner);
    show();
    // The frame's size is known only once the window is up.
    CentreOn(owner);
}

void TfrmConverting::CentreOn(const QWidget* owner) {
    if (owner == nullptr)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(owner->frameGeometry().center());
    move(frame.topLeft());
}

void TfrmConverting::Run(const std::function<void()>& handler) {
    RunWindowCommand(handler);
}

// The window hides whatever the handler decides.
void TfrmConverting::closeEvent(QCloseEvent* event) {
    Run(m_handlers.FormClose);
    hide();
    event->accept();
}

// Escape does not close the window; only a close does, through the question of the close handler.
void TfrmConverting::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
