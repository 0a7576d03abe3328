#pragma once

#include "convert/ProcessLauncher.h"

// Starts child processes with posix_spawn: exactly the executable given (made absolute against the
// current folder), its arguments by SplitCommandLine; a new session; the working folder given; standard input
// the read end of a pipe that stays open and is never written; standard output and standard error one pipe;
// every other descriptor closed in the child.
class PosixProcessLauncher final : public ProcessLauncher {
public:
    std::unique_ptr<ChildProcess> Start(const std::string& executable, const std::string& arguments,
                                        const std::string& workingFolder) override;
};
