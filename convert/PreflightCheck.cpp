#include "convert/PreflightCheck.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

#include "support/FileFunc.h"
#include "support/Text.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* WriteProbeName = ".rivamo-write-check";

std::string SourceProblem(const std::string& path) {
    std::error_code error;
    if (!fs::exists(path, error))
        return "the file no longer exists";
    if (!fs::is_regular_file(path, error))
        return "it is not a file";
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return "the file cannot be read";
    return {};
}

// The folder itself when it exists, else its nearest existing parent, where it would be created.
fs::path NearestExisting(fs::path folder) {
    std::error_code error;
    while (!folder.empty() && !fs::exists(folder, error)) {
        const fs::path parent = folder.parent_path();
        if (parent == folder)
            break;
        folder = parent;
    }
    return folder;
}

// Writing a file is the only sure test of a folder: permission bits say nothing about a read-only
// mount, and nothing at all to the superuser.
bool CanWriteIn(const fs::path& folder) {
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return false;
    const fs::path probe = folder / WriteProbeName;
    bool written = false;
    {
        std::ofstream file(probe, std::ios::binary | std::ios::trunc);
        written = static_cast<bool>(file);
    }
    fs::remove(probe, error);
    return written;
}

std::string FolderProblem(const std::string& folder) {
    if (folder.empty())
        return "No output folder is chosen.";
    const fs::path existing = NearestExisting(folder);
    if (!CanWriteIn(existing))
        return "The output folder " + folder + " cannot be " +
               (existing == fs::path(folder) ? "written." : "created.");
    return {};
}

void CheckSources(const SourceList& sources, const std::vector<std::size_t>& rows, PreflightReport& report) {
    for (const std::size_t row : rows) {
        const std::string& path = sources.Cell(row, colFileName);
        if (const std::string problem = SourceProblem(path); !problem.empty()) {
            report.problems.push_back(path + ": " + problem + ".");
            report.badRows.emplace(row, problem);
        }
    }
}

// The output name comes from the source's file name without its extension, so two sources in
// different folders, or with different extensions, can ask for the same output. Names that differ
// in letter case only are two outputs: the second takes the next free name when it is written.
void CheckOutputNames(const SourceList& sources, const std::vector<std::size_t>& rows,
                      const PreflightInput& input, PreflightReport& report) {
    TFileFunc names;
    std::map<std::string, std::string> firstWriter;
    for (const std::size_t row : rows) {
        if (report.badRows.contains(row))
            continue;
        const std::string& path = sources.Cell(row, colFileName);
        const std::string output =
            names.BaseNameOf(path) + (input.rowExtension ? input.rowExtension(row) : input.outputExtension);
        const auto [first, inserted] = firstWriter.emplace(output, path);
        if (inserted)
            continue;
        const std::string problem = "writes the same output name (" + output + ") as " + first->second;
        report.problems.push_back(path + ": " + problem + ".");
        report.badRows.emplace(row, problem);
    }
}

int64_t RowBytes(const SourceList& sources, std::size_t row, const PreflightInput& input) {
    if (input.rowBytes)
        return input.rowBytes(row);
    const std::optional<int64_t> estimate = input.estimate ? input.estimate(row) : std::nullopt;
    const int64_t ceiling = ProjectedBytes(input.bitrates, RowCutSeconds(sources, row));
    return std::min(estimate.value_or(ceiling), ceiling);
}

} // namespace

std::optional<int64_t> FreeSpaceOf(const std::string& folder) {
    std::error_code error;
    const fs::space_info space = fs::space(folder, error);
    if (error)
        return std::nullopt;
    return static_cast<int64_t>(space.available);
}

PreflightReport CheckBatch(const SourceList& sources, const PreflightInput& input) {
    PreflightReport report;
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < sources.RowCount(); ++row)
        if (sources.Cell(row, colCheck) == CheckedText)
            rows.push_back(row);
    report.checkedRows = rows.size();

    CheckSources(sources, rows, report);
    if (const std::string problem = FolderProblem(input.outputFolder); !problem.empty()) {
        report.problems.push_back(problem);
        for (const std::size_t row : rows)
            report.badRows.emplace(row, problem);
        return report;
    }
    CheckOutputNames(sources, rows, input, report);

    report.estimated = static_cast<bool>(input.estimate);
    for (const std::size_t row : rows)
        if (!report.badRows.contains(row))
            report.projectedBytes += RowBytes(sources, row, input);
    const std::optional<int64_t> free = input.freeSpace(NearestExisting(input.outputFolder).string());
    if (free && *free < report.projectedBytes)
        report.problems.push_back("The output folder has " + SizeText(*free) +
                                  " free, the output needs about " + SizeText(report.projectedBytes) +
                                  (report.estimated ? " (estimated)." : "."));
    return report;
}

std::string PreflightMessage(const PreflightReport& report) {
    std::string text = "Some files cannot be converted:\n";
    for (const std::string& problem : report.problems)
        text += "\n- " + problem;
    if (report.NothingLeft())
        return text + "\n\nNo file is left to convert.";
    const std::size_t left = report.checkedRows - report.badRows.size();
    return text + "\n\nThe other " + std::to_string(left) + (left == 1 ? " file" : " files") +
           " will write about " + SizeText(report.projectedBytes) + (report.estimated ? " (estimated)" : "") +
           ".\nConvert them?";
}
