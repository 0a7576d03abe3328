#pragma once

#include <cstddef>
#include <memory>
#include <string>

// A started transcoder process whose standard output and standard error arrive on one pipe.
// Destroying it closes every descriptor and reaps the child (it does not kill a live child).
class ChildProcess {
public:
    virtual ~ChildProcess() = default;
    // True while the process has not ended (reaps it once it has).
    virtual bool IsRunning() = 0;
    // How many bytes are waiting in the pipe, without reading them; never blocks.
    virtual std::size_t BytesWaiting() = 0;
    // Reads at most maxBytes of what is waiting; never waits for output that has not arrived.
    virtual std::string Read(std::size_t maxBytes) = 0;
};

// Starts a command line as a child process: the executable found the way an unquoted path with
// blanks is found, the arguments split by SplitCommandLine, in its own session, working folder
// as given, standard input a pipe that is never written, no other inherited descriptor.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Null when the pipes or the process could not be created; nothing is left running then.
    virtual std::unique_ptr<ChildProcess> Start(const std::string& commandLine,
                                                const std::string& workingFolder) = 0;
};
