#pragma once

#include <cstddef>
#include <memory>
#include <string>

// A started transcoder process whose standard output and standard error arrive on one pipe. Every
// operation may be called from any thread. Destroying it closes every descriptor and reaps the
// child; a live child is not killed, and is reaped once it has ended, at the next start of a child.
class ChildProcess {
public:
    virtual ~ChildProcess() = default;
    // True while the process has not ended (reaps it once it has).
    virtual bool IsRunning() = 0;
    // How many bytes are waiting in the pipe, without reading them; never blocks.
    virtual std::size_t BytesWaiting() = 0;
    // Reads at most maxBytes of what is waiting; never waits for output that has not arrived.
    virtual std::string Read(std::size_t maxBytes) = 0;
    // Asks the process to end (it may finish what it writes first) or ends it at once. Only this
    // process is signalled, and nothing happens once it has ended and been reaped.
    virtual void AskToEnd() = 0;
    virtual void Kill() = 0;
    // The signal that ended the process, once it has been reaped; 0 when it exited by itself.
    virtual int EndSignal() const { return 0; }
};

// Starts exactly the executable it is given, by its path (no search along the path, none for a
// shorter prefix of a path with blanks), with the arguments split from `arguments` by
// SplitCommandLine, in its own session, in the working folder given, standard input a pipe that is
// never written, no other inherited descriptor.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Null when the pipes or the process could not be created; nothing is left running then.
    virtual std::unique_ptr<ChildProcess> Start(const std::string& executable, const std::string& arguments,
                                                const std::string& workingFolder) = 0;
};
