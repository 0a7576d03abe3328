#pragma once

#include "support/ProcessTable.h"

// The process table of a Linux system, read from /proc. A process's name is the file name of its
// executable (/proc/PID/exe), or its command name (/proc/PID/comm) when the link cannot be read.
// Processes that have ended but are not yet reaped (zombies) are not listed: they run no more.
class LinuxProcessTable final : public ProcessTable {
public:
    std::optional<std::vector<ProcessEntry>> Snapshot() override;
    bool Terminate(int64_t pid) override;
};
