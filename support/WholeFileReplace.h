#pragma once

#include <filesystem>
#include <optional>
#include <string>

// What replacing a file does when its path is a symbolic link.
enum class LinkPolicy {
    Follow, // the file the link names gets the new content; the link stays
    Refuse, // nothing is written; the path counts as no regular file
};

// Makes what was written last through a crash of the system. The platform's implementation
// flushes to the disk; without one the system writes back in its own time.
class DiskSync {
public:
    virtual ~DiskSync() = default;
    // 0, or the system's error number.
    virtual int SyncFile(const std::string& path) = 0;
    virtual int SyncFolder(const std::string& folder) = 0;
};

struct WholeFileRules {
    LinkPolicy links = LinkPolicy::Refuse;
    // Given to a file that did not exist yet (a replaced file keeps its own); none: the system's
    // default for new files.
    std::optional<std::filesystem::perms> newFilePermissions;
    DiskSync* sync = nullptr;
};

// Why a file was not replaced.
struct ReplaceFailure {
    // The path names a folder, a FIFO, a device (or a link that is refused).
    bool notRegularFile = false;
    // The system's text for what failed; empty when notRegularFile.
    std::string reason;
};

// Replaces the file's whole content, so that it is always either the old or the new text: the text
// goes to a new file created beside it (never an existing file, never through a link), which is
// flushed and then renamed over the old one; the folder is flushed after the rename (a failure
// there is returned with the new content already in place). A read-only file or folder is
// refused, also for the superuser. Nothing when the file was replaced.
std::optional<ReplaceFailure> ReplaceWholeFileContent(const std::string& path, const std::string& content,
                                                      const WholeFileRules& rules);
