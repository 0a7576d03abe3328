// TCommonLib's choice of the output folder: the folder dialog, then a test that the chosen folder
// can take the output files.

#include "convert/OutputFolderChoice.h"

#include <filesystem>
#include <random>
#include <sstream>
#include <system_error>

#include "convert/CommonLib.h"
#include "support/MessageBoxes.h"

namespace fs = std::filesystem;

namespace {

constexpr char kDialogTitle[] = "Please select output folder:";
constexpr char kReadOnlyPath[] = "This is a read-only path.";
constexpr char kInvalidPath[] = "The path is invalid.";
constexpr int kProbeNameAttempts = 16;

std::string ProbeName() {
    static std::mt19937_64 random{std::random_device{}()};
    std::ostringstream name;
    name << ".rivamo-probe-" << std::hex << random();
    return name.str();
}

bool HasNoWriteBit(const fs::path& folder) {
    constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    std::error_code error;
    return (fs::status(folder, error).permissions() & kAnyWrite) == fs::perms::none;
}

// Makes the folder with its parents; the caller meets a failure when it writes there.
void CreateIfMissing(const std::string& folder) {
    std::error_code error;
    if (!fs::is_directory(folder, error))
        fs::create_directories(folder, error);
}

} // namespace

bool FolderTakesNewEntries(const std::string& folder) {
    if (HasNoWriteBit(folder))
        return false;
    for (int attempt = 0; attempt < kProbeNameAttempts; ++attempt) {
        const fs::path probe = fs::path(folder) / ProbeName();
        std::error_code error;
        if (fs::create_directory(probe, error)) {
            fs::remove(probe, error); // the empty folder made just now, nothing else
            return true;
        }
        if (error && error != std::errc::file_exists)
            return false;
    }
    return false;
}

std::string TCommonLib::SelectOutputFolder(const std::string& currentFolder, FolderBrowser& browser,
                                           MessageBoxPresenter& boxes) const {
    if (const std::optional<std::string> chosen = browser.BrowseForFolder(kDialogTitle, currentFolder)) {
        std::error_code error;
        if (!fs::is_directory(*chosen, error)) {
            ShowMessageKind(boxes, kInvalidPath, MessageKind::Warning);
        } else if (!FolderTakesNewEntries(*chosen)) {
            ShowMessageKind(boxes, kReadOnlyPath, MessageKind::Warning);
        } else {
            CreateIfMissing(*chosen); // it may have gone since the test
            return *chosen;
        }
    }
    CreateIfMissing(currentFolder);
    return currentFolder;
}
