#pragma once

#include <functional>

#include <QDialog>
#include <QImage>

class QLabel;
class QTimer;

// The splash window TFrmFlashForm: no border, centred on the screen, the picture at its own size.
// Shown modally while the start-up initialisation runs; it closes at the later of the end of the
// initialisation and the second tick of Timer2.
class TFrmFlashForm : public QDialog {
    Q_OBJECT

public:
    // minimumTicks is the number of Timer2 ticks the splash stays up at least; the program uses 2.
    TFrmFlashForm(const QImage& picture, std::function<void()> initialize, int minimumTicks = 2,
                  QWidget* owner = nullptr);

    QLabel* ImgFlash = nullptr;
    QTimer* Timer1 = nullptr; // 250 ms, once: runs the initialisation
    QTimer* Timer2 = nullptr; // 1000 ms, counts the seconds the splash is up
    int TickCount = 0;

    // Shows the splash modally and returns once it has closed.
    void RunModal();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Timer1Timer();
    void Timer2Timer();
    void CloseWhenDue();

    std::function<void()> m_initialize;
    const int m_minimumTicks;
    bool m_initialized = false;
    bool m_closed = false;
};
