#include "support/WindowCommand.h"

#include <exception>

#include <QCoreApplication>

void RunWindowCommand(const std::function<void()>& command) {
    if (!command)
        return;
    auto* report = dynamic_cast<CommandErrorReport*>(QCoreApplication::instance());
    if (report == nullptr) {
        command();
        return;
    }
    try {
        command();
    } catch (const std::exception& error) {
        report->ReportError(error.what());
    } catch (...) {
        report->ReportError("Unknown error.");
    }
}
