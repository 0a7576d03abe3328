// The modern outputs as the converter asks for them: each opens, decodes cleanly, has its codecs,
// lasts the cut, keeps the picture's shape and carries the source's metadata over.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/common/MediaCheck.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"
#include "tests/transcoder/ChildRun.h"
#include "tests/transcoder/TestClips.h"

namespace {

const std::string kBox = "scale=1280:720:force_original_aspect_ratio=decrease:force_divisible_by=2";
const std::string kCreated = "2024-05-01T10:00:00";

struct Output {
    const char* name;
    std::vector<std::string> arguments; // the fast end of each encoder's presets keeps the tests quick
    const char* extension;
    const char* video; // "" for sound only
    const char* audio;
};

const std::vector<Output>& Outputs() {
    static const std::vector<Output> outputs{
        {"MP4 H.264",
         {"-vcodec", "libx264", "-preset", "ultrafast", "-crf", "23", "-maxrate", "2000k", "-bufsize",
          "4000k", "-pix_fmt", "yuv420p", "-acodec", "aac", "-ab", "128k", "-movflags", "+faststart"},
         ".mp4",
         "h264",
         "aac"},
        {"MP4 H.265",
         {"-vcodec", "libx265", "-preset", "ultrafast", "-crf", "28", "-maxrate", "2000k", "-bufsize",
          "4000k", "-pix_fmt", "yuv420p", "-tag:v", "hvc1", "-acodec", "aac", "-movflags", "+faststart"},
         ".mp4",
         "hevc",
         "aac"},
        {"WebM VP9",
         {"-vcodec", "libvpx-vp9", "-cpu-used", "8", "-crf", "33", "-b:v", "2000k", "-pix_fmt", "yuv420p",
          "-acodec", "libopus"},
         ".webm",
         "vp9",
         "opus"},
        {"WebM AV1",
         {"-vcodec", "libsvtav1", "-preset", "12", "-crf", "35", "-maxrate", "2000k", "-pix_fmt", "yuv420p",
          "-acodec", "libopus"},
         ".webm",
         "av1",
         "opus"},
        {"M4A", {"-vn", "-acodec", "aac", "-ab", "128k", "-movflags", "+faststart"}, ".m4a", "", "aac"},
        {"Opus", {"-vn", "-acodec", "libopus", "-ab", "96k"}, ".opus", "", "opus"},
        {"FLAC", {"-vn", "-acodec", "flac"}, ".flac", "", "flac"},
    };
    return outputs;
}

struct Source {
    std::string path;
    int width, height; // as shown, upright
};

// 2 s sources of three shapes and a phone's portrait video (stored landscape, turned by its display
// matrix; its top half is white, so the turn's direction shows), with a creation time and an audio
// language.
const std::vector<Source>& Sources() {
    static const std::vector<Source> sources = [] {
        const std::vector<std::string> tagged{"-c:v",
                                              "mpeg4",
                                              "-q:v",
                                              "3",
                                              "-c:a",
                                              "aac",
                                              "-metadata",
                                              "creation_time=" + kCreated + "Z",
                                              "-metadata:s:a:0",
                                              "language=fra"};
        std::vector<Source> made;
        for (const auto& [size, width, height] :
             {std::tuple{"320x180", 320, 180}, std::tuple{"240x180", 240, 180},
              std::tuple{"180x320", 180, 320}})
            made.push_back({MakeClip(TestClips::Folder(), std::string("shape") + size + ".mov",
                                     {2.0, size, 25, 44100, tagged, ClipPicture::TestSource}),
                            width, height});
        const std::string stored = TestClips::Folder().Path() / "stored.mov";
        const std::string phone = TestClips::Folder().Path() / "phone.mov";
        std::vector<std::string> arguments{
            "-f", "lavfi", "-i", "color=black:s=320x180:r=25:d=2,drawbox=w=320:h=90:color=white:t=fill",
            "-f", "lavfi", "-i", "sine=d=2"};
        arguments.insert(arguments.end(), tagged.begin(), tagged.end());
        arguments.push_back(stored);
        // The muxer writes the display matrix of a "rotate" tag for copied streams only.
        if (RunFfmpeg(arguments) != 0 ||
            RunFfmpeg({"-i", stored, "-c", "copy", "-metadata:s:v:0", "rotate=90", "-metadata",
                       "creation_time=" + kCreated + "Z", phone}) != 0)
            throw std::runtime_error("ffmpeg could not make the phone clip");
        made.push_back({phone, 180, 320});
        return made;
    }();
    return sources;
}

class Transcoder_ModernOutputTests : public ::testing::Test {
protected:
    TempDir m_dir;

