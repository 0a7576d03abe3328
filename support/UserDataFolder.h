#pragma once

#include <string>

// The one place that decides where this Rivamo keeps Config/, log.txt and VideoFile.avs (see
// ChooseDataFolder). Outside the program folder the folder and its Config/ are created when missing;
// a failure there shows later, when a file cannot be written, with that file's message.
std::string DataFolder(const std::string& programFolder);

// The user's home folder: $HOME, else the account's entry; empty when neither is known.
std::string HomeFolder();
