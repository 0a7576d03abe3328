#pragma once

#include <string>

// The folder the open dialog starts in, remembered across runs as the key InitDir of section
// USRInfo in Config/UserSettings.ini below the program folder.
class TInitDir {
public:
    // programFolder and homeFolder end with "/"; the home folder is the default.
    TInitDir(std::string programFolder, std::string homeFolder);

    // The remembered folder, or the home folder when none is stored. A stored text that is no
    // folder (a file) or no valid text gives the home folder, and the log says why.
    std::string Read() const;
    // Stores the folder as given (with its trailing "/"). Settings file errors reach the caller.
    void Write(const std::string& folder) const;

    std::string SettingsPath() const;

private:
    std::string m_programFolder;
    std::string m_homeFolder;
};

// The folder part of a path, up to and including its last "/"; empty when the path has none.
std::string FolderPartOf(const std::string& path);
