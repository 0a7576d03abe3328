#pragma once

#include <functional>
#include <string>
#include <vector>

#include "support/FileFunc.h"

// Outputs appear under their names only when whole. The transcoder writes into a hidden file that
// the batch created exclusively in the output folder (".rivamo-partial-XXXXXX-<name>", keeping
// the extension by which the transcoder picks the container); once the output check has passed,
// the file takes its final name without ever replacing another file. What a run that was killed
// leaves behind is recognised by its name and removed at the next start.

// Creates a new, empty partial file for the output `wantedPath` (never an existing file, never
// through a link) and returns its path; the empty text with `error` set when no file could be made.
std::string CreatePartialOutput(const std::string& wantedPath, std::string& error);

// True for a path whose file name is that of a partial output.
bool IsPartialOutput(const std::string& path);

// The output name a partial file stands for: its folder and the name after the prefix.
std::string WantedOutputOf(const std::string& partialPath);

// Gives the partial file its final name: the wanted name, else the next free one at that moment
// (names compared as UniqueOutputPath compares them; a folder of that name also moves it on).
// The rename never replaces a file. Returns the final path; the empty text with `error` set when
// the file keeps its partial name.
std::string PublishOutput(const std::string& partialPath, TFileFunc& names, std::string& error);

// Removes the partial files in the folder that an ended run left behind, passing by those that
// `inUse` says a running Rivamo is writing; returns the paths removed.
std::vector<std::string> RemovePartialOutputs(const std::string& folder,
                                              const std::function<bool(const std::string&)>& inUse);
