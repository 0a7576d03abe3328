#pragma once

#include <memory>
#include <string>

// Advisory locks on files, for files that another Rivamo must leave alone while this one uses them.
// A lock lives as long as its holder (and ends with the process, however it ends).

// Holds a shared lock on the regular file at `path` (never through a link); null when the file
// cannot be opened or locked.
std::shared_ptr<void> HoldFile(const std::string& path);

// True while some process holds a lock on the regular file at `path`.
bool FileIsHeld(const std::string& path);
