#include "sources/InitFileForm.h"

#include <array>
#include <utility>

#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include "sources/WindowPlacement.h"
#include "support/SystemServices.h"
#include "widgets/SkinPicture.h"

namespace {

constexpr const char* InstallingText = "Installing File...";
constexpr const char* BackgroundPicture = "busy-background";
// Two blanks stand between the text and the spinner's character.
constexpr std::array<const char*, TFrmInitFileForm::SpinnerSteps> SpinnerTexts = {
    "Installing File...  |", "Installing File...  /", "Installing File...  -", "Installing File...  \\"};

} // namespace

TFrmInitFileForm::TFrmInitFileForm(QWidget* owner, EventPump& pump)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_pump(pump) {
    setObjectName("FrmInitFileForm");
    setFixedSize(FormWidth, FormHeight);
    setModal(true);

    lblInfo = new QLabel(InstallingText, this);
    lblInfo->setObjectName("lblInfo");
    lblInfo->setAlignment(Qt::AlignCenter);
    QFont font("Arial");
    font.setBold(true);
    lblInfo->setFont(font);
    lblInfo->setStyleSheet("color: white; background: transparent;");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lblInfo);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(SpinnerIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TFrmInitFileForm::Timer1Timer);

    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setInterval(WorkDelayMs);
    connect(Timer2, &QTimer::timeout, this, &TFrmInitFileForm::Timer2Timer);
}

QString TFrmInitFileForm::SpinnerText(int counter) {
    return QString::fromLatin1(SpinnerTexts.at(static_cast<std::size_t>(counter - 1)));
}

void TFrmInitFileForm::ShowWhile(std::function<void()> work) {
    m_work = std::move(work);
    m_workError = nullptr;
    exec();
    m_work = nullptr;
    if (const std::exception_ptr error = std::exchange(m_workError, nullptr))
        std::rethrow_exception(error);
}

void TFrmInitFileForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnOwner(*this);
    m_counter = 1;
    Timer1->start();
    Timer2->start();
}

void TFrmInitFileForm::Timer1Timer() {
    m_pump.Pump();
    m_counter = m_counter % SpinnerSteps + 1;
    lblInfo->setText(SpinnerText(m_counter));
}

void TFrmInitFileForm::Timer2Timer() {
    m_pump.Pump();
    Timer2->stop();
    try {
        if (m_work)
            m_work();
    } catch (...) {
        // Raised again by ShowWhile once the popup is closed.
        m_workError = std::current_exception();
    }
    accept();
}

void TFrmInitFileForm::done(int result) {
    Timer1->stop();
    Timer2->stop();
    QDialog::done(result);
}

void TFrmInitFileForm::paintEvent(QPaintEvent*) {
    // The background picture stretched over the whole window.
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), SkinPixmap(QString::fromLatin1(BackgroundPicture), devicePixelRatioF()));
}
