#include "sources/FfmpegMediaProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "sources/DurationProbe.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"

namespace {

namespace fs = std::filesystem;

// Long enough that every container's rounding of its length still reads 2 whole seconds.
constexpr double ContainerClipSeconds = 2.5;
const std::vector<std::string> AviCodecs = {"-c:v", "mpeg4", "-c:a", "pcm_s16le"};

// The usual picture and tone of a container clip, with the given codecs and tags.
ClipRecipe ContainerRecipe(std::vector<std::string> codecs) {
    return {ContainerClipSeconds, "64x48", 10, 8000, std::move(codecs)};
}

// The containers the source list accepts, each with codecs its usual players decode.
const std::vector<std::string> ContainerClips = {"clip.avi", "clip.mov", "clip.3gp", "clip.mpg", "clip.flv",
                                                 "clip.wmv", "clip.asf", "clip.vob", "clip.rm",  "clip.m4v"};

const std::map<std::string, ClipRecipe>& Recipes() {
    static const std::map<std::string, ClipRecipe> recipes = {
        {"clip.avi", {ContainerClipSeconds, "64x48", 10, 8000, AviCodecs}},
        {"clip.mov", ContainerRecipe({"-c:v", "mpeg4", "-c:a", "aac"})},
        {"clip.3gp", {ContainerClipSeconds, "128x96", 10, 8000, {"-c:v", "h263", "-c:a", "aac"}}},
        {"clip.mpg",
         {ContainerClipSeconds, "64x48", 25, 32000, {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"}}},
        {"clip.flv", {ContainerClipSeconds, "64x48", 10, 22050, {"-c:v", "flv", "-c:a", "libmp3lame"}}},
        {"clip.wmv", ContainerRecipe({"-c:v", "wmv2", "-c:a", "wmav2"})},
        {"clip.asf", ContainerRecipe({"-c:v", "wmv2", "-c:a", "wmav2"})},
        {"clip.vob",
         {ContainerClipSeconds, "64x48", 25, 48000, {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "vob"}}},
        {"clip.rm", ContainerRecipe({"-c:v", "rv10", "-c:a", "real_144"})},
        {"clip.m4v", ContainerRecipe({"-c:v", "mpeg4", "-c:a", "aac", "-f", "mp4"})},
        {"0.9s.avi", {0.9, "64x48", 10, 8000, AviCodecs}},
        {"1s.avi", {1.0, "64x48", 10, 8000, AviCodecs}},
        {"61s.avi", {61.0, "32x32", 2, 8000, AviCodecs}},
    };
    return recipes;
}

class Sources_FfmpegMediaProbeTests : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_clips = std::make_unique<TempDir>(); }
    static void TearDownTestSuite() {
        s_paths.clear();
        s_clips.reset();
    }

    // A clip is made once for the whole suite, when a test first asks for it; the tests copy, rename
    // or damage it, never change it.
    static const std::string& Clip(const std::string& name) {
        auto found = s_paths.find(name);
        if (found == s_paths.end())
            found = s_paths.emplace(name, MakeClip(*s_clips, name, Recipes().at(name))).first;
        return found->second;
    }

    int64_t Seconds(const std::string& path) { return ProbeDuration(path, *m_graph); }

    TempDir m_folder;
    FfmpegMediaProbe m_probe;
    std::unique_ptr<ProbeGraph> m_graph = m_probe.NewGraph();

private:
    static inline std::unique_ptr<TempDir> s_clips;
    static inline std::map<std::string, std::string> s_paths;
};

// Sets the working folder for relative paths and restores the previous one.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : m_previous(fs::current_path()) {
        fs::current_path(folder);
    }
    ~WorkingFolder() { fs::current_path(m_previous); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path m_previous;
};

std::string CopyTo(const std::string& source, const fs::path& target) {
    fs::create_directories(target.parent_path());
    fs::copy_file(source, target);
    return target.string();
}

} // namespace

