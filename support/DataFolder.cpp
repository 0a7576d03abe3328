#include "support/DataFolder.h"

namespace {

constexpr const char* DataFolderName = "Rivamo/";
constexpr const char* DefaultDataHomeBelowHome = ".local/share/";

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

std::string ChooseDataFolder(const std::string& programFolder, bool programFolderWritable,
                             const std::string& xdgDataHome, const std::string& homeFolder) {
    if (programFolderWritable)
        return programFolder;
    // A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules say.
    if (!xdgDataHome.empty() && xdgDataHome.front() == '/')
        return WithSlash(xdgDataHome) + DataFolderName;
    return WithSlash(homeFolder) + DefaultDataHomeBelowHome + DataFolderName;
}
