// The installed program started the way a desktop menu starts it: the build laid out by
// `cmake --install` in a fresh prefix, its desktop entry launched by GIO's launcher with the
// session's PATH and XDG_DATA_DIRS pointing into the prefix, its windows watched through the X server.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/ProductInfo.h"
#include "tests/common/TempDir.h"
#include "tests/common/XDesktop.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto StartTimeout = 60s;
constexpr auto EndTimeout = 30s;

// Starts a program without a shell, its output appended to `log`; its process id, or -1.
pid_t Spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
            const fs::path& log) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& variable : environment)
        envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits for a child to end; its exit code, or -1 when it did not end normally in time.
int WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > until)
            return -1;
        std::this_thread::sleep_for(20ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunToEnd(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
             const fs::path& log) {
    const pid_t pid = Spawn(arguments, environment, log);
    return pid > 0 ? WaitForExit(pid, StartTimeout) : -1;
}

std::vector<std::string> CurrentEnvironment() {
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable)
        variables.emplace_back(*variable);
    return variables;
}

// The environment with `name` set to `value`, or removed when the value is empty.
void Set(std::vector<std::string>& environment, const std::string& name, const std::string& value) {
    std::erase_if(environment, [&](const std::string& v) { return v.rfind(name + "=", 0) == 0; });
    if (!value.empty())
        environment.push_back(name + "=" + value);
}

// The keys of a desktop entry's main group.
std::map<std::string, std::string> DesktopEntry(const fs::path& file) {
    std::map<std::string, std::string> keys;
    std::ifstream in(file);
    std::string group;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with('['))
            group = line;
        else if (const auto equals = line.find('=');
                 group == "[Desktop Entry]" && equals != std::string::npos)
            keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return keys;
}

// Every entry below a folder with what a write would change: kind, size, modification time, target.
std::map<std::string, std::string> Listing(const fs::path& root) {
    std::map<std::string, std::string> listing;
    const auto describe = [&](const fs::path& path) {
        struct stat info {};
        lstat(path.c_str(), &info);
        std::string text = std::to_string(info.st_mode) + " " + std::to_string(info.st_size) + " " +
                           std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec);
        if (S_ISLNK(info.st_mode))
            text += " -> " + fs::read_symlink(path).string();
        listing[path.lexically_relative(root).string()] = text;
    };
    describe(root);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
        describe(entry.path());
    return listing;
}

// The entries that differ between two listings, each with what it was and what it became.
std::vector<std::string> Changes(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& after) {
    std::vector<std::string> changes;
    const auto note = [&](const std::string& path) {
        const auto was = before.find(path);
        const auto is = after.find(path);
        if (was == before.end() || is == after.end() || was->second != is->second)
            changes.push_back(path + ": " + (was != before.end() ? was->second : "(none)") + " => " +
                              (is != after.end() ? is->second : "(none)"));
    };
    for (const auto& [path, text] : before)
        note(path);
    for (const auto& [path, text] : after)
        if (!before.contains(path))
            note(path);
    return changes;
}

// The width and height a PNG file's header gives.
std::pair<int, int> PngSize(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char header[24] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    const auto word = [&](int at) {
        return header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3];
    };
    return {word(16), word(20)};
}

// The parent of a process, from /proc.
pid_t ParentOf(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind(')');
    return close == std::string::npos ? 0 : std::atoi(stat.c_str() + close + 4);
}

// While it lives, nothing below a folder can be written by its owner; gives the writes back after.
class ReadOnlyTree {
public:
    explicit ReadOnlyTree(fs::path root) : m_root(std::move(root)) { Change(fs::perm_options::remove); }
    ~ReadOnlyTree() { Change(fs::perm_options::add); }

private:
    void Change(fs::perm_options how) const {
        fs::permissions(m_root, fs::perms::owner_write, how);
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(m_root))
            if (!entry.is_symlink())
                fs::permissions(entry.path(), fs::perms::owner_write, how);
    }
    fs::path m_root;
};

class Install_DesktopLaunchTests : public testing::Test {
protected:
    void SetUp() override {
        if (!desktop.IsOpen())
            GTEST_SKIP() << "needs an X display (the test suite runs under xvfb-run)";
        if (geteuid() == 0 &&
            RunToEnd({"unshare", "--mount", "true"}, CurrentEnvironment(), log.Path() / "unshare.txt") != 0)
            GTEST_SKIP() << "the superuser needs a mount namespace to make the prefix read-only";
        // The launcher leaves the program to the init process; this test takes its place, so it can
        // see the program end and its exit code.
        ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        fs::permissions(runtime.Path(), fs::perms::owner_all);
        ASSERT_EQ(RunToEnd({RIVAMO_CMAKE, "--install", RIVAMO_BUILD_DIR, "--prefix", prefix.Path().string()},
                           CurrentEnvironment(), log.Path() / "install.txt"),
                  0)
            << TempDir::ReadFile(log.Path() / "install.txt");
    }

