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

// Hands the output of a started child to `callback`, chunk by chunk, with a pause after each chunk,
// until the child has ended. Output written after the child's last check before its end may be
// missed; the exit code is not read.
void ReadTranscoderOutput(ChildProcess& child, Clock& clock, const OutputCallback& callback,
                          const BatchTiming& timing = {});

// Starts exactly `executable` with the arguments split from `arguments` in `workingFolder` and reads
// its output as ReadTranscoderOutput does. False when the child could not be started.
bool RunTranscoder(ProcessLauncher& launcher, Clock& clock, const std::string& executable,
                   const std::string& arguments, const std::string& workingFolder,
                   const OutputCallback& callback, const BatchTiming& timing = {});
