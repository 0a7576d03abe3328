#include "convert/CommonLib.h"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "convert/CopyCut.h"
#include "convert/ModernOptions.h"
#include "convert/TranscoderNames.h"
#include "profiles/Catalogue.h"
#include "settings/IniFiles32.h"
#include "support/CommandLine.h"
#include "support/Text.h"

namespace {

constexpr const char* ScriptName = "VideoFile.avs";
constexpr const char* ScriptHead = "DirectShowSource(";
constexpr const char* ScriptTail = ", fps=29.9700898503294, convertfps=true)\r\n";

constexpr const char* VideoFormPrefix = "-vcodec";
constexpr const char* PresetFormPrefix = "-target";
constexpr const char* AudioFormPrefix = "-acodec";
constexpr const char* CopyFormPrefix = "-map 0";
constexpr std::size_t FormPrefixLength = 7;
constexpr const char* NoCodecPrefix = "-none";
constexpr const char* MobileAudioChannelsAndRate = " -ac 1 -ar 8000";
constexpr const char* NoFormatEntry = "none";

constexpr const char* OutputFolderLog = "Output directory ";
constexpr const char* OutputFolderErrorLog = "Output directory error. ->";
constexpr const char* NoFormLog = "Create convert parameter failure.";

// The extension from the last dot, letter case counting: "MOVIE.RM" is no RealMedia source here.
bool IsRealMediaSource(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return false;
    const std::string extension = path.substr(dot);
    return extension == ".rm" || extension == ".rmvb";
}

bool IsMobileAudioExtension(const std::string& extension) {
    return extension == ".3gp" || extension == ".3g2" || extension == ".amr";
}

// The entry of a position table at the selected output type; empty for no selection.
std::string CatalogueEntry(CatalogueTable table, int32_t position) {
    const std::vector<std::string> entries = CatalogueList(table);
    if (position < 0 || static_cast<std::size_t>(position) >= entries.size())
        return {};
    return entries[static_cast<std::size_t>(position)];
}

std::string Fragment(const std::string& entry, const char* option, const char* fallback) {
    return entry.empty() ? fallback : option + entry;
}

// A list that can leave its property as the source has it: that item passes no option at all.
std::string SourceOrFragment(const std::string& entry, const char* option, const char* fallback) {
    return entry == SameAsSourceItem ? std::string() : Fragment(entry, option, fallback);
}

// The output types after the first two spell their options as FFmpeg does and pass none for what
// stays as the source has it.
void ApplyModernFragments(int32_t outputType, const OptionSelection& options, TConvertParameterStruct& p) {
    const OutputTypeEntry* type = OutputTypeAt(outputType);
    if (type == nullptr || type->style == OptionStyle::Classic)
        return;
    ModernFragments modern = ModernOptionFragments(*type, options);
    p.VideoBitrateOption = std::move(modern.videoBitrate);
    p.VideoSizeOption = std::move(modern.videoSize);
    p.FrameRateOption = std::move(modern.frameRate);
    p.AspectOption = std::move(modern.aspect);
    p.AudioBitrateOption = std::move(modern.audioBitrate);
    p.SampleRateOption = std::move(modern.sampleRate);
}

bool IsStreamCopy(int32_t outputType) {
    const OutputTypeEntry* type = OutputTypeAt(outputType);
    return type != nullptr && type->style == OptionStyle::StreamCopy;
}

constexpr int64_t MsPerSecond = 1000;
constexpr const char* UnnamedRefusal = "the source does not allow it";

// The script names its source between quotation marks. A path that holds a quotation mark itself
// cannot stand there, so it goes between triple quotation marks, which the transcoder also reads.
std::string ScriptQuoted(const std::string& path) {
    const std::string quote = path.find('"') == std::string::npos ? "\"" : "\"\"\"";
    return quote + path + quote;
}

} // namespace

TCommonLib::TCommonLib(std::string programFolder, TCustomProc& customProc, const SourceList& sources,
                       const TAppFunc& appFunc, TFileFunc& fileFunc, std::string dataFolder)
    : m_programFolder(std::move(programFolder)),
      m_dataFolder(dataFolder.empty() ? m_programFolder : std::move(dataFolder)), m_customProc(customProc),
      m_sources(sources), m_appFunc(appFunc), m_fileFunc(fileFunc) {}