    // The environment of a desktop session that has the prefix among its programs and data.
    std::vector<std::string> SessionEnvironment() const {
        std::vector<std::string> environment = CurrentEnvironment();
        const char* path = std::getenv("PATH");
        Set(environment, "PATH", prefix.Folder() + "bin:" + (path != nullptr ? path : "/usr/bin:/bin"));
        Set(environment, "XDG_DATA_DIRS", prefix.Folder() + "share:/usr/local/share:/usr/share");
        Set(environment, "XDG_DATA_HOME", data.Path().string());
        Set(environment, "XDG_RUNTIME_DIR", runtime.Path().string());
        Set(environment, "HOME", home.Path().string());
        Set(environment, "QT_QPA_PLATFORM", "");
        Set(environment, "RIVAMO_PROGRAM_DIR", "");
        // libxkbcommon-x11 hands strndup a buffer without a terminating NUL, which strict string
        // checks of a sanitized build report although strndup never reads past its length.
        if (const char* asan = std::getenv("ASAN_OPTIONS"))
            Set(environment, "ASAN_OPTIONS", std::string(asan) + ":strict_string_checks=0");
        return environment;
    }

    // The launcher's command line. Permissions do not bind the superuser, so for it the prefix is
    // made read-only by a read-only mount, seen only by the launcher and the program it starts.
    std::vector<std::string> Launcher(const fs::path& entry) const {
        std::vector<std::string> command = {"gio", "launch", entry.string()};
        if (geteuid() == 0)
            command.insert(command.begin(),
                           {"unshare", "--mount", "sh", "-c",
                            R"(mount --bind "$0" "$0" && mount -o remount,bind,ro "$0" && exec "$@")",
                            prefix.Path().string()});
        return command;
    }

    // The program's windows: made by a process the launcher left to this test.
    std::vector<TopWindow> ProgramWindows() const {
        std::vector<TopWindow> windows = desktop.ViewableWindows();
        std::erase_if(windows, [](const TopWindow& w) {
            return w.pid <= 0 || ParentOf(w.pid) != getpid() || !w.name.starts_with("Rivamo");
        });
        return windows;
    }

    void TearDown() override {
        if (program > 0 && WaitForExit(program, 0ms) == -1) {
            kill(program, SIGKILL);
            WaitForExit(program, EndTimeout);
        }
    }

    static inline XDesktop desktop; // one connection: Xvfb resets itself when its last client goes
    TempDir prefix;
    TempDir data;
    TempDir home;
    TempDir runtime;
    TempDir log;
    pid_t program = 0;
    const std::string caption = "Rivamo " + VersionFromFileVersion(RIVAMO_PROJECT_VERSION);
};

TEST_F(Install_DesktopLaunchTests, TheMenuEntryStartsTheInstalledProgramWhichWritesOnlyToTheUsersDataFolder) {
    const fs::path entry = prefix.Path() / "share/applications" / (std::string(RIVAMO_APP_ID) + ".desktop");
    const auto keys = DesktopEntry(entry);
    ASSERT_EQ(keys.at("Icon"), RIVAMO_APP_ID);
    const fs::path icons = prefix.Path() / "share/icons/hicolor";
    EXPECT_GT(fs::file_size(icons / "scalable/apps" / (keys.at("Icon") + ".svg")), 0u);
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        EXPECT_EQ(PngSize(icons / folder / "apps" / (keys.at("Icon") + ".png")), std::make_pair(size, size));
    }

    const auto before = Listing(prefix.Path());
    {
        const ReadOnlyTree readOnly(prefix.Path());
        ASSERT_EQ(RunToEnd(Launcher(entry), SessionEnvironment(), log.Path() / "launch.txt"), 0)
            << TempDir::ReadFile(log.Path() / "launch.txt");
        const auto started = WaitForWindows([this] { return ProgramWindows(); },
                                            [](const auto& w) { return !w.empty(); }, StartTimeout);
        ASSERT_FALSE(started.empty()) << "no window of the launched program";
        program = static_cast<pid_t>(started.front().pid);
        EXPECT_NE(FindWindow(started, "Rivamo", true), nullptr) << "the splash comes first";

        const auto windows =
            WaitForWindows([this] { return ProgramWindows(); },
                           [&](const auto& w) { return FindWindow(w, caption, false); }, StartTimeout);
        const TopWindow* main = FindWindow(windows, caption, false);
        ASSERT_NE(main, nullptr) << "no main window captioned " << caption;
        EXPECT_EQ(main->size, MainWindowSize);
        desktop.RequestClose(main->id);
        EXPECT_EQ(WaitForExit(program, EndTimeout), 0);
        program = 0;
    }
    EXPECT_EQ(Changes(before, Listing(prefix.Path())), std::vector<std::string>{})
        << "written below the prefix";
    EXPECT_TRUE(fs::exists(data.Path() / "Rivamo/Config/UserSettings.ini"));
}

} // namespace