    // Converts the cut [0.5 s, 1.5 s) and checks what every output must be; returns the report.
    MediaReport Convert(const Output& output, const Source& source, const std::vector<std::string>& size) {
        const std::string path = m_dir.Path() / (std::string("out") + output.extension);
        std::vector<std::string> arguments{"-y", "-i", source.path, "-ss", "0.5", "-t", "1"};
        arguments.insert(arguments.end(), output.arguments.begin(), output.arguments.end());
        arguments.insert(arguments.end(), size.begin(), size.end());
        arguments.push_back(path);
        const auto run = RunChild(TrencPath(), arguments);
        EXPECT_EQ(run.exitStatus, 0) << run.output;
        // The final status line tells the output's length, as for every other output type.
        const std::string status = LastLine(run.output);
        const size_t time = status.rfind("time=");
        EXPECT_NE(time, std::string::npos) << status;
        if (time != std::string::npos) {
            EXPECT_NEAR(std::stod(status.substr(time + 5)), 1.0, 0.1) << status;
        }
        EXPECT_EQ(RunFfmpeg({"-xerror", "-i", path, "-f", "null", "-"}), 0);
        const MediaReport media = CheckMedia(path);
        EXPECT_EQ(media.errors, 0) << media.openError;
        EXPECT_EQ(media.audioCodec, output.audio);
        EXPECT_NEAR(media.AudioSeconds(), 1.0, 0.06);
        EXPECT_EQ(media.creationTime.substr(0, kCreated.size()), kCreated);
        EXPECT_EQ(media.audioLanguage, "fra");
        EXPECT_EQ(media.videoCodec, output.video);
        if (*output.video) {
            EXPECT_NEAR(static_cast<double>(media.videoFrames), 25.0, 1.0);
            EXPECT_FALSE(media.hasRotation);
        }
        return media;
    }
};

TEST_F(Transcoder_ModernOutputTests, EveryOutputDecodesCleanlyAndKeepsShapeAndMetadata) {
    for (const Output& output : Outputs()) {
        for (const Source& source : Sources()) {
            SCOPED_TRACE(std::string(output.name) + " from " + source.path);
            const double shape = static_cast<double>(source.width) / source.height;
            const MediaReport same = Convert(output, source, {});
            if (!*output.video)
                break;
            EXPECT_EQ(same.width, source.width);
            EXPECT_EQ(same.height, source.height);
            const MediaReport boxed = Convert(output, source, {"-vf", kBox});
            EXPECT_NEAR(boxed.DisplayAspect(), shape, 0.01);
            EXPECT_TRUE((boxed.width == 1280 && boxed.height <= 720) ||
                        (boxed.height == 720 && boxed.width <= 1280))
                << boxed.width << "x" << boxed.height;
            EXPECT_EQ(boxed.width % 2 + boxed.height % 2, 0);
        }
    }
}

TEST_F(Transcoder_ModernOutputTests, PhoneVideoIsTurnedUprightAsTheFfmpegCommandShowsIt) {
    const Source& phone = Sources().back();
    const std::string reference = m_dir.Path() / "reference.mp4";
    ASSERT_EQ(RunFfmpeg({"-i", phone.path, "-c:v", "libx264", "-preset", "ultrafast", "-an", reference}), 0);
    const MediaReport expected = CheckMedia(reference);
    // The white half lies on one side only once the picture is upright.
    ASSERT_GT(std::abs(expected.firstLeftLuma - expected.firstRightLuma), 100.0);
    const MediaReport upright = Convert(Outputs().front(), phone, {});
    EXPECT_NEAR(upright.firstLeftLuma, expected.firstLeftLuma, 10.0);
    EXPECT_NEAR(upright.firstRightLuma, expected.firstRightLuma, 10.0);
}

TEST_F(Transcoder_ModernOutputTests, ConstantQualityStaysUnderTheCeiling) {
    // Fine quality on a noisy picture asks for far more than the ceiling.
    const std::string noisy = MakeClip(
        m_dir, "noisy.mkv", {2.0, "320x180", 25, 0, {"-vf", "noise=alls=12:allf=t", "-c:v", "ffv1"}});
    // Over a short clip a ceiling holds with its buffer on top: 300 kbit/s and 150 kbit over 2 s.
    constexpr double kBound = 1.1 * (300000.0 + 150000.0 / 2.0);
    struct Case {
        std::vector<std::string> quality;
        std::vector<std::string> ceiling;
    };
    for (const Case& c : {Case{{"-vcodec", "libx264", "-preset", "ultrafast", "-crf", "4"},
                               {"-maxrate", "300k", "-bufsize", "150k"}},
                          Case{{"-vcodec", "libx265", "-preset", "ultrafast", "-crf", "4"},
                               {"-maxrate", "300k", "-bufsize", "150k"}},
                          Case{{"-vcodec", "libvpx-vp9", "-cpu-used", "8", "-crf", "4"}, {"-b:v", "300k"}},
                          Case{{"-vcodec", "libsvtav1", "-preset", "12", "-crf", "4"},
                               {"-maxrate", "300k", "-bufsize", "150k"}}}) {
        SCOPED_TRACE(c.quality[1]);
        std::vector<double> rates;
        for (const bool capped : {false, true}) {
            const std::string path = m_dir.Path() / "capped.mkv";
            std::vector<std::string> arguments{"-y", "-i", noisy, "-pix_fmt", "yuv420p"};
            arguments.insert(arguments.end(), c.quality.begin(), c.quality.end());
            if (capped)
                arguments.insert(arguments.end(), c.ceiling.begin(), c.ceiling.end());
            arguments.push_back(path);
            const auto run = RunChild(TrencPath(), arguments);
            ASSERT_EQ(run.exitStatus, 0) << run.output;
            const MediaReport media = CheckMedia(path);
            rates.push_back(static_cast<double>(media.videoBytes) * 8.0 / media.videoSeconds);
        }
        EXPECT_GT(rates[0], 2.0 * kBound);
        EXPECT_LT(rates[1], kBound);
    }
}

} // namespace
