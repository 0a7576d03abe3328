#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One entry of a process snapshot: the id and the executable's file name.
struct ProcessEntry {
    int64_t pid = 0;
    std::string exeName;
};

// The running processes of the system. The Linux implementation scans /proc.
class ProcessTable {
public:
    virtual ~ProcessTable() = default;
    // All processes in listing order; no value when the snapshot failed.
    virtual std::optional<std::vector<ProcessEntry>> Snapshot() = 0;
    // Ends the process at once (SIGKILL); true when the signal was delivered.
    virtual bool Terminate(int64_t pid) = 0;
};
