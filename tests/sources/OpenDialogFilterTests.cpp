#include "sources/OpenDialogFilter.h"

#include <gtest/gtest.h>

TEST(Sources_OpenDialogFilterTests, SourceFilterBecomesNameFiltersWithDescriptionsAndPatternsInOrder) {
    const std::vector<std::string> expected = {
        "Supported Files (*.3gp *.mp4 *.m4v *.mpeg *.3g2 *.mpg *.avi *.asf *.mov *.wmv *.flv *.swf *.vob "
        "*.rm "
        "*.rmvb *.mkv *.webm *.ts *.m2ts *.mts *.ogv)",
        "3GP, 3G2 Files (*.3gp,*.3g2) (*.3gp)",
        "AVI Files (*.avi) (*.avi)",
        "ASF Files (*.asf) (*.asf)",
        "MOV Files (*.mov) (*.mov)",
        "FLV ,SWF Flash Video (*.flv,swf) (*.flv *.swf)",
        "MP4 File (*.mp4,*.m4v) (*.mp4 *.m4v)",
        "MPEG Files (*.mpeg,*.mpg) (*.mpeg *.mpg)",
        "VOB Video Files (*.vob) (*.vob)",
        "WMV Video Files (*.wmv) (*.wmv)",
        "RealMedia Files (*.rm,*.rmvb) (*.rm *.rmvb)",
        "Matroska, WebM Files (*.mkv,*.webm) (*.mkv *.webm)",
        "MPEG-TS Files (*.ts,*.m2ts,*.mts) (*.ts *.m2ts *.mts)",
        "Ogg Video Files (*.ogv) (*.ogv)",
    };
    EXPECT_EQ(NameFiltersOf(SourceFileFilter), expected);
}

TEST(Sources_OpenDialogFilterTests, EmptyPatternsAreDroppedAndAPairWithoutPatternsKeepsItsDescription) {
    EXPECT_EQ(NameFiltersOf("All|*.a;;*.b;|Odd"), (std::vector<std::string>{"All (*.a *.b)", "Odd"}));
    EXPECT_EQ(NameFiltersOf("Nothing|;"), (std::vector<std::string>{"Nothing"}));
    EXPECT_TRUE(NameFiltersOf("").empty());
}
