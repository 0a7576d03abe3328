#include "convert/ConvertingWindowLogic.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/convert/BatchFakes.h"
#include "tests/convert/BatchWorld.h"

using ::testing::ElementsAre;

TEST(Convert_OutputSecondsTests, ReadsTheTimeFieldOfVideoAndAudioStatusLines) {
    const std::string video = "frame=  250 q=2.0 size=     512kB time=12.84 bitrate= 326.7kbits/s";
    const std::string audio = "size=     201kB time=12.84 bitrate= 128.0kbits/s";
    EXPECT_EQ(OutputSeconds(video, " -vcodec rv20", ".rm"), 12);
    EXPECT_EQ(OutputSeconds(audio, " -acodec mp3 -vn", ".mp3"), 12);
    // Four pieces move an audio bar but not a video bar.
    const std::string fourPieces = "a=b=3.5 c=d";
    EXPECT_EQ(OutputSeconds(fourPieces, "-acodec mp3", ".mp3"), 3);
    EXPECT_EQ(OutputSeconds(fourPieces, " -vcodec rv20", ".rm"), std::nullopt);
    EXPECT_EQ(OutputSeconds("a=b=3.5 c", "-acodec mp3", ".mp3"), std::nullopt) << "three pieces are too few";
    // ".3gp" reads the fifth piece although its codec argument is an audio one; ".3g2" and ".amr" the third.
    EXPECT_EQ(OutputSeconds(video, " -acodec amr_nb", ".3gp"), 12);
    EXPECT_EQ(OutputSeconds(audio, " -acodec amr_nb", ".3g2"), 12);
    EXPECT_EQ(OutputSeconds(audio, " -acodec amr_nb", ".amr"), 12);
}

TEST(Convert_OutputSecondsTests, UnknownShortAndMalformedTimesGiveNoValue) {
    const std::string unknown = "frame=    0 q=0.0 size=       0kB time=10000000000.00 bitrate=   0.0kbits/s";
    EXPECT_EQ(OutputSeconds(unknown, " -vcodec rv20", ".rm"), std::nullopt);
    EXPECT_EQ(OutputSeconds("", " -vcodec rv20", ".rm"), std::nullopt);
    EXPECT_EQ(OutputSeconds("a=b=c=d==x", " -vcodec rv20", ".rm"), std::nullopt);
    EXPECT_EQ(OutputSeconds("a=b=c=d=.5", " -vcodec rv20", ".rm"), 0);
    // No decimal point: the whole piece is read leniently.
    EXPECT_EQ(OutputSeconds("a=b=c=d=42 bitrate", " -vcodec rv20", ".rm"), 42);
    EXPECT_EQ(OutputSeconds("a=b=c=d= bitrate", " -vcodec rv20", ".rm"), 0);
}

class Convert_ConvertingWindowLogicTests : public ::testing::Test {
protected:
    EventLog events;
    FakeClock clock{events};
    ScriptedProcesses processes{events};
    BatchWorld world{events, processes, clock};
    ConvertingWindowLogic& window = world.driver.ProgressWindow();
    ConvertingState& state = world.progress;

    void Chunk(const std::string& text) { world.driver.OnTranscoderOutput(text); }
};

TEST_F(Convert_ConvertingWindowLogicTests, ShowRunsFormShowOnlyWhenTheWindowWasHidden) {
    world.batch.CheckedCount = 3;
    world.batch.SourcePath = "/v/a.avi";
    window.Show();
    EXPECT_EQ(state.lblPersent, "Current: 1, Total: 3");
    EXPECT_EQ(state.lblCurFileName, "/v/a.avi");
    EXPECT_EQ(state.pbTotal.maximum, 1);
    EXPECT_EQ(state.ProgressBar1.maximum, 1);

    state.lblPersent = "changed";
    window.Show();
    EXPECT_EQ(state.lblPersent, "changed");
    EXPECT_THAT(events.Events(), ElementsAre("show progress", "show progress"));
}

