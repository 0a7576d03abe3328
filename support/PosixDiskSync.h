#pragma once

#include "support/WholeFileReplace.h"

// Flushes a file's content, or a folder's names, to the disk with fsync.
class PosixDiskSync final : public DiskSync {
public:
    int SyncFile(const std::string& path) override;
    int SyncFolder(const std::string& folder) override;
};
