#pragma once

#include "support/SystemServices.h"

// Power-off through systemd-logind on the system bus; memory trimming through the C library.
class LogindPower final : public Power {
public:
    // org.freedesktop.login1.Manager.PowerOff(false): not forced, so inhibitors can still refuse.
    bool PowerOff() override;
    // malloc_trim(0).
    void TrimMemory() override;
};
