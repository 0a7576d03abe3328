#include "app/FlashForm.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include "app/RivamoApplication.h"

namespace {

constexpr int Timer1IntervalMs = 250;
constexpr int Timer2IntervalMs = 1000;
constexpr const char* SplashName = "Rivamo";

} // namespace

TFrmFlashForm::TFrmFlashForm(const QImage& picture, std::function<void()> initialize, int minimumTicks,
                             QWidget* owner)
    : QDialog(owner, Qt::SplashScreen | Qt::FramelessWindowHint), m_initialize(std::move(initialize)),
      m_minimumTicks(minimumTicks) {
    setObjectName(QStringLiteral("FrmFlashForm"));
    setWindowTitle(QString::fromLatin1(SplashName));
    setAccessibleName(windowTitle());
    setModal(true);

    ImgFlash = new QLabel(this);
    ImgFlash->setObjectName(QStringLiteral("ImgFlash"));
    ImgFlash->setAccessibleName(windowTitle());
    ImgFlash->setPixmap(QPixmap::fromImage(picture));
    ImgFlash->move(0, 0);
    ImgFlash->resize(picture.size());
    setFixedSize(picture.size());

    Timer1 = new QTimer(this);
    Timer1->setInterval(Timer1IntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TFrmFlashForm::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setInterval(Timer2IntervalMs);
    connect(Timer2, &QTimer::timeout, this, &TFrmFlashForm::Timer2Timer);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
}

// A loop of its own that ends on finished(), rather than QDialog::exec(): a dialog that is hidden
// before exec's loop has started never leaves that loop, because every later accept() finds it
// hidden already and does not end the loop.
void TFrmFlashForm::RunModal() {
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    setModal(true);
    show();
    if (!m_closed)
        loop.exec(QEventLoop::DialogExec);
}

void TFrmFlashForm::showEvent(QShowEvent* event) {
    TickCount = 0;
    Timer1->start();
    Timer2->start();
    QDialog::showEvent(event);
}

// The first tick initialises the program. The splash then stays until the tick count is due; the
// waiting is done by Timer2's ticks in the dialog's own loop rather than by a busy loop.
void TFrmFlashForm::Timer1Timer() {
    Timer1->stop();
    RivamoApplication::RunCommand(m_initialize);
    m_initialized = true;
    CloseWhenDue();
}

void TFrmFlashForm::Timer2Timer() {
    ++TickCount;
    CloseWhenDue();
}

void TFrmFlashForm::CloseWhenDue() {
    if (m_closed || !m_initialized || TickCount < m_minimumTicks)
        return;
    m_closed = true;
    Timer2->stop();
    accept();
}
