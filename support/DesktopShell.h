#pragma once

#include "support/SystemServices.h"

// The desktop's default handlers (xdg-open behind QDesktopServices). Needs a QGuiApplication.
class DesktopShell final : public Shell {
public:
    void OpenFolder(const std::string& folder) override;
    void OpenAddress(const std::string& address) override;
};
