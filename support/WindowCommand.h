#pragma once

#include <functional>

// The program's general error report, as the windows reach it: the application object implements
// it, so that a window of any subsystem reports through it without knowing the application.
class CommandErrorReport {
public:
    virtual void ReportError(const char* text) = 0;

protected:
    ~CommandErrorReport() = default;
};

// Runs a command of a window and gives an exception it lets through to the application's error
// report right there, so that it never has to unwind through Qt's own event code. When the
// application object is no CommandErrorReport the exception goes on to the caller.
void RunWindowCommand(const std::function<void()>& command);
