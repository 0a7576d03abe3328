#pragma once

#include <string>

// The executable keeps its FileVersion text (for example "1.0.0.1") in an ELF section of this name.
inline constexpr const char* FileVersionSection = ".rivamo.fileversion";

// The contents of a named section of an ELF file, up to its first NUL; empty when the file cannot
// be read, is no ELF file or has no such section.
std::string ReadElfSectionText(const std::string& path, const std::string& sectionName);

// The version text of an executable: VersionFromFileVersion of its FileVersion section; empty when
// it has none.
std::string GetVersionText(const std::string& executablePath);
