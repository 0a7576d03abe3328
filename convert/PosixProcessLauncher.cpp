#include "convert/PosixProcessLauncher.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/CommandLine.h"
#include "support/FileDescriptor.h"

extern char** environ;

namespace {

struct Pipe {
    FileDescriptor readEnd;
    FileDescriptor writeEnd;
};

std::optional<Pipe> MakePipe(int readFlags) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return std::nullopt;
    Pipe result{FileDescriptor(fds[0]), FileDescriptor(fds[1])};
    if (readFlags != 0 &&
        fcntl(result.readEnd.Get(), F_SETFL, fcntl(result.readEnd.Get(), F_GETFL) | readFlags) != 0)
        return std::nullopt;
    return result;
}

// posix_spawn's attribute and file-action objects, destroyed with their functions.
class SpawnSetup {
public:
    SpawnSetup() {
        m_ok = posix_spawnattr_init(&m_attributes) == 0;
        m_ok = posix_spawn_file_actions_init(&m_actions) == 0 && m_ok;
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&m_attributes);
        posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // The child: a new session, default signal handling and no blocked signals, standard input
    // from `input`, standard output and error to `output`, working folder `folder`, and no other
    // descriptor (the rest are O_CLOEXEC here, and closed there in any case).
    bool Prepare(int input, int output, const std::string& folder) {
        sigset_t defaults;
        sigset_t empty;
        sigemptyset(&empty);
        sigemptyset(&defaults);
        for (int signal : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD, SIGALRM, SIGUSR1, SIGUSR2})
            sigaddset(&defaults, signal);
        return m_ok &&
               posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF |
                                                           POSIX_SPAWN_SETSIGMASK) == 0 &&
               posix_spawnattr_setsigdefault(&m_attributes, &defaults) == 0 &&
               posix_spawnattr_setsigmask(&m_attributes, &empty) == 0 &&
               posix_spawn_file_actions_adddup2(&m_actions, input, STDIN_FILENO) == 0 &&
               posix_spawn_file_actions_adddup2(&m_actions, output, STDOUT_FILENO) == 0 &&
               posix_spawn_file_actions_adddup2(&m_actions, output, STDERR_FILENO) == 0 &&
               posix_spawn_file_actions_addclosefrom_np(&m_actions, STDERR_FILENO + 1) == 0 &&
               posix_spawn_file_actions_addchdir_np(&m_actions, folder.c_str()) == 0;
    }

    const posix_spawnattr_t* Attributes() const { return &m_attributes; }
    const posix_spawn_file_actions_t* Actions() const { return &m_actions; }

private:
    posix_spawnattr_t m_attributes;
    posix_spawn_file_actions_t m_actions;
    bool m_ok = false;
};

// Children given up while they still ran. No thread waits for them: each start of a child and each
// child given up reaps those that have ended since, so that none stays a zombie for long, and no
// thread of this kind is alive when the program ends (the leak check at exit stops every thread).
class Orphans {
public:
    void Add(pid_t pid) {
        const std::lock_guard lock(m_mutex);
        m_pids.push_back(pid);
        ReapEnded();
    }
    void Reap() {
        const std::lock_guard lock(m_mutex);
        ReapEnded();
    }

private:
    void ReapEnded() {
        std::erase_if(m_pids, [](pid_t pid) {
            int status = 0;
            pid_t result;
            do
                result = waitpid(pid, &status, WNOHANG);
            while (result < 0 && errno == EINTR);
            return result != 0; // reaped, or no longer ours to reap
        });
    }

    std::mutex m_mutex;
    std::vector<pid_t> m_pids;
};

Orphans& TheOrphans() {
    static Orphans orphans;
    return orphans;
}

class PosixChildProcess final : public ChildProcess {
public:
    PosixChildProcess(pid_t pid, FileDescriptor input, FileDescriptor output)
        : m_pid(pid), m_input(std::move(input)), m_output(std::move(output)) {}

    ~PosixChildProcess() override {
        m_output.Reset();
        m_input.Reset();
        if (IsRunning())
            TheOrphans().Add(m_pid);
    }

    bool IsRunning() override {
        const std::lock_guard lock(m_mutex);
        if (m_reaped)
            return false;
        int status = 0;
        pid_t result;
        do
            result = waitpid(m_pid, &status, WNOHANG);
        while (result < 0 && errno == EINTR);
        if (result == 0)
            return true;
        m_reaped = true;
        if (result == m_pid && WIFSIGNALED(status))
            m_endSignal = WTERMSIG(status);
        return false;
    }

    int EndSignal() const override { return m_endSignal; }

    std::size_t BytesWaiting() override {
        pollfd ready{m_output.Get(), POLLIN, 0};
        if (poll(&ready, 1, 0) <= 0 || (ready.revents & POLLIN) == 0)
            return 0;
        int waiting = 0;
        if (ioctl(m_output.Get(), FIONREAD, &waiting) != 0 || waiting < 0)
            return 0;
        return static_cast<std::size_t>(waiting);
    }

    std::string Read(std::size_t maxBytes) override {
        std::string buffer(maxBytes, '\0');
        ssize_t got;
        do
            got = read(m_output.Get(), buffer.data(), buffer.size());
        while (got < 0 && errno == EINTR);
        buffer.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return buffer;
    }

    void AskToEnd() override { Signal(SIGTERM); }
    void Kill() override { Signal(SIGKILL); }

private:
    // Under the same lock as the reaping: once the child is reaped its id may name another
    // process, which must never be signalled.
    void Signal(int signal) {
        const std::lock_guard lock(m_mutex);
        if (!m_reaped)
            kill(m_pid, signal);
    }

    std::mutex m_mutex;
    pid_t m_pid;
    bool m_reaped = false;
    std::atomic<int> m_endSignal{0};
    FileDescriptor m_input;  // write end of the child's standard input: kept open, never written
    FileDescriptor m_output; // read end of the child's standard output and error, non-blocking
};

} // namespace

std::unique_ptr<ChildProcess> PosixProcessLauncher::Start(const std::string& executablePath,
                                                          const std::string& argumentText,
                                                          const std::string& workingFolder) {
    TheOrphans().Reap();
    if (executablePath.empty())
        return nullptr;
    std::error_code error;
    // The child changes folder before exec: a relative path must not change its meaning.
    const std::string executable = std::filesystem::absolute(executablePath, error).string();
    if (error)
        return nullptr;

    std::vector<std::string> arguments = SplitCommandLine(argumentText);
    arguments.insert(arguments.begin(), executable);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    auto input = MakePipe(0);
    auto output = MakePipe(O_NONBLOCK);
    if (!input || !output)
        return nullptr;
    SpawnSetup setup;
    if (!setup.Prepare(input->readEnd.Get(), output->writeEnd.Get(), workingFolder))
        return nullptr;

    pid_t pid = 0;
    // posix_spawn reports a failed exec (and a failed chdir) as its result, after the child is gone.
    if (posix_spawn(&pid, executable.c_str(), setup.Actions(), setup.Attributes(), argv.data(), environ) != 0)
        return nullptr;
    return std::make_unique<PosixChildProcess>(pid, std::move(input->writeEnd), std::move(output->readEnd));
}
