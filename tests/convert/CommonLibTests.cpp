#include "convert/CommonLib.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "profiles/Catalogue.h"
#include "support/CommandLine.h"
#include "tests/common/TempDir.h"
#include "tests/convert/BatchFakes.h"

namespace fs = std::filesystem;

namespace {

const std::string ScriptLineTail = ", fps=29.9700898503294, convertfps=true)\r\n";
const std::string WorkedOptions =
    " -vcodec rv20 -b 512 -s 320x240 -r 25 -aspect 4:3 -ab 64 -vol 100 -ac 2 -ar 44100 -ss 00:01:10 -t 110";

// Fills a list with a catalogue table's items and selects the item with the given text.
void Fill(OptionList& list, CatalogueTable table, const std::string& selected) {
    const std::vector<std::string> entries = CatalogueList(table);
    list.Clear();
    for (std::size_t i = 0; i + 1 < entries.size(); ++i)
        list.Append(entries[i]);
    for (std::size_t i = 0; i < list.Items().size(); ++i)
        if (list.Items()[i] == selected)
            list.Select(static_cast<int32_t>(i));
}

} // namespace

// The program folder and the home folder are real temporary folders: the script, the log and the
// output folder are written there. The lists stand as in the worked examples of the command line.
class Convert_CommonLibTests : public ::testing::Test {
protected:
    Convert_CommonLibTests()
        : choices(home.Folder() + "Rivamo"), customProc(program.Folder(), options, choices),
          log(program.Folder()), lib(program.Folder(), customProc, sources, log, files) {
        program.WriteFile("trenc", "");
        program.WriteFile("rtrenc", "");
        Fill(options.cbbOutputFiletype, CatalogueTable::cstOutputFileTypes, "RM Video Files (*.rm)");
        Fill(options.cbbVideoBitrate, CatalogueTable::cstVideoBitrates, "512");
        Fill(options.cbbVideoSize, CatalogueTable::cstVideoSizes, "320x240");
        Fill(options.cbbFramerate, CatalogueTable::cstFrameRates, "25");
        Fill(options.cbbAspectratio, CatalogueTable::cstAspectRatios, "4:3");
        Fill(options.cbbAudioBitrate, CatalogueTable::cstAudioBitrates, "64");
        Fill(options.cbbAudioVolumeGain, CatalogueTable::cstVolumeGains, "100");
        Fill(options.cbbAudioChannels, CatalogueTable::cstAudioChannels, "2 channels, Stereo");
        Fill(options.cbbAudioSample, CatalogueTable::cstAudioSampleRates, "44100");
    }

    void AddRow(const std::string& path, const std::string& start = "00:01:10",
                const std::string& end = "00:03:00") {
        const std::size_t row = sources.AppendRow();
        sources.SetCell(row, colCheck, CheckedText);
        sources.SetCell(row, colFileName, path);
        sources.SetCell(row, colDuration, end);
        sources.SetCell(row, colStartTime, start);
        sources.SetCell(row, colEndTime, end);
    }

    std::string OutputFolder() const { return home.Folder() + "Rivamo/"; }
    std::string Script() const { return TempDir::ReadFile(program.Path() / "VideoFile.avs"); }
    std::string Log() const { return TempDir::ReadFile(log.LogPath()); }

    TempDir program;
    TempDir home;
    OptionSelection options;
    MainChoices choices;
    TCustomProc customProc;
    SourceList sources;
    TAppFunc log;
    TFileFunc files;
    TCommonLib lib;
};

TEST_F(Convert_CommonLibTests, WorkedExampleRmVideo) {
    AddRow("/home/user/Clips/party.avi");
    const ConvertCommand command = lib.BuildCommandLine("/home/user/Clips/party.avi");
    const std::string& commandLine = command.CommandLine;
    RecordProperty("command_line", commandLine);

    EXPECT_EQ(commandLine, program.Folder() + "trenc -y -i \"/home/user/Clips/party.avi\"" + WorkedOptions +
                               " \"" + OutputFolder() + "party.rm\"");
    EXPECT_EQ(command.StartText, "00:01:10");
    EXPECT_EQ(command.DurationText, "110");
    EXPECT_EQ(command.OutputPath, OutputFolder() + "party.rm");
    EXPECT_EQ(command.parameters.FormatOption, "");
    EXPECT_EQ(command.parameters.ReservedOption, "");
    EXPECT_EQ(command.parameters.OutputFolder, OutputFolder());
    EXPECT_TRUE(fs::is_directory(OutputFolder()));
    EXPECT_NE(Log().find("|Output directory " + OutputFolder() + "\r\n"), std::string::npos) << Log();
    // The script is written for every source, RealMedia or not.
    EXPECT_EQ(Script(), "DirectShowSource(\"/home/user/Clips/party.avi\"" + ScriptLineTail);

    home.WriteFile("Rivamo/party.rm", "taken");
    EXPECT_EQ(SplitCommandLine(lib.BuildCommandLine("/home/user/Clips/party.avi").CommandLine).back(),
              OutputFolder() + "party_1.rm");
}

