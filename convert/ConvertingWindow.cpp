#include "convert/ConvertingWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/RivamoApplication.h"

namespace {

constexpr const char* Caption = "Converting";
constexpr QSize ClientSize(435, 222);
constexpr int SpinnerIntervalMs = 500;

QLabel* TextLabel(const char* text, QWidget* parent) {
    return new QLabel(QString::fromLatin1(text), parent);
}

QProgressBar* Bar(QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setTextVisible(false);
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
    lblInfo = new QLabel(this);
    lblInfo->setObjectName("lblInfo");
    lblCurConvertFileL = TextLabel("Current Convert File:", this);
    lblCurFileName = new QLabel(this);
    lblCurFileName->setObjectName("lblCurFileName");
    lblCurFileName->setTextFormat(Qt::PlainText);
    lblCurFileName->setMinimumWidth(1); // a long path must not widen the fixed-size window
    lblTotalFilr = TextLabel("Total File:", this);
    pbTotal = Bar(this);
    pbTotal->setObjectName("pbTotal");
    lblCurprog = TextLabel("Current File:", this);
    ProgressBar1 = Bar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    lblPersent = new QLabel(this);
    lblPersent->setObjectName("lblPersent");
    lblTimeLeft = new QLabel(this);
    lblTimeLeft->setObjectName("lblTimeLeft");
    btnStop = new QPushButton(QStringLiteral("Stop"), this);
    btnStop->setObjectName("btnStop");
    btnStop->setAutoDefault(false);
    connect(btnStop, &QPushButton::clicked, this, [this] { Run(m_handlers.btnStop1Click); });
    statState = new QStatusBar(this);
    statState->setObjectName("statState");
    statState->setSizeGripEnabled(false);
    statStatePanel = new QLabel(statState);
    statStatePanel->setTextFormat(Qt::PlainText);
    statStatePanel->setMinimumWidth(1);
    statState->addWidget(statStatePanel, 1);

    auto* barsLayout = new QGridLayout;
    barsLayout->addWidget(lblCurConvertFileL, 0, 0);
    barsLayout->addWidget(lblCurFileName, 0, 1);
    barsLayout->addWidget(lblTotalFilr, 1, 0);
    barsLayout->addWidget(pbTotal, 1, 1);
    barsLayout->addWidget(lblCurprog, 2, 0);
    barsLayout->addWidget(ProgressBar1, 2, 1);
    barsLayout->setColumnStretch(1, 1);

    auto* footLayout = new QHBoxLayout;
    footLayout->addWidget(lblPersent, 1);
    footLayout->addWidget(lblTimeLeft);
    footLayout->addWidget(btnStop);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblInfo);
    layout->addLayout(barsLayout);
    layout->addStretch(1);
    layout->addLayout(footLayout);
    layout->addWidget(statState);
    layout->setContentsMargins(12, 12, 12, 0);
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
    RivamoApplication::RunCommand(handler);
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
