#include "support/UserDataFolder.h"

#include <cstdlib>
#include <filesystem>

#include <pwd.h>
#include <unistd.h>

#include "support/DataFolder.h"

namespace {

constexpr const char* ConfigFolderName = "Config";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (home.empty()) {
        if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr)
            home = user->pw_dir;
    }
    return home;
}

std::string DataFolder(const std::string& programFolder) {
    const bool writable = access(programFolder.c_str(), W_OK) == 0;
    std::string folder =
        ChooseDataFolder(programFolder, writable, Environment("XDG_DATA_HOME"), HomeFolder());
    if (folder != programFolder) {
        std::error_code ignored;
        std::filesystem::create_directories(folder + ConfigFolderName, ignored);
    }
    return folder;
}
