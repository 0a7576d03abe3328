#include "sources/SavedSourceList.h"

#include <gtest/gtest.h>

TEST(Sources_SavedSourceListTests, RowsComeBackAsTheyWereWhateverTheirPathsHold) {
    const std::vector<SavedSourceRow> rows = {
        {"/v/plain.avi", true, "00:00:00", "00:05:00"},
        {"/v/tab\there\\back\nline\rret.mov", false, "00:01:02", "01:30:00"},
        {"/v/caf\xc3\xa9 \"q\" -x.mkv", true, "00:00:07", ""}, // still measured when kept
    };
    SourceList list;
    for (const auto& row : rows) {
        const std::size_t at = list.AppendRow();
        list.SetCell(at, colCheck, row.checked ? CheckedText : UncheckedText);
        list.SetCell(at, colFileName, row.path);
        list.SetCell(at, colDuration, row.endTime.empty() ? MeasuringText : "02:00:00");
        list.SetCell(at, colStartTime, row.startTime);
        list.SetCell(at, colEndTime, row.endTime.empty() ? "00:09:00" : row.endTime);
    }
    const std::string text = SavedSourceListText(list);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << "one line per row after the format line";
    EXPECT_EQ(ParseSavedSourceList(text), rows);
}

TEST(Sources_SavedSourceListTests, DamagedLinesAndOtherFilesGiveNoRows) {
    const std::string head = "Rivamo source list 1\n";
    const struct {
        std::string text;
        std::size_t rows;
    } cases[] = {
        {"", 0},
        {"[USRInfo]\nTrue\t00:00:00\t00:00:01\t/v/a.avi\n", 0},
        {head + "True\t00:00:00\t00:00:01\t/v/a.avi\n", 1},
        {head + "Yes\t00:00:00\t00:00:01\t/v/a.avi\n", 0},
        {head + "True\t0:0:0\t00:00:01\t/v/a.avi\n", 0},
        {head + "True\t00:00:00\t00:00:01\t/v/bad\\escape.avi\n", 0},
        {head + "True\t00:00:00\t00:00:01\t\n", 0},
        {head + "True\t00:00:00\t/v/a.avi\n" + "False\t00:00:00\t\t/v/b.avi", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseSavedSourceList(c.text).size(), c.rows) << c.text;
}
