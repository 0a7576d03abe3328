#include "support/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include "support/FileDescriptor.h"

namespace {

FileDescriptor OpenRegular(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (fd.IsOpen() && (::fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode)))
        fd.Reset();
    return fd;
}

} // namespace

std::shared_ptr<void> HoldFile(const std::string& path) {
    auto fd = std::make_shared<FileDescriptor>(OpenRegular(path));
    if (!fd->IsOpen() || ::flock(fd->Get(), LOCK_SH | LOCK_NB) != 0)
        return nullptr;
    return fd;
}

bool FileIsHeld(const std::string& path) {
    const FileDescriptor fd = OpenRegular(path);
    // The test lock is released when the descriptor closes.
    return fd.IsOpen() && ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0;
}
