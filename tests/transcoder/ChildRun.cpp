#include "tests/transcoder/ChildRun.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

class Pipe {
public:
    Pipe() {
        if (::pipe(m_fds) != 0)
            throw std::runtime_error("pipe failed");
    }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int Read() const { return m_fds[0]; }
    int Write() const { return m_fds[1]; }
    void CloseRead() { Close(m_fds[0]); }
    void CloseWrite() { Close(m_fds[1]); }

private:
    static void Close(int& fd) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    int m_fds[2] = {-1, -1};
};

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&m_actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&m_actions); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* Get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions;
};

} // namespace

ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments, int safetySeconds,
                     const std::function<void(int, const std::string&)>& onOutput) {
    Pipe pipe;
    SpawnActions actions;
    posix_spawn_file_actions_adddup2(actions.Get(), pipe.Write(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(actions.Get(), pipe.Write(), STDERR_FILENO);
    posix_spawn_file_actions_addclose(actions.Get(), pipe.Read());
    posix_spawn_file_actions_addopen(actions.Get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), actions.Get(), nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + program);
    pipe.CloseWrite();

    ChildResult result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(safetySeconds);
    char buffer[4096];
    while (true) {
        pollfd fd{pipe.Read(), POLLIN, 0};
        const int ready = ::poll(&fd, 1, 200);
        if (ready > 0) {
            const ssize_t count = ::read(pipe.Read(), buffer, sizeof buffer);
            if (count == 0)
                break;
            if (count > 0) {
                result.output.append(buffer, static_cast<size_t>(count));
                if (onOutput)
                    onOutput(pid, result.output);
            } else if (errno != EINTR) {
                break;
            }
        }
        if (std::chrono::steady_clock::now() > deadline && !result.killedAsHung) {
            ::kill(pid, SIGKILL);
            result.killedAsHung = true;
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exited = WIFEXITED(status);
    result.exitStatus = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return result;
}

std::string ProgramFolder() {
    const char* folder = std::getenv("RIVAMO_PROGRAM_DIR");
    return folder ? folder : RIVAMO_PROGRAM_DIR_DEFAULT;
}

std::string TrencPath() {
    return ProgramFolder() + "/trenc";
}
std::string RtrencPath() {
    return ProgramFolder() + "/rtrenc";
}

std::string LastLine(const std::string& output) {
    std::string text = output;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    const auto start = text.find_last_of("\r\n");
    return start == std::string::npos ? text : text.substr(start + 1);
}
