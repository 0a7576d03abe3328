#pragma once

#include <functional>

#include <QApplication>

#include "support/WindowCommand.h"

class MessageBoxPresenter;

// The application object. It is the program's general error report: an exception that an event
// handler lets through ends that handler, its text is shown in an error box captioned "Rivamo",
// and the program goes on.
class RivamoApplication : public QApplication, public CommandErrorReport {
    Q_OBJECT

public:
    RivamoApplication(int& argc, char** argv);

    // Where the error report shows its box; without one it writes the text to standard error.
    void SetErrorPresenter(MessageBoxPresenter* presenter) { m_errorPresenter = presenter; }

    bool notify(QObject* receiver, QEvent* event) override;

    // Runs a command of a window through the error report (RunWindowCommand). Outside a
    // RivamoApplication the exception goes on to the caller.
    static void RunCommand(const std::function<void()>& command) { RunWindowCommand(command); }

    void ReportError(const char* text) override;

private:
    MessageBoxPresenter* m_errorPresenter = nullptr;
};
