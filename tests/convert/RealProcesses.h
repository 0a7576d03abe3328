#pragma once

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/LinuxProcessTable.h"
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

// The system's process table narrowed to the children of this test process, so that transcoders of
// other test programs running at the same time neither delay these tests nor get killed by them.
class OwnChildrenTable final : public ProcessTable {
public:
    std::optional<std::vector<ProcessEntry>> Snapshot() override {
        auto all = m_system.Snapshot();
        if (!all)
            return all;
        std::erase_if(*all, [](const ProcessEntry& entry) { return ParentOf(entry.pid) != getpid(); });
        return all;
    }
    bool Terminate(int64_t pid) override { return ParentOf(pid) == getpid() && m_system.Terminate(pid); }

    static int64_t ParentOf(int64_t pid) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos)
            return -1;
        char state = 0;
        long long parent = -1;
        if (std::sscanf(line.c_str() + close + 1, " %c %lld", &state, &parent) != 2)
            return -1;
        return parent;
    }

private:
    LinuxProcessTable m_system;
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