TEST_F(Sources_FfmpegMediaProbeTests, DurationIsTruncatedToWholeSeconds) {
    const int64_t shortMs = m_graph->RenderDurationMs(Clip("0.9s.avi"));
    EXPECT_GE(shortMs, 850); // measured, not failed...
    EXPECT_LT(shortMs, 1000);
    EXPECT_EQ(Seconds(Clip("0.9s.avi")), 0); // ...and still under one second
    EXPECT_EQ(Seconds(Clip("1s.avi")), 1);
    EXPECT_EQ(Seconds(Clip("61s.avi")), 61);
}

TEST_F(Sources_FfmpegMediaProbeTests, EveryAcceptedContainerIsMeasured) {
    for (const auto& clip : ContainerClips) {
        EXPECT_EQ(Seconds(Clip(clip)), 2) << clip;
    }
}

TEST_F(Sources_FfmpegMediaProbeTests, StreamWithoutDecoderIsNotRendered) {
    // Format tags that no codec claims: the stream is there, but nothing can decode it, the way a
    // file in a codec the system lacks behaves.
    const std::string unknownAudio = MakeClip(
        m_folder, "unknown-audio.avi",
        ContainerRecipe({"-c:v", "mpeg4", "-c:a", "pcm_s16le", "-tag:a", "0x04d2", "-strict", "-1"}));
    const std::string unknownVideo =
        MakeClip(m_folder, "unknown-video.avi",
                 ContainerRecipe({"-c:v", "mpeg4", "-tag:v", "QQQQ", "-c:a", "pcm_s16le", "-strict", "-1"}));
    EXPECT_EQ(m_graph->RenderDurationMs(unknownAudio), 0);
    EXPECT_EQ(m_graph->RenderDurationMs(unknownVideo), 0);
    // The same clip with its usual tags plays.
    EXPECT_EQ(Seconds(Clip("clip.avi")), 2);
}

TEST_F(Sources_FfmpegMediaProbeTests, OnlyAudioAndVideoStreamsCount) {
    // A time code track is a data stream without a decoder; it does not stop playback.
    const std::string withTimecode =
        MakeClip(m_folder, "timecode.mov",
                 ContainerRecipe({"-c:v", "mpeg4", "-c:a", "aac", "-timecode", "00:00:00:00"}));
    EXPECT_EQ(Seconds(withTimecode), 2);
    // Subtitles alone have a length but nothing to play.
    const std::string subtitles =
        m_folder.WriteFile("subtitles.avi", "1\n00:00:01,000 --> 00:00:09,000\nHello\n\n2\n00:00:10,000 --> "
                                            "00:00:20,000\nAgain\n\n");
    EXPECT_EQ(m_graph->RenderDurationMs(subtitles), 0);
}

TEST_F(Sources_FfmpegMediaProbeTests, AwkwardPathsAreUsedWhole) {
    const fs::path folder = m_folder.Path();
    std::vector<std::string> paths = {
        CopyTo(Clip("clip.avi"), folder / "a clip with  blanks .avi"),
        CopyTo(Clip("clip.avi"), folder / "say \"cheese\" it's.avi"),
        CopyTo(Clip("clip.avi"), folder / "Größe ñandú 映画.avi"),
        CopyTo(Clip("clip.avi"), folder / "part:1 ?x=1#y.avi"),
        CopyTo(Clip("clip.avi"), folder / "clip%d.avi"),
    };
    std::string longFolder;
    for (int level = 0; level < 6; ++level)
        longFolder += std::string(50, static_cast<char>('a' + level)) + "/";
    paths.push_back(CopyTo(Clip("clip.mov"), folder / longFolder / "deep clip.mov"));
    ASSERT_GT(paths.back().size(), 255u);
    for (const auto& path : paths)
        EXPECT_EQ(Seconds(path), 2) << path;

    // Relative names that look like options or like addresses are still local files.
    CopyTo(Clip("clip.avi"), folder / "-i.avi");
    CopyTo(Clip("clip.avi"), folder / "http:" / "example.invalid" / "clip.avi");
    CopyTo(Clip("clip.avi"), folder / "concat:-i.avi|x.avi");
    const WorkingFolder inFolder(folder);
    for (const std::string relative : {"-i.avi", "http://example.invalid/clip.avi", "concat:-i.avi|x.avi"})
        EXPECT_EQ(Seconds(relative), 2) << relative;
}

