#include "transcoder/StatusLine.h"

#include <gtest/gtest.h>

#include <string>

#include "convert/ConvertingWindowLogic.h"

namespace {

// The progress window reads the line with the output type's codec argument and extension.
std::optional<int32_t> ReadByTheProgressWindow(const std::string& line, bool audioOnly) {
    return audioOnly ? OutputSeconds(line, "-acodec mp3 -vn", ".mp3")
                     : OutputSeconds(line, "-vcodec rv20", ".rm");
}

TEST(Transcoder_StatusLineTests, VideoLineHasTheFixedShape) {
    StatusInfo info{true, 1234, 3.5, 2048 * 1024, 81.239};
    EXPECT_EQ(FormatStatusLine(info, false),
              "frame= 1234 q= 3.5 size=    2048kB time=81.24 bitrate= 206.5kbits/s\r");
    EXPECT_EQ(ReadByTheProgressWindow(FormatStatusLine(info, false), false), 81);
}

TEST(Transcoder_StatusLineTests, AudioOnlyLineHasThreeFields) {
    StatusInfo info{false, 0, 0.0, 512 * 1024, 7.5};
    EXPECT_EQ(FormatStatusLine(info, true), "size=     512kB time=7.50 bitrate= 559.2kbits/s\n");
    EXPECT_EQ(ReadByTheProgressWindow(FormatStatusLine(info, true), true), 7);
}

TEST(Transcoder_StatusLineTests, UnknownTimeReadsAsNotYetKnown) {
    StatusInfo video{true, 0, 0.0, 0, std::nullopt};
    const std::string line = FormatStatusLine(video, false);
    EXPECT_EQ(line, "frame=    0 q= 0.0 size=       0kB time=10000000000.00 bitrate=   0.0kbits/s\r");
    EXPECT_EQ(ReadByTheProgressWindow(line, false), std::nullopt);
    StatusInfo audio{false, 0, 0.0, 0, std::nullopt};
    EXPECT_EQ(ReadByTheProgressWindow(FormatStatusLine(audio, false), true), std::nullopt);
}

} // namespace
