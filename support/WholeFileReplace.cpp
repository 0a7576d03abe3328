#include "support/WholeFileReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr int TempNameAttempts = 100;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

ReplaceFailure SystemFailure(int error) {
    return {false, std::strerror(error != 0 ? error : EIO)};
}

// The file that gets the content: the path itself, or what its link names when links are followed.
fs::path TargetOf(const std::string& path, LinkPolicy links) {
    const fs::path target(path);
    std::error_code error;
    if (links == LinkPolicy::Follow && fs::is_symlink(target, error)) {
        const fs::path resolved = fs::weakly_canonical(target, error);
        if (!error)
            return resolved;
    }
    return target;
}

// A FIFO would block the writer and a device may never end; a refused link is left as it is.
bool IsNoRegularFile(const fs::path& target, LinkPolicy links) {
    std::error_code error;
    const fs::file_status status =
        links == LinkPolicy::Follow ? fs::status(target, error) : fs::symlink_status(target, error);
    // A status that cannot be read is left to the writing, which then reports why.
    return !error && status.type() != fs::file_type::regular && status.type() != fs::file_type::not_found;
}

bool HasNoWriteBit(const fs::file_status& status) {
    constexpr fs::perms AnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & AnyWrite) == fs::perms::none;
}

// Why the file cannot be replaced, as an errno value, or 0. A read-only file or a read-only
// folder refuses the write even for the superuser, whom the system would let through.
int ReasonNotWritable(const fs::path& target) {
    std::error_code error;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const fs::file_status folderStatus = fs::status(folder, error);
    if (folderStatus.type() == fs::file_type::directory && HasNoWriteBit(folderStatus))
        return EACCES;
    const fs::file_status status = fs::status(target, error);
    if (status.type() == fs::file_type::not_found)
        return 0;
    if (HasNoWriteBit(status))
        return EACCES;
    // The rename would replace the file whatever its owner allows; ask the system whether this
    // user may write it. Append mode changes nothing in the file.
    errno = 0;
    const FilePtr probe(std::fopen(target.c_str(), "ab"));
    return probe ? 0 : (errno != 0 ? errno : EACCES);
}

std::string TempNameSuffix() {
    // One generator a thread: files are replaced from the window's thread and from writers.
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::ostringstream suffix;
    suffix << ".tmp-" << std::hex << random();
    return suffix.str();
}

// Creates a new file beside the target that nobody else uses; errno tells why not. Exclusive
// creation never opens an existing file or follows a link planted under the name.
FilePtr CreateTempFile(const fs::path& target, fs::path& tempPath) {
    for (int attempt = 0; attempt < TempNameAttempts; ++attempt) {
        tempPath = target;
        tempPath.replace_filename("." + target.filename().string() + TempNameSuffix());
        errno = 0;
        FilePtr file(std::fopen(tempPath.c_str(), "wbx"));
        if (file || errno != EEXIST)
            return file;
    }
    return nullptr;
}

// The replaced file's permissions, or those asked for a new file. Set before the content is
// written, so the text is never readable to more users than the file will be.
void TakePermissions(const fs::path& tempPath, const fs::path& target, const WholeFileRules& rules) {
    std::error_code error;
    const fs::file_status old = fs::status(target, error);
    if (fs::exists(old))
        fs::permissions(tempPath, old.permissions(), fs::perm_options::replace, error);
    else if (rules.newFilePermissions)
        fs::permissions(tempPath, *rules.newFilePermissions, fs::perm_options::replace, error);
}

// Writes and closes the file, then flushes it to the disk; 0 or the error number.
int WriteAndSync(FilePtr file, const fs::path& tempPath, const std::string& content, DiskSync* sync) {
    errno = 0;
    const bool written = std::fwrite(content.data(), 1, content.size(), file.get()) == content.size() &&
                         std::fflush(file.get()) == 0;
    int error = written ? 0 : (errno != 0 ? errno : EIO);
    errno = 0;
    if (std::fclose(file.release()) != 0 && error == 0)
        error = errno != 0 ? errno : EIO;
    if (error == 0 && sync != nullptr)
        error = sync->SyncFile(tempPath.string());
    return error;
}

} // namespace

std::optional<ReplaceFailure> ReplaceWholeFileContent(const std::string& path, const std::string& content,
                                                      const WholeFileRules& rules) {
    const fs::path target = TargetOf(path, rules.links);
    // Checked before the write probe: opening a FIFO for writing waits for a reader.
    if (IsNoRegularFile(target, rules.links))
        return ReplaceFailure{true, {}};
    if (const int reason = ReasonNotWritable(target))
        return SystemFailure(reason);

    fs::path tempPath;
    FilePtr file = CreateTempFile(target, tempPath);
    if (!file)
        return SystemFailure(errno);
    TakePermissions(tempPath, target, rules);
    std::error_code error;
    if (const int reason = WriteAndSync(std::move(file), tempPath, content, rules.sync)) {
        fs::remove(tempPath, error);
        return SystemFailure(reason);
    }
    fs::rename(tempPath, target, error);
    if (error) {
        const std::string reason = error.message();
        fs::remove(tempPath, error);
        return ReplaceFailure{false, reason};
    }
    // Flushing the folder makes the new name last through a crash too. When that fails the new
    // content is in place already, but the disk is in trouble and the caller hears of it.
    if (rules.sync != nullptr) {
        const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
        if (const int reason = rules.sync->SyncFolder(folder))
            return SystemFailure(reason);
    }
    return std::nullopt;
}
