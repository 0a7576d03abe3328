#pragma once

#include <cstdint>
#include <string>

#include "convert/OutputFolderChoice.h"
#include "profiles/CustomProc.h"
#include "profiles/OptionList.h"
#include "sources/SourceList.h"
#include "support/FileFunc.h"
#include "support/Log.h"

// The pieces of one transcoder command line. Every option fragment begins with a blank so that the
// fragments join without separators. The values stay until the next command line is built.
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
    std::string TrimOption;         // " -ss 00:01:10 -t 110", or empty
    std::string OutputFolder;       // with a trailing "/"
    std::string OutputBaseName;     // the source's file name without folder and last extension
    std::string OutputExtension;    // ".rm"
};

// Turns a source-list row and the current option selection into the transcoder's command line.
// One instance for the program's life. The option lists and the output folder are read through the
// conversion controller, so a custom profile that the row lookup applies is what the fragments see.
class TCommonLib {
public:
    // The transcoders are found in the program folder; the script is written to the data folder
    // (the program folder when empty).
    TCommonLib(std::string programFolder, TCustomProc& customProc, const SourceList& sources,
               const TAppFunc& appFunc, TFileFunc& fileFunc, std::string dataFolder = {});

    const std::string& ProgramFolder() const { return m_programFolder; }
    TConvertParameterStruct ConvertParameter; // the pieces of the last command line built
    std::string PreviewPath;                  // the file the preview player holds

    // The command line for the source `path` (the File Name cell of a row), or the empty text when
    // the output type's codec argument selects no form. Sets TCustomProc's StartText and
    // DurationText, creates the output folder and writes the script. Throws for a malformed time
    // cell. A script that cannot be written is logged; for a RealMedia source, which the
    // transcoder reads through it, no command line is built then.
    std::string BuildCommandLine(const std::string& path);

    // The Start Time of the last row for exactly `path`, the custom profile applied
    // on every matching row; empty when no row matches.
    std::string SourceStartText(const std::string& path);
    // End minus start seconds of the last row for `path` as decimal text; empty when none matches.
    std::string SourceDurationText(const std::string& path) const;
    // The output folder with a trailing "/", created with its parents and logged.
    std::string PrepareOutputFolder() const;
    // The script's path: VideoFile.avs in the data folder.
    std::string ScriptPath() const;

    // SelectOutputFolder (convert/OutputFolderChoice.cpp): the folder the user picks in the dialog
    // when it exists and takes new entries, else the current folder after a warning ("The path is
    // invalid.", "This is a read-only path.") or a cancelled dialog. The folder returned is
    // created when missing; a failure there is met by the conversion.
    std::string SelectOutputFolder(const std::string& currentFolder, FolderBrowser& browser,
                                   MessageBoxPresenter& boxes) const;

    // Fragment builders: the entry of a list or of the output type's catalogue row, or a fallback
    // when there is no entry.
    static std::string CodecFragment(int32_t outputType);
    static std::string VideoBitrateFragment(const OptionList& list);
    static std::string VideoSizeFragment(const OptionList& list);
    static std::string FrameRateFragment(const OptionList& list);
    static std::string AspectFragment(const OptionList& list);
    static std::string AudioBitrateFragment(const OptionList& list);
    static std::string VolumeFragment(const OptionList& list);
    static std::string ChannelsFragment(const OptionList& list);
    static std::string SampleRateFragment(const OptionList& list);
    static std::string FormatFragment(int32_t outputType);
    static std::string OutputExtensionOf(int32_t outputType);

private:
    bool MatchesPath(std::size_t row, const std::string& path) const;
    void WriteScript(const std::string& sourcePath) const;
    std::string JoinForm(const std::string& outputPath) const;

    std::string m_programFolder; // with a trailing "/"
    std::string m_dataFolder;    // with a trailing "/"
    TCustomProc& m_customProc;
    const SourceList& m_sources;
    const TAppFunc& m_appFunc;
    TFileFunc& m_fileFunc;
};
