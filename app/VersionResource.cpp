#include "app/VersionResource.h"

#include <cstring>
#include <fstream>
#include <vector>

#include <elf.h>

#include "app/ProductInfo.h"

namespace {

// Nothing in a version section is this long; a larger size means a damaged file.
constexpr std::size_t MaxSectionSize = 4096;
constexpr std::size_t MaxNameTableSize = 1 << 20;

template <typename T> bool ReadAt(std::ifstream& file, std::uint64_t offset, T* into, std::size_t count = 1) {
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(sizeof(T) * count));
    return static_cast<bool>(file);
}

std::string ReadText(std::ifstream& file, std::uint64_t offset, std::uint64_t size) {
    if (size == 0 || size > MaxSectionSize)
        return {};
    std::vector<char> bytes(size);
    if (!ReadAt(file, offset, bytes.data(), bytes.size()))
        return {};
    return std::string(bytes.data(), strnlen(bytes.data(), bytes.size()));
}

// Elf32 and Elf64 differ only in the widths of the header fields.
template <typename Header, typename Section>
std::string FindSection(std::ifstream& file, const std::string& sectionName) {
    Header header{};
    if (!ReadAt(file, 0, &header) || header.e_shentsize != sizeof(Section) ||
        header.e_shstrndx >= header.e_shnum)
        return {};
    std::vector<Section> sections(header.e_shnum);
    if (!ReadAt(file, header.e_shoff, sections.data(), sections.size()))
        return {};
    const Section& names = sections[header.e_shstrndx];
    if (names.sh_size > MaxNameTableSize)
        return {};
    std::vector<char> nameTable(names.sh_size + 1, '\0');
    if (!ReadAt(file, names.sh_offset, nameTable.data(), names.sh_size))
        return {};
    for (const Section& section : sections) {
        if (section.sh_name < names.sh_size && nameTable.data() + section.sh_name == sectionName &&
            section.sh_type == SHT_PROGBITS)
            return ReadText(file, section.sh_offset, section.sh_size);
    }
    return {};
}

} // namespace

std::string ReadElfSectionText(const std::string& path, const std::string& sectionName) {
    std::ifstream file(path, std::ios::binary);
    unsigned char ident[EI_NIDENT] = {};
    if (!ReadAt(file, 0, ident, EI_NIDENT) || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return {};
    if (ident[EI_CLASS] == ELFCLASS64)
        return FindSection<Elf64_Ehdr, Elf64_Shdr>(file, sectionName);
    if (ident[EI_CLASS] == ELFCLASS32)
        return FindSection<Elf32_Ehdr, Elf32_Shdr>(file, sectionName);
    return {};
}

std::string GetVersionText(const std::string& executablePath) {
    return VersionFromFileVersion(ReadElfSectionText(executablePath, FileVersionSection));
}
