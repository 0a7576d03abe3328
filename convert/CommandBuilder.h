#pragma once

#include <string>

// The command line of one source, and the pieces of the last one built that the batch and the
// progress window read. The program's implementation is TCommonLib's BuildCommandLine and its
// TConvertParameterStruct; tests give their own.
class CommandBuilder {
public:
    virtual ~CommandBuilder() = default;
    // The transcoder command line for the source at `path`; empty when none can be built.
    // Errors (a malformed time cell, an unwritable output folder) are raised.
    virtual std::string BuildCommandLine(const std::string& path) = 0;

    virtual std::string TranscoderPath() const = 0;  // executable of the last command line
    virtual std::string InputPath() const = 0;       // what the transcoder reads
    virtual std::string CodecOption() const = 0;     // e.g. " -vcodec rv20"
    virtual std::string OutputExtension() const = 0; // e.g. ".rm"
    virtual std::string OutputFolder() const = 0;    // with a trailing "/"
};
