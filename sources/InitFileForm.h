#pragma once

#include <exception>
#include <functional>
#include <string>

#include <QDialog>

#include "sources/OpenFilesCommand.h"

class QLabel;
class QTimer;
class EventPump;

// The busy popup TFrmInitFileForm: a small borderless window with a spinner text, shown modally
// while files are added. Timer2 starts the work once, 300 ms after showing; Timer1 turns the
// spinner every second meanwhile (it advances whenever the work lets events run).
class TFrmInitFileForm final : public QDialog, public BusyPopup {
    Q_OBJECT

public:
    static constexpr int FormWidth = 273;
    static constexpr int FormHeight = 45;
    static constexpr int SpinnerIntervalMs = 1000;
    static constexpr int WorkDelayMs = 300;
    static constexpr int SpinnerSteps = 4;

    // owner: the main window the popup is centred on.
    TFrmInitFileForm(QWidget* owner, EventPump& pump);

    // Shows the popup modally, runs the work from Timer2 and returns once the popup closed. An
    // error of the work closes the popup first and is raised here.
    void ShowWhile(std::function<void()> work) override;

    // The label's text for a spinner counter of 1 to 4.
    static QString SpinnerText(int counter);

    QLabel* lblInfo = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void done(int result) override;
    // The popup closes only by itself, once the work is done: Escape and the window's close are ignored.
    void reject() override {}

private:
    void Timer1Timer();
    void Timer2Timer();

    EventPump& m_pump;
    int m_counter = 1;
    std::function<void()> m_work;
    std::exception_ptr m_workError;
};
