#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "convert/OutputProjection.h"
#include "sources/SourceList.h"

// Free bytes on the file system that holds `folder` (an existing folder); no value when unknown.
using FreeSpaceQuery = std::function<std::optional<int64_t>(const std::string& folder)>;
// The standard library's answer.
std::optional<int64_t> FreeSpaceOf(const std::string& folder);

// What the whole batch is checked against before it starts.
struct PreflightInput {
    std::string outputFolder;    // as the user chose it
    std::string outputExtension; // e.g. ".rm"
    OutputBitrates bitrates;
    FreeSpaceQuery freeSpace = FreeSpaceOf;
    // The estimated output size of a row, for types whose size depends on the content; no value
    // while it is not known, and the projection from the bitrates stands in.
    std::function<std::optional<int64_t>(std::size_t row)> estimate;
    // For an output type that decides them per source (the copy of every stream): each row's
    // extension and projected size, in place of the one extension and the bitrates' projection.
    std::function<std::string(std::size_t row)> rowExtension = {};
    std::function<int64_t(std::size_t row)> rowBytes = {};
};

// The problems found, one text each, and the rows that must not be started with the reason.
struct PreflightReport {
    std::vector<std::string> problems;
    std::map<std::size_t, std::string> badRows;
    std::size_t checkedRows = 0;
    int64_t projectedBytes = 0; // of the rows that are not bad
    bool estimated = false;     // projectedBytes is an estimate from samples

    bool Clean() const { return problems.empty(); }
    bool NothingLeft() const { return badRows.size() >= checkedRows; }
};

// Checks every checked row: its source exists and can be read, the output folder can be created
// and written, no two rows write the same output name, and the projected output fits on the disk.
PreflightReport CheckBatch(const SourceList& sources, const PreflightInput& input);

// The one message that lists every problem, with the projected size of what is left; it asks
// whether to convert the rest unless nothing is left.
std::string PreflightMessage(const PreflightReport& report);
