#include <gtest/gtest.h>

#include "app/Companions.h"
#include "app/JpegPicture.h"
#include "app/VersionResource.h"
#include "tests/app/ProgramTestOptions.h"
#include "tests/common/TempDir.h"

namespace {

TEST(App_CompanionsTests, VersionTextComesFromTheExecutablesFileVersionSection) {
    TempDir folder;
    const std::string program = (BuiltProgramFolder() / "rivamo").string();
    EXPECT_EQ(ReadElfSectionText(program, FileVersionSection), RIVAMO_PROJECT_VERSION);
    EXPECT_EQ(GetVersionText(program), VersionFromFileVersion(RIVAMO_PROJECT_VERSION));
    // An executable without the section, a file that is no ELF file, and no file at all.
    EXPECT_EQ(GetVersionText("/proc/self/exe"), "");
    EXPECT_EQ(GetVersionText(folder.WriteFile("text", std::string(100, '\x7f'))), "");
    EXPECT_EQ(GetVersionText(folder.Folder() + "missing"), "");
}

TEST(App_CompanionsTests, SplashPictureOfBrandingDecodesAndDamagedJpegGivesNoPicture) {
    const std::vector<unsigned char> jpeg = LoadSplashPicture(BuiltProgramFolder().string() + "/");
    ASSERT_GT(jpeg.size(), 1000u);
    const QImage picture = DecodeJpeg(jpeg);
    EXPECT_EQ(picture.size(), QSize(480, 300));
    // The artwork is dark blue at the top left, not an empty picture.
    EXPECT_LT(qGray(picture.pixel(5, 5)), 80);

    const std::vector<unsigned char> garbage(500, 0x42);
    EXPECT_TRUE(DecodeJpeg(garbage).isNull());
    EXPECT_TRUE(DecodeJpeg({}).isNull());
    // Cut inside the header there is no picture; cut inside the picture data libjpeg pads the
    // missing rest, and the part that arrived is there.
    EXPECT_TRUE(DecodeJpeg({jpeg.begin(), jpeg.begin() + 200}).isNull());
    const QImage cut =
        DecodeJpeg({jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 2)});
    EXPECT_EQ(cut.size(), QSize(480, 300));
    EXPECT_EQ(cut.pixel(5, 5), picture.pixel(5, 5));
    EXPECT_TRUE(LoadSplashPicture("/nonexistent/").empty());
}

} // namespace