ConvertCommand TCommonLib::BuildCommandLine(const std::string& path) {
    ConvertCommand command;
    TConvertParameterStruct& p = command.parameters;
    // The start lookup may apply the custom profile, which changes the lists read below.
    command.StartText = SourceStartText(path);
    command.DurationText = SourceDurationText(path);
    const std::string& start = command.StartText;
    const std::string& duration = command.DurationText;
    p.TrimOption = !start.empty() && !duration.empty() ? " -ss " + start + " -t " + duration : "";
    p.InputPath = path;

    FillOptionFragments(m_customProc.Options(), p);
    const bool copy = IsStreamCopy(m_customProc.Options().cbbOutputFiletype.ItemIndex());
    if (copy)
        PrepareCopy(command);
    p.OutputFolder = PrepareOutputFolder();
    p.OutputBaseName = m_fileFunc.BaseNameOf(path);

    // Only the RealMedia transcoder reads the script: a script that cannot be written fails
    // that row alone (no command line, no output), and is only logged for the others.
    try {
        WriteScript(p.InputPath);
    } catch (const std::runtime_error& error) {
        m_appFunc.WriteLog(error.what());
        if (IsRealMediaSource(path) && !copy)
            return command;
    }
    // A copy reads the packets of the file itself, never pictures made from the script.
    if (IsRealMediaSource(path) && !copy) {
        p.TranscoderPath = m_programFolder + RealMediaTranscoderName;
        p.InputPath = ScriptPath();
    } else {
        p.TranscoderPath = m_programFolder + TranscoderName;
    }

    const std::string outputPath =
        m_fileFunc.UniqueOutputPath(p.OutputFolder + p.OutputBaseName + p.OutputExtension);
    command.CommandLine = JoinForm(p, outputPath);
    if (!command.CommandLine.empty())
        command.OutputPath = outputPath;
    return command;
}

void TCommonLib::FillOptionFragments(const OptionSelection& options, TConvertParameterStruct& p) {
    const int32_t outputType = options.cbbOutputFiletype.ItemIndex();
    p.CodecOption = CodecFragment(outputType);
    p.VideoBitrateOption = VideoBitrateFragment(options.cbbVideoBitrate);
    p.VideoSizeOption = VideoSizeFragment(options.cbbVideoSize);
    p.FrameRateOption = FrameRateFragment(options.cbbFramerate);
    p.AspectOption = AspectFragment(options.cbbAspectratio);
    p.AudioBitrateOption = AudioBitrateFragment(options.cbbAudioBitrate);
    p.VolumeOption = VolumeFragment(options.cbbAudioVolumeGain);
    p.ChannelsOption = ChannelsFragment(options.cbbAudioChannels);
    p.SampleRateOption = SampleRateFragment(options.cbbAudioSample);
    ApplyModernFragments(outputType, options, p);
    p.FormatOption = FormatFragment(outputType);
    p.OutputExtension = OutputExtensionOf(outputType);
}

std::optional<std::string> TCommonLib::FormOptions(const TConvertParameterStruct& p) {
    const std::string codec = TrimControls(p.CodecOption);
    const std::string prefix = codec.substr(0, FormPrefixLength);
    if (prefix == VideoFormPrefix)
        return p.CodecOption + p.VideoBitrateOption + p.VideoSizeOption + p.FrameRateOption + p.AspectOption +
               p.AudioBitrateOption + p.VolumeOption + p.ChannelsOption + p.SampleRateOption + p.FormatOption;
    if (prefix == PresetFormPrefix)
        return p.CodecOption;
    if (codec.starts_with(CopyFormPrefix))
        return p.CodecOption + p.CutOption;
    if (prefix == AudioFormPrefix && IsMobileAudioExtension(p.OutputExtension))
        return p.CodecOption + p.VideoSizeOption + p.VideoBitrateOption + p.AudioBitrateOption +
               p.VolumeOption + MobileAudioChannelsAndRate + p.FormatOption;
    if (prefix == AudioFormPrefix)
        return p.CodecOption + p.AudioBitrateOption + p.VolumeOption + p.ChannelsOption + p.SampleRateOption +
               p.FormatOption;
    return std::nullopt;
}

std::string TCommonLib::SelectionOptions(const OptionSelection& options) {
    TConvertParameterStruct p;
    FillOptionFragments(options, p);
    return FormOptions(p).value_or("");
}

std::string TCommonLib::JoinForm(const TConvertParameterStruct& p, const std::string& outputPath) const {
    const std::optional<std::string> options = FormOptions(p);
    if (options)
        return p.TranscoderPath + " -y -i " + QuoteArgument(p.InputPath) + *options + p.TrimOption + " " +
               QuoteArgument(outputPath);
    const std::string codec = TrimControls(p.CodecOption);
    if (codec.compare(0, std::string(NoCodecPrefix).size(), NoCodecPrefix) == 0)
        m_appFunc.WriteLog(NoFormLog);
    return {};
}