TEST_F(Convert_ConvertingWindowLogicTests, TheFirstChunkOfAFileChangesNothing) {
    world.batch.CheckedCount = 3;
    world.batch.command.DurationText = "20";
    window.Show();
    Chunk("frame=  250 q=2.0 size=  512kB time=12.84 bitrate= 326.7kbits/s");
    EXPECT_EQ(state.ProgressBar1.position, 0);
    EXPECT_EQ(state.lblPersent, "Current: 1, Total: 3");
    EXPECT_EQ(state.statState, "frame=  250 q=2.0 size=  512kB time=12.84 bitrate= 326.7kbits/s");
}

TEST_F(Convert_ConvertingWindowLogicTests, TheBatchBarUsesThePreviousChunksFilePosition) {
    world.batch.CheckedCount = 3;
    world.batch.FilesDone = 1;
    world.batch.command.DurationText = "20";
    window.Show();
    Chunk("banner");
    Chunk("frame=  250 q=2.0 size=  512kB time=9.84 bitrate= 326.7kbits/s");
    EXPECT_EQ(state.lblPersent, "Current: 2 , Total: 3.");
    EXPECT_EQ(state.ProgressBar1.maximum, 20);
    EXPECT_EQ(state.ProgressBar1.position, 9);
    // Computed before the file bar moved: position 0 of maximum 1.
    EXPECT_EQ(state.pbTotal.maximum, 300);
    EXPECT_EQ(state.pbTotal.position, 100);

    Chunk("frame=  500 q=2.0 size=  999kB time=19.00 bitrate= 326.7kbits/s");
    EXPECT_EQ(state.pbTotal.position, 100 + 9 * 100 / 21);
    EXPECT_EQ(state.ProgressBar1.position, 19);

    // The unknown time leaves the file bar where it was.
    Chunk("frame=  500 q=2.0 size=  999kB time=10000000000.00 bitrate= 326.7kbits/s");
    EXPECT_EQ(state.ProgressBar1.position, 19);
}

TEST_F(Convert_ConvertingWindowLogicTests, AFileOfLengthZeroLeavesTheFileBarAtZero) {
    world.batch.CheckedCount = 2;
    world.batch.FilesDone = 1;
    world.batch.command.DurationText = "0";
    window.Show();
    for (int i = 0; i < 3; ++i)
        Chunk("frame=  250 q=2.0 size=  512kB time=9.84 bitrate= 326.7kbits/s");
    EXPECT_EQ(state.ProgressBar1.position, 0);
    EXPECT_EQ(state.pbTotal.position, 100);
}

TEST_F(Convert_ConvertingWindowLogicTests, TheSpinnerCyclesFiveCharactersAndSaysConvertingFromThreeSeconds) {
    std::vector<std::string> texts;
    for (int tick = 0; tick < 6; ++tick) {
        window.tmrChangingTimer();
        texts.push_back(state.lblInfo);
    }
    EXPECT_THAT(texts, ElementsAre("Installing convert information  |", "Installing convert information  /",
                                   "Installing convert information  -", "Installing convert information  \\",
                                   "Installing convert information  |", "Installing convert information  |"));
    state.ProgressBar1.SetMaximum(10);
    state.ProgressBar1.SetPosition(3);
    window.tmrChangingTimer();
    EXPECT_EQ(state.lblInfo, "Converting  /");
}

TEST_F(Convert_ConvertingWindowLogicTests, StopAndCloseOutsideABatchFindNothingToKill) {
    world.batch.CheckedCount = 2;
    world.AddRow("/v/a.avi", true);
    window.Show();
    world.boxes.QueueAnswer(IdYes);
    world.boxes.QueueAnswer(IdYes);
    window.btnStop1Click();
    EXPECT_TRUE(world.batch.Stopped);
    EXPECT_EQ(world.batch.RowIndex, 11);
    EXPECT_FALSE(state.visible);
    EXPECT_EQ(state.lblPersent, "Current: 1, Total: ...");

    world.batch.Stopped = false;
    window.Show();
    window.FormClose();
    EXPECT_FALSE(world.batch.Stopped);
    EXPECT_FALSE(state.visible);
    EXPECT_THAT(events.Events(), ElementsAre("show progress", "hide progress", "enable main", "show progress",
                                             "hide progress", "enable main"));
}