TEST_F(Convert_CommonLibTests, WorkedExampleRealMediaSourceGoesThroughTheScript) {
    AddRow("/home/user/Clips/show.rmvb");
    const ConvertCommand command = lib.BuildCommandLine("/home/user/Clips/show.rmvb");
    const std::string& commandLine = command.CommandLine;

    EXPECT_EQ(commandLine, program.Folder() + "rtrenc -y -i \"" + program.Folder() + "VideoFile.avs\"" +
                               WorkedOptions + " \"" + OutputFolder() + "show.rm\"");
    EXPECT_EQ(command.parameters.InputPath, program.Folder() + "VideoFile.avs");
    EXPECT_EQ(Script(), "DirectShowSource(\"/home/user/Clips/show.rmvb\"" + ScriptLineTail);
}

TEST_F(Convert_CommonLibTests, WorkedExampleMp3) {
    options.cbbOutputFiletype.Select(1);
    AddRow("/home/user/Clips/party.avi");
    const ConvertCommand command = lib.BuildCommandLine("/home/user/Clips/party.avi");
    const std::string& commandLine = command.CommandLine;

    EXPECT_EQ(commandLine,
              program.Folder() +
                  "trenc -y -i \"/home/user/Clips/party.avi\" -acodec mp3 -vn -ab 64 -vol 100 -ac 2 "
                  "-ar 44100 -ss 00:01:10 -t 110 \"" +
                  OutputFolder() + "party.mp3\"");
    // The video fragments are computed though the audio form leaves them out.
    EXPECT_EQ(command.parameters.VideoSizeOption, " -s 320x240");

    AddRow("/home/user/Clips/song.rm");
    EXPECT_EQ(
        lib.BuildCommandLine("/home/user/Clips/song.rm").CommandLine.substr(0, program.Folder().size() + 6),
        program.Folder() + "rtrenc");
}

TEST_F(Convert_CommonLibTests, UpperCaseRealMediaExtensionRunsTheTranscoderOnTheFileItself) {
    AddRow("/home/user/Clips/MOVIE.RM");
    const std::string commandLine = lib.BuildCommandLine("/home/user/Clips/MOVIE.RM").CommandLine;
    EXPECT_EQ(commandLine.rfind(program.Folder() + "trenc -y -i \"/home/user/Clips/MOVIE.RM\" ", 0), 0u)
        << commandLine;
    EXPECT_EQ(SplitCommandLine(commandLine).back(), OutputFolder() + "MOVIE.rm");
}

TEST_F(Convert_CommonLibTests, TrimFollowsTheRowTimes) {
    AddRow("/c/whole.avi", "", "00:03:00");
    AddRow("/c/zero.avi", "00:01:00", "00:01:00");
    AddRow("/c/bad.avi", "00:x:10", "00:03:00");

    const ConvertCommand whole = lib.BuildCommandLine("/c/whole.avi");
    EXPECT_EQ(whole.CommandLine.find(" -ss"), std::string::npos);
    EXPECT_EQ(whole.parameters.TrimOption, "");

    EXPECT_EQ(lib.BuildCommandLine("/c/zero.avi").parameters.TrimOption, " -ss 00:01:00 -t 0");

    EXPECT_THROW(lib.BuildCommandLine("/c/bad.avi"), std::invalid_argument);
}

TEST_F(Convert_CommonLibTests, PathsThatDifferInLetterCaseOnlyKeepTheirOwnCuts) {
    AddRow("/c/Party.AVI", "00:00:10", "00:00:50");
    AddRow("/c/party.avi", "00:00:20", "00:01:20");
    AddRow("/c/été.avi", "00:00:30", "00:00:40");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/c/Party.AVI", " -ss 00:00:10 -t 40"}, {"/c/party.avi", " -ss 00:00:20 -t 60"}, {"/c/ÉTÉ.avi", ""}};
    for (const auto& [path, trim] : cases)
        EXPECT_EQ(lib.BuildCommandLine(path).parameters.TrimOption, trim) << path;
    EXPECT_EQ(lib.BuildCommandLine("/c/ÉTÉ.avi").StartText, "");
}

