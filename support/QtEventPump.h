#pragma once

#include "support/SystemServices.h"

// Pumping on Qt's main thread: lets every pending event run once.
class QtEventPump final : public EventPump {
public:
    void Pump() override;
};
