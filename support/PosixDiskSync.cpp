#include "support/PosixDiskSync.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "support/FileDescriptor.h"

namespace {

// Any descriptor of a file flushes all of its written data.
int Sync(const std::string& path, int flags) {
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | flags));
    if (!fd.IsOpen())
        return errno;
    while (::fsync(fd.Get()) != 0)
        if (errno != EINTR)
            return errno;
    return 0;
}

} // namespace

// The file was just written by its caller; a link put in its place is not followed.
int PosixDiskSync::SyncFile(const std::string& path) {
    return Sync(path, O_NOFOLLOW | O_NONBLOCK);
}

// The folder may be reached through a link (a data folder kept elsewhere).
int PosixDiskSync::SyncFolder(const std::string& folder) {
    return Sync(folder, O_DIRECTORY);
}
