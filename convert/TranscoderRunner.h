#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "convert/BatchTiming.h"
#include "convert/ProcessLauncher.h"
#include "support/SystemServices.h"

// Receives each piece of transcoder output, on the worker thread.
using OutputCallback = std::function<void(const std::string& chunk)>;

// The most one read takes from the pipe.
inline constexpr std::size_t MaxChunkBytes = 1023;

// Reads one chunk from a child with `waiting` bytes ready: up to MaxChunkBytes when that is all;
// otherwise full pieces while each read comes back full and more is waiting, keeping only the
// last piece read.
std::string ReadChunk(ChildProcess& child, std::size_t waiting);

// Starts `command` in `workingFolder` and hands its output to `callback`, chunk by chunk, with a
// pause after each chunk, until the child has ended. False when the child could not be started.
// Output written after the child's last check before its end may be missed; the exit code is not read.
bool RunTranscoder(ProcessLauncher& launcher, Clock& clock, const std::string& command,
                   const std::string& workingFolder, const OutputCallback& callback,
                   const BatchTiming& timing = {});
