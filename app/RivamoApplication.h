#pragma once

#include <functional>

#include <QApplication>

class MessageBoxPresenter;

// The application object. It is the program's general error report: an exception that an event
// handler lets through ends that handler, its text is shown in an error box captioned "Rivamo",
// and the program goes on.
class RivamoApplication : public QApplication {
    Q_OBJECT

public:
    RivamoApplication(int& argc, char** argv);

    // Where the error report shows its box; without one it writes the text to standard error.
    void SetErrorPresenter(MessageBoxPresenter* presenter) { m_errorPresenter = presenter; }

    bool notify(QObject* receiver, QEvent* event) override;

    // Runs a command of a window and gives an exception it lets through to the error report right
    // there, so that it never has to unwind through Qt's own event code. Outside a
    // RivamoApplication the exception goes on to the caller.
    static void RunCommand(const std::function<void()>& command);

private:
    void ReportError(const char* text);

    MessageBoxPresenter* m_errorPresenter = nullptr;
};
