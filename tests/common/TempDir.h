#pragma once

#include <filesystem>
#include <string>

// A fresh folder below the system's temporary folder, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The folder as text with a trailing "/", the way the program spells folders.
    std::string Folder() const { return m_path.string() + "/"; }
    // Writes a file below the folder (creating parents) and returns its full path.
    std::string WriteFile(const std::string& relativePath, const std::string& content) const;
    // The whole content of a file, as bytes.
    static std::string ReadFile(const std::filesystem::path& path);

private:
    std::filesystem::path m_path;
};
