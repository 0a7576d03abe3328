#include <gtest/gtest.h>

#include "support/DataFolder.h"

namespace {

TEST(Support_DataFolderTests, ProgramFolderWhenWritableElseTheUsersDataFolder) {
    const struct {
        bool writable;
        const char* xdgDataHome;
        const char* home;
        const char* folder;
    } cases[] = {
        {true, "/data", "/home/ann", "/opt/rivamo/"},
        {false, "/data", "/home/ann", "/data/Rivamo/"},
        {false, "/data/", "/home/ann", "/data/Rivamo/"},
        {false, "", "/home/ann", "/home/ann/.local/share/Rivamo/"},
        {false, "", "/home/ann/", "/home/ann/.local/share/Rivamo/"},
        {false, "relative/data", "/home/ann", "/home/ann/.local/share/Rivamo/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseDataFolder("/opt/rivamo/", c.writable, c.xdgDataHome, c.home), c.folder)
            << c.writable << " " << c.xdgDataHome << " " << c.home;
}

} // namespace