void TCommonLib::PrepareCopy(ConvertCommand& command) const {
    TConvertParameterStruct& p = command.parameters;
    const CopySourceFacts facts =
        m_copyProbe != nullptr ? m_copyProbe->Probe(p.InputPath) : CopySourceFacts{};
    const CutMode mode = m_customProc.Choices().Cut();
    p.OutputExtension = CopyOutputExtension(facts.container, p.InputPath);
    p.CutOption = CutModeOption(mode);
    if (p.TrimOption.empty())
        return;
    const int64_t startMs = TimeTextToSeconds(command.StartText).value_or(0) * MsPerSecond;
    const int64_t realStartMs = CopyCutStartMs(facts, startMs, mode);
    command.LeadMs = startMs - realStartMs;
    if (mode == CutMode::Exact && command.LeadMs > 0)
        command.CutNotice =
            KeyFrameCutNotice(MillisecondsToTimeText(realStartMs),
                              facts.exactCutRefusal.empty() ? UnnamedRefusal : facts.exactCutRefusal);
}

// Linux file names are case-sensitive: "a.avi" and "A.AVI" are two sources with their own cuts.
bool TCommonLib::MatchesPath(std::size_t row, const std::string& path) const {
    return m_sources.Cell(row, colFileName) == path;
}

std::string TCommonLib::SourceStartText(const std::string& path) {
    std::string start;
    for (std::size_t row = 0; row < m_sources.RowCount(); ++row) {
        if (!MatchesPath(row, path))
            continue;
        start = m_sources.Cell(row, colStartTime);
        m_customProc.ApplyCustomProfile();
    }
    return start;
}

std::string TCommonLib::SourceDurationText(const std::string& path) const {
    int64_t startSeconds = 0;
    int64_t endSeconds = 0;
    std::string duration;
    for (std::size_t row = 0; row < m_sources.RowCount(); ++row) {
        if (!MatchesPath(row, path))
            continue;
        startSeconds = TimeTextToSeconds(m_sources.Cell(row, colStartTime)).value_or(startSeconds);
        endSeconds = TimeTextToSeconds(m_sources.Cell(row, colEndTime)).value_or(endSeconds);
        duration = std::to_string(endSeconds - startSeconds);
    }
    return duration;
}

std::string TCommonLib::PrepareOutputFolder() const {
    const std::string& text = m_customProc.Choices().edtOutputFolder();
    std::string folder = text;
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    // An empty folder text names no folder to create: that is the error case, as is any folder
    // the system refuses to create.
    std::error_code error;
    if (!text.empty())
        std::filesystem::create_directories(folder, error);
    const bool failed = text.empty() || error;
    m_appFunc.WriteLog((failed ? OutputFolderErrorLog : OutputFolderLog) + folder);
    return folder;
}

std::string TCommonLib::ScriptPath() const {
    return m_dataFolder + ScriptName;
}

// The script is replaced whole (settings/IniFiles32.h): it never holds half a line, and a FIFO or a
// link planted under its temporary name is never opened. A failure raises.
void TCommonLib::WriteScript(const std::string& sourcePath) const {
    ReplaceWholeFile(ScriptPath(), ScriptHead + ScriptQuoted(sourcePath) + ScriptTail);
}

std::string TCommonLib::CodecFragment(int32_t outputType) {
    return Fragment(CatalogueEntry(CatalogueTable::cstCodecArguments, outputType), " ",
                    " -vcodec xvid -acodec mp3");
}

std::string TCommonLib::VideoBitrateFragment(const OptionList& list) {
    return Fragment(list.SelectedText(), " -b ", " -b 512");
}

std::string TCommonLib::VideoSizeFragment(const OptionList& list) {
    return SourceOrFragment(list.SelectedText(), " -s ", " -s 320x240");
}

std::string TCommonLib::FrameRateFragment(const OptionList& list) {
    return SourceOrFragment(list.SelectedText(), " -r ", " -r 25");
}

std::string TCommonLib::AspectFragment(const OptionList& list) {
    return SourceOrFragment(list.SelectedText(), " -aspect ", " -aspect 4:3");
}

std::string TCommonLib::AudioBitrateFragment(const OptionList& list) {
    return Fragment(list.SelectedText(), " -ab ", " -ab 64");
}

std::string TCommonLib::VolumeFragment(const OptionList& list) {
    return Fragment(list.SelectedText(), " -vol ", " ");
}

// Only the first character of the entry counts: "2 channels, Stereo" gives " -ac 2".
std::string TCommonLib::ChannelsFragment(const OptionList& list) {
    return Fragment(list.SelectedText().substr(0, 1), " -ac ", " -ac 2");
}

std::string TCommonLib::SampleRateFragment(const OptionList& list) {
    return SourceOrFragment(list.SelectedText(), " -ar ", " -ar 44100");
}

std::string TCommonLib::FormatFragment(int32_t outputType) {
    const std::string entry = CatalogueEntry(CatalogueTable::cstOutputFormats, outputType);
    if (entry == NoFormatEntry)
        return {};
    return Fragment(entry, " -f ", " -f ");
}

std::string TCommonLib::OutputExtensionOf(int32_t outputType) {
    return Fragment(CatalogueEntry(CatalogueTable::cstOutputExtensions, outputType), "", ".avi");
}