TEST_F(Convert_CommonLibTests, NoVolumeLeavesOneBlankSoTwoStandBeforeTheChannels) {
    options.cbbAudioVolumeGain.Select(-1);
    AddRow("/c/party.avi");
    EXPECT_NE(lib.BuildCommandLine("/c/party.avi").CommandLine.find(" -ab 64  -ac 2 "), std::string::npos);
}

TEST_F(Convert_CommonLibTests, FragmentsFallBackWhenAListHasNoSelection) {
    const OptionList none;
    EXPECT_EQ(TCommonLib::CodecFragment(-1), " -vcodec xvid -acodec mp3");
    EXPECT_EQ(TCommonLib::VideoBitrateFragment(none), " -b 512");
    EXPECT_EQ(TCommonLib::VideoSizeFragment(none), " -s 320x240");
    EXPECT_EQ(TCommonLib::FrameRateFragment(none), " -r 25");
    EXPECT_EQ(TCommonLib::AspectFragment(none), " -aspect 4:3");
    EXPECT_EQ(TCommonLib::AudioBitrateFragment(none), " -ab 64");
    EXPECT_EQ(TCommonLib::VolumeFragment(none), " ");
    EXPECT_EQ(TCommonLib::ChannelsFragment(none), " -ac 2");
    EXPECT_EQ(TCommonLib::SampleRateFragment(none), " -ar 44100");
    EXPECT_EQ(TCommonLib::FormatFragment(-1), " -f ");
    EXPECT_EQ(TCommonLib::OutputExtensionOf(-1), ".avi");
    EXPECT_EQ(TCommonLib::ChannelsFragment(options.cbbAudioChannels), " -ac 2");
    Fill(options.cbbAudioChannels, CatalogueTable::cstAudioChannels, "1 channel, Mono");
    EXPECT_EQ(TCommonLib::ChannelsFragment(options.cbbAudioChannels), " -ac 1");
}

TEST_F(Convert_CommonLibTests, OutputFolderGainsOneSlashAndItsMissingParents) {
    choices.SetOutputFolder(home.Folder() + "a/b/c");
    EXPECT_EQ(lib.PrepareOutputFolder(), home.Folder() + "a/b/c/");
    EXPECT_TRUE(fs::is_directory(home.Path() / "a/b/c"));

    choices.SetOutputFolder(home.Folder() + "done/");
    EXPECT_EQ(lib.PrepareOutputFolder(), home.Folder() + "done/");
    EXPECT_TRUE(fs::is_directory(home.Path() / "done"));
    EXPECT_NE(Log().find("|Output directory " + home.Folder() + "done/\r\n"), std::string::npos);
}

TEST_F(Convert_CommonLibTests, OutputFolderThatCannotBeCreatedIsLoggedAsAnError) {
    choices.SetOutputFolder("");
    EXPECT_EQ(lib.PrepareOutputFolder(), "/");
    home.WriteFile("file", "in the way");
    choices.SetOutputFolder(home.Folder() + "file/out");
    EXPECT_EQ(lib.PrepareOutputFolder(), home.Folder() + "file/out/");
    const std::string text = Log();
    EXPECT_NE(text.find("|Output directory error. ->/\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("|Output directory error. ->" + home.Folder() + "file/out/\r\n"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("|Output directory /"), std::string::npos) << text;
}

TEST_F(Convert_CommonLibTests, ScriptIsReplacedWhole) {
    program.WriteFile("VideoFile.avs", std::string(4096, 'x') + "\r\nsecond line\r\n");
    AddRow("/c/a.rm");
    lib.BuildCommandLine("/c/a.rm");
    EXPECT_EQ(Script(), "DirectShowSource(\"/c/a.rm\"" + ScriptLineTail);
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(program.Path()), {}).size(), 4u)
        << "trenc, rtrenc, log.txt and the script; no temporary file left";
}

