#pragma once

#include <string>

// The folder of the program's own files (Config/, log.txt, VideoFile.avs), with a trailing "/":
// the program folder itself when it is writable (the build tree, an unpacked copy); otherwise
// $XDG_DATA_HOME/Rivamo/ when that variable holds an absolute path, else ~/.local/share/Rivamo/.
// All folders given and returned end with "/"; xdgDataHome may be empty.
std::string ChooseDataFolder(const std::string& programFolder, bool programFolderWritable,
                             const std::string& xdgDataHome, const std::string& homeFolder);
