#include "transcoder/AvsScript.h"

#include <gtest/gtest.h>

namespace {

TEST(Transcoder_AvsScriptTests, ReadsTheConverterScript) {
    const auto script = ParseAvsScript(
        "DirectShowSource(\"/home/u/My Clips/show.rmvb\", fps=29.9700898503294, convertfps=true)\r\n");
    EXPECT_EQ(script.sourcePath, "/home/u/My Clips/show.rmvb");
    EXPECT_EQ(script.frameRate, (Rational{30000, 1001}));
}

TEST(Transcoder_AvsScriptTests, TripleQuotesAllowQuotationMarksInThePath) {
    const auto script =
        ParseAvsScript("DirectShowSource(\"\"\"/tmp/say \"hi\".rm\"\"\", fps=25, convertfps=true)\r\n");
    EXPECT_EQ(script.sourcePath, "/tmp/say \"hi\".rm");
    EXPECT_EQ(script.frameRate, (Rational{25, 1}));
}

TEST(Transcoder_AvsScriptTests, ToleratesBlanksLetterCaseAndAMissingLineEnd) {
    const auto script = ParseAvsScript("  directshowsource ( \"a.rm\" ,fps = 23.976 , ConvertFPS=True )  ");
    EXPECT_EQ(script.sourcePath, "a.rm");
    EXPECT_EQ(script.frameRate, (Rational{24000, 1001}));
    EXPECT_EQ(ParseAvsScript("DirectShowSource(\"a.rm\", fps=12.5, convertfps=true)").frameRate,
              (Rational{25, 2}));
}

TEST(Transcoder_AvsScriptTests, AnythingElseIsRefused) {
    for (const char* bad : {
             "",
             "DirectShowSource(\"a.rm\")\r\n",
             "DirectShowSource(\"a.rm\", fps=29.97, convertfps=false)\r\n",
             "DirectShowSource(\"a.rm\", fps=0, convertfps=true)\r\n",
             "DirectShowSource(\"a.rm\", fps=abc, convertfps=true)\r\n",
             "DirectShowSource(\"a.rm, fps=29.97, convertfps=true)\r\n",
             "DirectShowSource(\"\", fps=29.97, convertfps=true)\r\n",
             "DirectShowSource(\"a.rm\", fps=29.97, convertfps=true).Trim(0,5)\r\n",
             "DirectShowSource(\"a.rm\", fps=29.97, convertfps=true)\r\nInfo()\r\n",
             "AviSource(\"a.avi\")\r\n",
         })
        EXPECT_THROW(ParseAvsScript(bad), ScriptError) << bad;
}

TEST(Transcoder_AvsScriptTests, RecognisesScriptPaths) {
    EXPECT_TRUE(IsAvsPath("/x/VideoFile.avs"));
    EXPECT_TRUE(IsAvsPath("/x/VIDEOFILE.AVS"));
    EXPECT_FALSE(IsAvsPath("/x/clip.avi"));
    EXPECT_FALSE(IsAvsPath(".avs"));
}

TEST(Transcoder_RationalTests, DecimalTextAndDoubles) {
    EXPECT_EQ(RationalFromText("14.985"), (Rational{2997, 200}));
    EXPECT_EQ(RationalFromText("4:3"), (Rational{4, 3}));
    EXPECT_EQ(RationalFromText("1.5/2"), (Rational{3, 4}));
    EXPECT_FALSE(RationalFromText("1/0"));
    EXPECT_FALSE(RationalFromText("x"));
    EXPECT_EQ(RationalFromDouble(29.97002997003, 1001000), (Rational{30000, 1001}));
    EXPECT_EQ(RationalFromDouble(25.0, 1001000), (Rational{25, 1}));
    EXPECT_EQ(RationalFromDouble(23.976023976, 1001000), (Rational{24000, 1001}));
}

} // namespace
