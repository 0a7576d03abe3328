#pragma once

#include <string>

#include "support/FolderBrowser.h"

// True when a new entry can be made in the existing folder. The probe is a folder under a name
// nobody else uses, removed again at once; nothing the folder already holds is touched. A folder
// without any write permission counts as read-only also for the superuser, whom the system would
// let through, as for the settings files.
bool FolderTakesNewEntries(const std::string& folder);
