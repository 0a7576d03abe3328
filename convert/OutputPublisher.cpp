#include "convert/OutputPublisher.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* PartialPrefix = ".rivamo-partial-";
constexpr std::size_t RandomPartLength = 6; // then "-" and the wanted file name
constexpr int CreateAttempts = 100;
constexpr int PublishAttempts = 1000;
constexpr char RandomAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";

std::string RandomPart() {
    static std::mt19937_64 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof RandomAlphabet - 2);
    std::string part;
    for (std::size_t i = 0; i < RandomPartLength; ++i)
        part.push_back(RandomAlphabet[pick(random)]);
    return part;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A hard link fails with EEXIST when the name is taken by anything (a file, a folder, a link), so
// it can never replace what stands there; removing the partial name afterwards completes the move.
// A file system without hard links gets a rename after a check, the best it allows.
bool MoveWithoutReplacing(const std::string& from, const std::string& to, std::error_code& error) {
    fs::create_hard_link(from, to, error);
    if (error == std::errc::operation_not_permitted || error == std::errc::function_not_supported) {
        if (fs::exists(fs::symlink_status(to, error))) {
            error = std::make_error_code(std::errc::file_exists);
            return false;
        }
        error.clear();
        fs::rename(from, to, error);
        return !error;
    }
    if (error)
        return false;
    std::error_code ignored;
    fs::remove(from, ignored);
    return true;
}

} // namespace

std::string CreatePartialOutput(const std::string& wantedPath, std::string& error) {
    const std::string folder = FolderOf(wantedPath);
    const std::string name = NameOf(wantedPath);
    for (int attempt = 0; attempt < CreateAttempts; ++attempt) {
        const std::string path = folder + PartialPrefix + RandomPart() + "-" + name;
        // "x": created here and now, or not at all; a link or a FIFO of that name is refused.
        errno = 0;
        std::FILE* file = std::fopen(path.c_str(), "wbx");
        if (file != nullptr) {
            std::fclose(file);
            return path;
        }
        if (errno != EEXIST) {
            error = std::strerror(errno != 0 ? errno : EIO);
            return {};
        }
    }
    error = std::strerror(EEXIST);
    return {};
}

bool IsPartialOutput(const std::string& path) {
    const std::string name = NameOf(path);
    const std::size_t prefix = std::strlen(PartialPrefix);
    return name.size() > prefix + RandomPartLength + 1 && name.compare(0, prefix, PartialPrefix) == 0 &&
           name[prefix + RandomPartLength] == '-';
}

std::string WantedOutputOf(const std::string& partialPath) {
    if (!IsPartialOutput(partialPath))
        return partialPath;
    return FolderOf(partialPath) +
           NameOf(partialPath).substr(std::strlen(PartialPrefix) + RandomPartLength + 1);
}

// The wanted path numbered as UniqueOutputPath numbers it: "x.rm", "x_1.rm", "x_2.rm"...
std::string Numbered(const std::string& wanted, int number) {
    if (number == 0)
        return wanted;
    const std::string name = NameOf(wanted);
    const std::size_t dot = name.rfind('.');
    const std::size_t cut = dot == std::string::npos ? name.size() : dot;
    return FolderOf(wanted) + name.substr(0, cut) + "_" + std::to_string(number) + name.substr(cut);
}

std::string PublishOutput(const std::string& partialPath, TFileFunc& names, std::string& error) {
    const std::string wanted = WantedOutputOf(partialPath);
    for (int number = 0; number < PublishAttempts; ++number) {
        const std::string candidate = names.UniqueOutputPath(Numbered(wanted, number));
        std::error_code moveError;
        if (MoveWithoutReplacing(partialPath, candidate, moveError))
            return candidate;
        // Taken since the folder was listed (another Rivamo, another program), or by a folder
        // that the listing passes by: the next number.
        if (moveError != std::errc::file_exists) {
            error = moveError.message();
            return {};
        }
    }
    error = std::strerror(EEXIST);
    return {};
}

std::vector<std::string> RemovePartialOutputs(const std::string& folder,
                                              const std::function<bool(const std::string&)>& inUse) {
    std::vector<std::string> removed;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string path = it->path().string();
        std::error_code status;
        if (!IsPartialOutput(path) || !it->is_regular_file(status) || it->is_symlink(status) || inUse(path))
            continue;
        std::error_code removeError;
        if (fs::remove(path, removeError))
            removed.push_back(path);
    }
    return removed;
}