// Only the RealMedia transcoder reads the script: its failure costs that row its command line and
// is logged; other rows convert as always.
TEST_F(Convert_CommonLibTests, AScriptThatCannotBeWrittenFailsOnlyTheRowsThatReadItAndLeavesNoFile) {
    fs::create_directory(program.Path() / "VideoFile.avs");
    AddRow("/c/a.avi");
    AddRow("/c/b.rm");
    EXPECT_FALSE(lib.BuildCommandLine("/c/a.avi").CommandLine.empty());
    const ConvertCommand realMedia = lib.BuildCommandLine("/c/b.rm");
    EXPECT_EQ(realMedia.CommandLine, "");
    EXPECT_EQ(realMedia.OutputPath, "");
    EXPECT_TRUE(fs::is_directory(program.Path() / "VideoFile.avs"));
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(program.Path()), {}).size(), 4u)
        << "trenc, rtrenc, log.txt and the folder; no temporary file left";
    EXPECT_NE(TempDir::ReadFile(program.Path() / "log.txt").find("VideoFile.avs\". Not a regular file."),
              std::string::npos);
}

TEST_F(Convert_CommonLibTests, SourcePathHoldingAQuotationMarkStandsInTripleQuotesInTheScript) {
    AddRow("/c/say \"hi\".rm");
    lib.BuildCommandLine("/c/say \"hi\".rm");
    EXPECT_EQ(Script(), "DirectShowSource(\"\"\"/c/say \"hi\".rm\"\"\"" + ScriptLineTail);
}

// Whatever a source is called, the command line splits into exactly the executable, the input path,
// the options and the output path: no name can add an option. The program folder holds a blank too.
TEST_F(Convert_CommonLibTests, NoFileNameCanInjectAnOption) {
    const std::string folder = program.Folder() + "opt rivamo/";
    program.WriteFile("opt rivamo/trenc", "");
    TCommonLib blankLib(folder, customProc, sources, log, files);
    const std::vector<std::string> options = {
        "-vcodec", "rv20", "-b",  "512", "-s", "320x240", "-r",    "25",  "-aspect",  "4:3", "-ab",
        "64",      "-vol", "100", "-ac", "2",  "-ar",     "44100", "-ss", "00:01:10", "-t",  "110"};
    struct Case {
        std::string path;
        std::string outputName;
    };
    const std::vector<Case> cases = {
        {"/home/user/My Clips/say \"hi\".avi", "say \"hi\".rm"},
        {"/home/user/Clips/-y -f null.avi", "-y -f null.rm"},
        {"/home/user/Clips/\" -f null \"x.avi", "\" -f null \"x.rm"},
        {"/home/user/Clips/Übung naïve ñ.avi", "Übung naïve ñ.rm"},
        {"/home/user/Clips/back\\\\.avi", "back\\\\.rm"},
        {"/home/user/Clips/tab\there.avi", "tab\there.rm"},
        {"/home/user/Clips\\\" -y \\\"/x.avi", "x.rm"},
    };
    for (const Case& c : cases) {
        AddRow(c.path);
        const ConvertCommand command = blankLib.BuildCommandLine(c.path);
        const std::string& commandLine = command.CommandLine;
        EXPECT_EQ(command.parameters.TranscoderPath, folder + "trenc");
        const auto arguments = ArgumentsAfter(folder + "trenc", commandLine);
        ASSERT_TRUE(arguments.has_value()) << commandLine;
        std::vector<std::string> expected = {"-y", "-i", c.path};
        expected.insert(expected.end(), options.begin(), options.end());
        expected.push_back(OutputFolder() + c.outputName);
        EXPECT_EQ(SplitCommandLine(*arguments), expected) << commandLine;
    }
}

// A custom profile selected in the Options dialog decides the six profile lists each time a command
// line is built, even after the user changed them by hand.
TEST_F(Convert_CommonLibTests, CustomProfileOverridesTheProfileListsEveryTime) {
    program.WriteFile("Config/UserProfileInfo.ini", "[Mine]\r\nMine=0|6|4|8|0|3\r\n");
    options.cbbCustomProfile.Append("Mine");
    options.cbbCustomProfile.Select(0);
    AddRow("/c/party.avi");
    const std::string expected = " -vcodec rv20 -b 1500 -s 160x112 -r 30 -aspect 4:3 -ab 224 -vol 100 -ac 1 "
                                 "-ar 48000 -ss 00:01:10 -t 110";

    EXPECT_NE(lib.BuildCommandLine("/c/party.avi").CommandLine.find(expected), std::string::npos);
    Fill(options.cbbVideoSize, CatalogueTable::cstVideoSizes, "368x208");
    Fill(options.cbbAudioSample, CatalogueTable::cstAudioSampleRates, "22050");
    EXPECT_NE(lib.BuildCommandLine("/c/party.avi").CommandLine.find(expected), std::string::npos);
}

