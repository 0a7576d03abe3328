#pragma once

#include <cstdint>
#include <string>

// The pieces of one transcoder command line. Every option fragment begins with a blank so that the
// fragments join without separators.
struct TConvertParameterStruct {
    std::string TranscoderPath;     // executable to run, never quoted
    std::string InputPath;          // the source, or the script for RealMedia sources
    std::string CodecOption;        // " -vcodec rv20"
    std::string VideoBitrateOption; // " -b 512"
    std::string VideoSizeOption;    // " -s 320x240"
    std::string FrameRateOption;    // " -r 25"
    std::string AspectOption;       // " -aspect 4:3"
    std::string ReservedOption;     // nothing sets or reads it
    std::string AudioBitrateOption; // " -ab 64"
    std::string VolumeOption;       // " -vol 200", or one blank
    std::string ChannelsOption;     // " -ac 2"
    std::string SampleRateOption;   // " -ar 44100"
    std::string FormatOption;       // empty, or " -f " and a format name
    std::string CutOption;          // " -cut exact" for a copy cut exactly at its start, or empty
    std::string TrimOption;         // " -ss 00:01:10 -t 110", or empty
    std::string OutputFolder;       // with a trailing "/"
    std::string OutputBaseName;     // the source's file name without folder and last extension
    std::string OutputExtension;    // ".rm"
};

// Everything one build of a command line computes: the line itself and the values the batch, its
// progress and its checks read while that file is converted.
struct ConvertCommand {
    std::string CommandLine;  // empty when the output type's codec argument selects no form
    std::string StartText;    // Start Time text of the row
    std::string DurationText; // length to convert, whole seconds as decimal text
    std::string OutputPath;   // the free output name the line writes; empty with an empty line
    // A cut without re-encoding may begin at a key frame before the start: the output then runs
    // this much longer than the duration asked for.
    int64_t LeadMs = 0;
    // Known before the run: the exact cut asked for starts at a key frame instead, and why
    // ("cut at the key frame at 00:05:00.000 (interlaced video)"); empty otherwise.
    std::string CutNotice;
    TConvertParameterStruct parameters;
};
