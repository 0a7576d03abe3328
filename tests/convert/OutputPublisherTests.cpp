#include "convert/OutputPublisher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/common/TempDir.h"

namespace fs = std::filesystem;

TEST(Convert_OutputPublisherTests, APartialFileIsNewHiddenKeepsTheExtensionAndTakesTheNextFreeNameWhenWhole) {
    struct Case {
        std::string name;
        std::function<void(const TempDir&)> plant; // what stands in the folder before the output is named
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"empty folder", [](const TempDir&) {}, "x.rm"},
        {"a file in other letter case", [](const TempDir& d) { d.WriteFile("out/X.RM", "theirs"); },
         "x_1.rm"},
        {"a folder of that name", [](const TempDir& d) { fs::create_directories(d.Path() / "out" / "x.rm"); },
         "x_1.rm"},
        {"a link to someone's file",
         [](const TempDir& d) {
             fs::create_symlink(d.WriteFile("victim", "theirs"), d.Path() / "out" / "x.rm");
         },
         "x_1.rm"},
        {"a dangling link",
         [](const TempDir& d) { fs::create_symlink(d.Folder() + "nowhere", d.Path() / "out" / "x.rm"); },
         "x_1.rm"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        fs::create_directory(dir.Path() / "out");
        std::string error;
        const std::string partial = CreatePartialOutput(dir.Folder() + "out/x.rm", error);
        ASSERT_FALSE(partial.empty()) << error;
        EXPECT_TRUE(IsPartialOutput(partial));
        EXPECT_EQ(fs::path(partial).extension(), ".rm") << "the transcoder picks the container by it";
        EXPECT_EQ(fs::path(partial).filename().string().front(), '.');
        EXPECT_EQ(WantedOutputOf(partial), dir.Folder() + "out/x.rm");
        // Planted after the name was chosen, as a neighbour or a second Rivamo would.
        c.plant(dir);
        std::ofstream(partial, std::ios::binary) << "whole output";

        TFileFunc names;
        const std::string published = PublishOutput(partial, names, error);
        EXPECT_EQ(published, dir.Folder() + "out/" + c.expected) << c.name << ": " << error;
        EXPECT_EQ(TempDir::ReadFile(published), "whole output") << c.name;
        EXPECT_FALSE(fs::exists(partial)) << c.name;
        if (fs::exists(dir.Path() / "victim")) {
            EXPECT_EQ(TempDir::ReadFile(dir.Path() / "victim"), "theirs");
        }
    }
}

TEST(Convert_OutputPublisherTests, LeftoversAreRemovedExceptThoseInUseAndOtherFilesStay) {
    TempDir dir;
    std::string error;
    const std::string left = CreatePartialOutput(dir.Folder() + "a.rm", error);
    const std::string busy = CreatePartialOutput(dir.Folder() + "b.rm", error);
    const std::string mine = dir.WriteFile(".rivamo-partial-notes.txt", "not ours: no random part");
    const std::string output = dir.WriteFile("c.rm", "done");
    const auto removed =
        RemovePartialOutputs(dir.Folder(), [&](const std::string& path) { return path == busy; });
    EXPECT_EQ(removed, std::vector<std::string>{left});
    for (const std::string& path : {busy, mine, output})
        EXPECT_TRUE(fs::exists(path)) << path;
}