// The output types after MP3: FFmpeg's spellings, constant quality under the chosen ceiling, a size
// box as a scale filter, and no option at all for what stays as the source has it.
TEST_F(Convert_CommonLibTests, ModernOutputTypesSpellTheirOptionsAsFfmpegDoes) {
    const std::string same = SameAsSourceItem;
    const std::string box720 =
        " -vf scale=1280:720:force_original_aspect_ratio=decrease:force_divisible_by=2";
    struct Case {
        std::string type, size, bitrate, rate, sample, expected;
    };
    const Case cases[] = {
        {"MP4 Video, H.264 + AAC (*.mp4)", same, "6000", same, same,
         " -vcodec libx264 -pix_fmt yuv420p -acodec aac -movflags +faststart -crf 22 -maxrate 6000k "
         "-bufsize 12000k -b:a 64k -vol 100 -ac 2 -f mp4"},
        {"MP4 Video, H.265 + AAC (*.mp4)", "1280x720", "20000", "50", "48000",
         " -vcodec libx265 -preset fast -pix_fmt yuv420p -tag:v hvc1 -acodec aac -movflags +faststart -crf "
         "23 -maxrate "
         "20000k -bufsize 40000k" +
             box720 + " -r 50 -b:a 64k -vol 100 -ac 2 -ar 48000 -f mp4"},
        // A ceiling between two qualities takes the lower one's level.
        {"WebM Video, VP9 + Opus (*.webm)", same, "2000", same, same,
         " -vcodec libvpx-vp9 -pix_fmt yuv420p -acodec libopus -crf 40 -b:v 2000k -maxrate 2000k -bufsize "
         "4000k -b:a "
         "64k "
         "-vol 100 -ac 2 -f webm"},
        {"WebM Video, AV1 + Opus (*.webm)", same, "12000", same, same,
         " -vcodec libsvtav1 -preset 8 -pix_fmt yuv420p -acodec libopus -crf 30 -maxrate 12000k -bufsize "
         "24000k "
         "-b:a 64k -vol 100 -ac 2 -f webm"},
        {"M4A Audio, AAC (*.m4a)", "1280x720", "6000", same, same,
         " -acodec aac -vn -movflags +faststart -b:a 64k -vol 100 -ac 2 -f ipod"},
        {"Opus Audio (*.opus)", same, "6000", same, "48000",
         " -acodec libopus -vn -b:a 64k -vol 100 -ac 2 -ar 48000 -f ogg"},
        {"FLAC Audio, Lossless (*.flac)", same, "6000", same, same,
         " -acodec flac -vn -vol 100 -ac 2 -f flac"},
        // The classic types pass no option for "Same as source" either; their own items are unchanged.
        {"RM Video Files (*.rm)", same, "512", same, same, " -vcodec rv20 -b 512 -ab 64 -vol 100 -ac 2"},
    };
    AddRow("/home/user/Clips/party.avi");
    for (const Case& c : cases) {
        Fill(options.cbbOutputFiletype, CatalogueTable::cstOutputFileTypes, c.type);
        Fill(options.cbbVideoSize, CatalogueTable::cstVideoSizes, c.size);
        Fill(options.cbbVideoBitrate, CatalogueTable::cstVideoBitrates, c.bitrate);
        Fill(options.cbbFramerate, CatalogueTable::cstFrameRates, c.rate);
        Fill(options.cbbAspectratio, CatalogueTable::cstAspectRatios, same);
        Fill(options.cbbAudioSample, CatalogueTable::cstAudioSampleRates, c.sample);
        const std::string extension = OutputTypeAt(options.cbbOutputFiletype.ItemIndex())->extension;
        EXPECT_EQ(lib.BuildCommandLine("/home/user/Clips/party.avi").CommandLine,
                  program.Folder() + "trenc -y -i \"/home/user/Clips/party.avi\"" + c.expected +
                      " -ss 00:01:10 -t 110 \"" + OutputFolder() + "party" + extension + "\"")
            << c.type;
    }
}

