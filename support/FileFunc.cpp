#include "support/FileFunc.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "support/Text.h"

namespace {

constexpr char PathSeparator = '/';
constexpr const char* NumberSeparator = "_";
constexpr const char* FirstNumberSuffix = "_1";

std::string FolderPartOf(const std::string& path) {
    const std::size_t slash = path.rfind(PathSeparator);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNamePartOf(const std::string& path) {
    const std::size_t slash = path.rfind(PathSeparator);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// From the last "." of the file name, the dot included; empty when the name has none.
std::string ExtensionOf(const std::string& path) {
    const std::string name = FileNamePartOf(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

// The decimal text one higher: "9" gives "10", "199" gives "200". Digits only, any length.
std::string Incremented(std::string digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return digits;
        }
        *it = '0';
    }
    return "1" + digits;
}

// Folders are left out of the clash test unless they carry more than the plain directory
// attribute. On Linux a folder is hidden when its name begins with "." and read-only when its owner
// may not write to it; folders with either property stay in. Symbolic links count as what they
// point to; a dangling link counts as a file.
bool IsPlainDirectory(const std::filesystem::directory_entry& entry) {
    std::error_code error;
    const auto status = entry.status(error);
    if (error || !std::filesystem::is_directory(status))
        return false;
    const std::string name = entry.path().filename().string();
    const bool hidden = !name.empty() && name.front() == '.';
    const bool readOnly =
        (status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none;
    return !hidden && !readOnly;
}

} // namespace

std::string TFileFunc::BaseNameOf(const std::string& path) const {
    const std::string name = FileNamePartOf(path);
    const std::string extension = m_strFunc.TextAfterLast(name, ".");
    // Without any "." the extension is the whole name and the count comes out negative: empty.
    const auto count =
        static_cast<std::ptrdiff_t>(name.size()) - static_cast<std::ptrdiff_t>(extension.size()) - 1;
    return count > 0 ? name.substr(0, static_cast<std::size_t>(count)) : std::string();
}

std::string TFileFunc::UniqueOutputPath(const std::string& path) {
    m_startBaseName = BaseNameOf(path);
    const std::string folder = FolderPartOf(path);
    const std::string extension = ExtensionOf(path);

    // The folder's base names, upper-cased; every numbered candidate stays in the same folder, so
    // one listing serves the whole search.
    std::set<std::string> taken;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (!IsPlainDirectory(*it))
            taken.insert(AsciiUpper(BaseNameOf(folder + it->path().filename().string())));
    }

    std::string baseName = m_startBaseName;
    while (taken.count(AsciiUpper(baseName)) != 0) {
        if (baseName == m_startBaseName) {
            baseName += FirstNumberSuffix;
        } else {
            // The text after the last "_" is the number appended by an earlier round.
            const std::string number = m_strFunc.TextAfterLast(baseName, NumberSeparator);
            baseName = baseName.substr(0, baseName.size() - number.size()) + Incremented(number);
        }
    }
    return folder + baseName + extension;
}
