#include "support/LinuxProcessTable.h"

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <dirent.h>
#include <signal.h>
#include <sys/types.h>

namespace {

// The kernel marks the link of a replaced or removed executable this way.
constexpr std::string_view DeletedSuffix = " (deleted)";

std::optional<int64_t> PidOf(const char* entryName) {
    const std::string_view text(entryName);
    int64_t pid = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
    if (error != std::errc() || end != text.data() + text.size() || pid <= 0)
        return std::nullopt;
    return pid;
}

// The state letter of /proc/PID/stat: after the last ")" that closes the command name.
std::optional<char> StateOf(const std::string& folder) {
    std::ifstream stat(folder + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return std::nullopt;
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size())
        return std::nullopt;
    return line[close + 2];
}

std::string ExecutableName(const std::string& folder) {
    std::error_code error;
    std::string target = std::filesystem::read_symlink(folder + "/exe", error).string();
    if (!error && !target.empty()) {
        if (target.ends_with(DeletedSuffix))
            target.resize(target.size() - DeletedSuffix.size());
        return std::filesystem::path(target).filename().string();
    }
    std::ifstream comm(folder + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

} // namespace

std::optional<std::vector<ProcessEntry>> LinuxProcessTable::Snapshot() {
    const std::unique_ptr<DIR, DirCloser> proc(opendir("/proc"));
    if (!proc)
        return std::nullopt;
    std::vector<ProcessEntry> entries;
    while (const dirent* entry = readdir(proc.get())) {
        const auto pid = PidOf(entry->d_name);
        if (!pid)
            continue;
        const std::string folder = std::string("/proc/") + entry->d_name;
        const auto state = StateOf(folder);
        // No state: the process ended during the scan.
        if (!state || *state == 'Z' || *state == 'X')
            continue;
        std::string name = ExecutableName(folder);
        if (name.empty())
            continue;
        entries.push_back({*pid, std::move(name)});
    }
    return entries;
}

bool LinuxProcessTable::Terminate(int64_t pid) {
    if (pid <= 0)
        return false;
    return kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}
