#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "convert/ConvertCommand.h"
#include "convert/OutputFolderChoice.h"
#include "profiles/CustomProc.h"
#include "profiles/OptionList.h"
#include "sources/CopySource.h"
#include "sources/SourceList.h"
#include "support/FileFunc.h"
#include "support/Log.h"

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
    // Where the output type that copies every stream reads a source's container and key frames.
    // Without one its outputs are Matroska files cut where asked.
    void SetCopySourceProbe(CopySourceProbe* probe) { m_copyProbe = probe; }
    std::string PreviewPath; // the file the preview player holds

    // The command for the source `path` (the File Name cell of a row): its line (empty when the
    // output type's codec argument selects no form), the row's start and duration texts, the
    // output path and the pieces of the line. Creates the output folder and writes the script.
    // Throws for a malformed time cell. A script that cannot be written is logged; for a RealMedia
    // source, which the transcoder reads through it, the line and the output path stay empty then.
    ConvertCommand BuildCommandLine(const std::string& path);

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

    // Every fragment that the option lists and the output type give (all but the paths and trim).
    static void FillOptionFragments(const OptionSelection& options, TConvertParameterStruct& p);
    // The codec argument and the options of the output type's form, in its order, without the trim;
    // no value when the codec argument selects no form.
    static std::optional<std::string> FormOptions(const TConvertParameterStruct& p);
    // FormOptions of the current selection (empty for no form), for runs beside the batch.
    static std::string SelectionOptions(const OptionSelection& options);

private:
    bool MatchesPath(std::size_t row, const std::string& path) const;
    void WriteScript(const std::string& sourcePath) const;
    std::string JoinForm(const TConvertParameterStruct& p, const std::string& outputPath) const;
    // The container, the cut option and the real start of a copy of the source.
    void PrepareCopy(ConvertCommand& command) const;

    std::string m_programFolder; // with a trailing "/"
    std::string m_dataFolder;    // with a trailing "/"
    TCustomProc& m_customProc;
    const SourceList& m_sources;
    const TAppFunc& m_appFunc;
    TFileFunc& m_fileFunc;
    CopySourceProbe* m_copyProbe = nullptr;
};
