#pragma once

#include <csignal>
#include <optional>
#include <string>

#include "transcoder/Options.h"
#include "transcoder/Rational.h"

// Set by the SIGINT/SIGTERM handler: the conversion stops reading, finishes the file and fails.
extern volatile std::sig_atomic_t g_stopRequested;

// Converts one input into one output: demux, decode, filter (trim, frame rate, scale, pixel format;
// trim, volume, sample format/rate/layout), encode, mux. Throws TranscodeError for a conversion that
// cannot start or cannot finish (its output is removed); returns the exit status otherwise.
// scriptPath names the script the input came from (empty for none): the output may not replace it.
int RunTranscode(const TranscodeOptions& options, std::optional<Rational> scriptFrameRate,
                 const std::string& scriptPath);
