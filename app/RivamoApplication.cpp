#include "app/RivamoApplication.h"

#include <clocale>
#include <exception>
#include <iostream>

#include <QIcon>

#include "support/MessageBoxes.h"

namespace {
constexpr const char* ApplicationTitle = "Rivamo";
}

RivamoApplication::RivamoApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(ApplicationTitle);
    // Window captions stand as the windows set them; without this the platform would append the
    // application's name to every caption ("Converting — Rivamo").
    setApplicationDisplayName(QString());
    // The desktop entry, the icons and the metainfo are all named after the application id.
    setDesktopFileName(QStringLiteral(RIVAMO_APP_ID));
    setWindowIcon(QIcon::fromTheme(QStringLiteral(RIVAMO_APP_ID)));
    // Numbers in texts (progress lines, INI values) are read and written with "." whatever the
    // user's locale says; Qt sets the locale from the environment when the application is made.
    std::setlocale(LC_NUMERIC, "C");
}

bool RivamoApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportError(error.what());
    } catch (...) {
        ReportError("Unknown error.");
    }
    return false;
}

void RivamoApplication::ReportError(const char* text) {
    if (m_errorPresenter == nullptr) {
        std::cerr << ApplicationTitle << ": " << text << '\n';
        return;
    }
    m_errorPresenter->Show(text, MessageIcon::Error, MessageButtons::Ok);
}