// Every stream copied: the container follows the source, the cut mode decides "-cut exact", and a
// cut that must begin at an earlier key frame says how much earlier and, for an exact cut, why.
TEST_F(Convert_CommonLibTests, CopyTypeFollowsTheSourceContainerAndTheCutMode) {
    const std::string mov = "mov,mp4,m4a,3gp,3g2,mj2";
    const std::string mkv = "matroska,webm";
    const std::vector<int64_t> keys = {0, 5000, 300000, 305000};
    TableCopyProbe probe;
    probe.facts["/c/phone.MOV"] = {mov, keys, true, "", false, 600000, 1000};
    probe.facts["/c/show.WebM"] = {mkv, keys, false, "VP9 video", false, 600000, 1000};
    probe.facts["/c/film.mkv"] = {mkv, keys, false, "interlaced video", false, 600000, 1000};
    probe.facts["/c/air.ts"] = {"mpegts", keys, false, "", false, 600000, 1000};
    probe.facts["/c/old.rm"] = {"rm", keys, false, "RealVideo 2 video", false, 600000, 1000};
    lib.SetCopySourceProbe(&probe);
    Fill(options.cbbOutputFiletype, CatalogueTable::cstOutputFileTypes, "Same as source, no re-encoding");
    struct Case {
        std::string path, start, end;
        CutMode mode;
        std::string options, output;
        int64_t leadMs;
        std::string notice;
    };
    const std::string exact = " -cut exact";
    const std::string kf = "cut at the key frame at 00:05:00.000 (";
    const Case cases[] = {
        {"/c/phone.MOV", "00:05:02", "00:05:32", CutMode::Exact, exact + " -ss 00:05:02 -t 30", "phone.mp4",
         0, ""},
        {"/c/phone.MOV", "00:05:02", "00:05:32", CutMode::KeyFrames, " -ss 00:05:02 -t 30", "phone.mp4", 2000,
         ""},
        {"/c/show.WebM", "00:05:02", "00:05:32", CutMode::Exact, exact + " -ss 00:05:02 -t 30", "show.webm",
         2000, kf + "VP9 video)"},
        {"/c/film.mkv", "00:05:02", "00:05:32", CutMode::Exact, exact + " -ss 00:05:02 -t 30", "film.mkv",
         2000, kf + "interlaced video)"},
        {"/c/film.mkv", "00:05:00", "00:05:32", CutMode::Exact, exact + " -ss 00:05:00 -t 32", "film.mkv", 0,
         ""},
        {"/c/air.ts", "", "00:10:00", CutMode::Exact, exact, "air.ts", 0, ""},
        {"/c/air.ts", "00:00:07", "00:10:00", CutMode::Exact, exact + " -ss 00:00:07 -t 593", "air.ts", 2000,
         "cut at the key frame at 00:00:05.000 (the source does not allow it)"},
        // The transcoder reads a RealMedia file itself, never through the script; an unknown file
        // becomes Matroska, cut where asked.
        {"/c/old.rm", "", "00:10:00", CutMode::KeyFrames, "", "old.mkv", 0, ""},
        {"/c/unknown.avi", "00:00:07", "00:10:00", CutMode::Exact, exact + " -ss 00:00:07 -t 593",
         "unknown.mkv", 0, ""},
    };
    for (const Case& c : cases) {
        AddRow(c.path, c.start, c.end);
        choices.SetCut(c.mode);
        const ConvertCommand command = lib.BuildCommandLine(c.path);
        EXPECT_EQ(command.CommandLine, program.Folder() + "trenc -y -i \"" + c.path + "\" -map 0 -c copy" +
                                           c.options + " \"" + OutputFolder() + c.output + "\"")
            << c.path;
        EXPECT_EQ(command.LeadMs, c.leadMs) << c.path;
        EXPECT_EQ(command.CutNotice, c.notice) << c.path;
    }
    // A hostile name stays one argument, and its output name the next free one.
    const std::string hostile = "/c/\" -f null -y \"x.mkv";
    home.WriteFile("Rivamo/\" -f null -y \"x.mkv", "taken");
    AddRow(hostile, "", "00:01:00");
    const ConvertCommand command = lib.BuildCommandLine(hostile);
    EXPECT_EQ(SplitCommandLine(*ArgumentsAfter(program.Folder() + "trenc", command.CommandLine)),
              (std::vector<std::string>{"-y", "-i", hostile, "-map", "0", "-c", "copy", "-cut", "exact",
                                        OutputFolder() + "\" -f null -y \"x_1.mkv"}));
}
