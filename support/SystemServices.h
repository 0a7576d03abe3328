#pragma once

#include <cstdint>
#include <string>

// Small interfaces through which the core reaches the desktop and the system. The Linux
// implementations live in the platform layer; unit tests use fakes.

// Lets pending window events run ("pump").
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void Pump() = 0;
};

// Time and sleeping, so that tests can run the fixed pauses faster.
class Clock {
public:
    virtual ~Clock() = default;
    virtual int64_t NowMs() = 0;
    virtual void SleepMs(int64_t milliseconds) = 0;
};

// The desktop's default handlers. Paths and addresses are passed as one argument, never through a shell.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a local folder, or a local file such as the manual, with its default handler.
    virtual void OpenFolder(const std::string& folder) = 0;
    virtual void OpenAddress(const std::string& address) = 0;
};

// Power and memory operations of the running system.
class Power {
public:
    virtual ~Power() = default;
    // Asks the system to power off (not forced); true when the request was accepted.
    virtual bool PowerOff() = 0;
    // Returns freed memory to the system.
    virtual void TrimMemory() = 0;
};