TEST_F(Sources_FfmpegMediaProbeTests, WhatIsNoMediaFileGivesZero) {
    const fs::path folder = m_folder.Path();
    std::vector<std::string> paths = {
        m_folder.WriteFile("empty.avi", ""),
        m_folder.WriteFile("notes.avi", "These are notes about a holiday, not a video.\n"),
        m_folder.WriteFile("page.mpg", "<html><body>404 Not Found</body></html>\n"),
        (folder / "missing.avi").string(),
    };
    fs::create_directory(folder / "folder.avi");
    paths.push_back((folder / "folder.avi").string());
    // Opening a FIFO for reading waits for a writer that never comes.
    ASSERT_EQ(mkfifo((folder / "clip.avi").c_str(), 0600), 0);
    paths.push_back((folder / "clip.avi").string());
    fs::create_symlink("/dev/zero", folder / "zero.avi");
    paths.push_back((folder / "zero.avi").string());
    // Four gigabytes of zeros that take no disk space: the probe must not read them all.
    {
        std::ofstream huge(folder / "huge.wmv", std::ios::binary);
        huge.seekp((int64_t{1} << 32) - 1);
        huge.put('\0');
    }
    paths.push_back((folder / "huge.wmv").string());

    for (const auto& path : paths)
        EXPECT_EQ(m_graph->RenderDurationMs(path), 0) << path;
}

TEST_F(Sources_FfmpegMediaProbeTests, DamagedFilesNeitherCrashNorHang) {
    // Damaged copies of every container clip, drawn from a fixed seed so a failure can be replayed.
    constexpr int TruncationsPerClip = 10;
    constexpr int OverwritesPerClip = 12;
    std::mt19937 random(20240605);
    int damaged = 0;
    int measured = 0;
    for (const auto& clip : ContainerClips) {
        const std::string original = TempDir::ReadFile(Clip(clip));
        const int64_t originalMs = m_graph->RenderDurationMs(Clip(clip));
        const std::string extension = fs::path(clip).extension().string();
        auto pick = [&](std::size_t low, std::size_t high) {
            return std::uniform_int_distribution<std::size_t>(low, high)(random);
        };
        for (int i = 0; i < TruncationsPerClip + OverwritesPerClip; ++i) {
            std::string bytes = original;
            const bool truncated = i < TruncationsPerClip;
            if (truncated) {
                bytes.resize(pick(1, bytes.size() - 1));
            } else {
                // Half of the overwrites hit the first kilobyte, where the headers are.
                const std::size_t end = i % 2 == 0 ? std::min<std::size_t>(1024, bytes.size()) : bytes.size();
                const std::size_t length = pick(1, 32);
                const std::size_t at = pick(0, end - length);
                for (std::size_t k = 0; k < length; ++k)
                    bytes[at + k] = static_cast<char>(pick(0, 255));
            }
            const std::string name = "damaged-" + std::to_string(damaged++) + extension;
            const std::string path = m_folder.WriteFile(name, bytes);
            const int64_t milliseconds = m_graph->RenderDurationMs(path);
            EXPECT_GE(milliseconds, 0) << name << " from " << clip;
            // A cut file never grows. An overwritten time stamp or header field may claim any length
            // (an MPEG stream with one damaged time stamp reads hours), as it would in any player.
            if (truncated) {
                EXPECT_LE(milliseconds, originalMs) << name << " from " << clip;
            }
            measured += milliseconds > 0 ? 1 : 0;
        }
    }
    EXPECT_GE(damaged, 200);
    RecordProperty("damaged", damaged);
    RecordProperty("measured", measured);
    std::cout << damaged << " damaged files, " << measured << " still measured\n";
}

TEST_F(Sources_FfmpegMediaProbeTests, ProbePastItsTimeLimitGivesZero) {
    FfmpegMediaProbe impatient(std::chrono::milliseconds(0));
    EXPECT_EQ(impatient.NewGraph()->RenderDurationMs(Clip("clip.avi")), 0);
    EXPECT_EQ(Seconds(Clip("clip.avi")), 2);
}
