#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/common/TempDir.h"

// Helpers for tests that run real child processes.

// Checks `done` until it holds, or gives up after the bound: a child process gives no event to
// wait for, but a wait for one must end, and a test that gives up says so by the false it gets.
template <typename Done> bool Eventually(Done done, std::chrono::seconds bound = std::chrono::seconds(30)) {
    const auto until = std::chrono::steady_clock::now() + bound;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A live child of this test process: its id and the file name of its executable.
struct ProcessEntry {
    int64_t pid = 0;
    std::string exeName;
};

// The children of this test process, read from /proc, so that transcoders of other test programs
// running at the same time neither delay these tests nor get killed by them. Children that have
// ended but are not yet reaped (zombies) are not listed: they run no more.
class OwnChildrenTable {
public:
    std::optional<std::vector<ProcessEntry>> Snapshot() const {
        std::error_code error;
        std::filesystem::directory_iterator proc("/proc", error);
        if (error)
            return std::nullopt;
        std::vector<ProcessEntry> entries;
        for (const auto& entry : proc) {
            const int64_t pid = std::atoll(entry.path().filename().c_str());
            if (pid <= 0 || ParentOf(pid) != getpid() || !Alive(pid))
                continue;
            entries.push_back({pid, ExecutableName(entry.path())});
        }
        return entries;
    }
    // Kills a child of this test process (SIGKILL); true when the signal was delivered.
    bool Terminate(int64_t pid) const {
        return ParentOf(pid) == getpid() && kill(static_cast<pid_t>(pid), SIGKILL) == 0;
    }

    static int64_t ParentOf(int64_t pid) { return StateAndParent(pid).second; }

private:
    // The state letter and the parent of /proc/PID/stat, after the ")" that closes the command name.
    static std::pair<char, int64_t> StateAndParent(int64_t pid) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos)
            return {0, -1};
        char state = 0;
        long long parent = -1;
        if (std::sscanf(line.c_str() + close + 1, " %c %lld", &state, &parent) != 2)
            return {0, -1};
        return {state, parent};
    }
    static bool Alive(int64_t pid) {
        const char state = StateAndParent(pid).first;
        return state != 0 && state != 'Z' && state != 'X';
    }
    static std::string ExecutableName(const std::filesystem::path& folder) {
        // The kernel marks the link of a replaced or removed executable this way.
        constexpr std::string_view DeletedSuffix = " (deleted)";
        std::error_code error;
        std::string target = std::filesystem::read_symlink(folder / "exe", error).string();
        if (target.ends_with(DeletedSuffix))
            target.resize(target.size() - DeletedSuffix.size());
        return std::filesystem::path(target).filename().string();
    }
};

inline int OpenDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// True when this process has no child at all, ended or not.
inline bool NoChildLeft() {
    int status = 0;
    return waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

#ifdef RIVAMO_FAKE_TRANSCODER
// A program folder (with a blank in its name) holding the fake transcoder as "trenc" and "rtrenc".
class FakeProgramFolder {
public:
    FakeProgramFolder() : m_folder(m_dir.Folder() + "prog dir/") {
        std::filesystem::create_directories(m_folder);
        for (const char* name : {"trenc", "rtrenc"})
            std::filesystem::copy_file(RIVAMO_FAKE_TRANSCODER, m_folder + name);
    }
    // With the trailing "/".
    const std::string& Folder() const { return m_folder; }
    std::string WorkingFolder() const { return m_folder.substr(0, m_folder.size() - 1); }
    std::string Trenc() const { return m_folder + "trenc"; }
    const TempDir& Dir() const { return m_dir; }

private:
    TempDir m_dir;
    std::string m_folder;
};
#endif
