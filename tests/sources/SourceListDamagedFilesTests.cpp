// Damaged and false media files added through the source list's commands with the real duration
// probe: each one either still measures and becomes a row, or shows the codec error window once.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "sources/FfmpegMediaProbe.h"
#include "sources/SourceListController.h"
#include "support/QtEventPump.h"
#include "support/Text.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"

namespace fs = std::filesystem;

namespace {

struct Container {
    std::string name;
    std::vector<std::string> codecs;
    std::string size = "64x48";
};

// Containers the source list accepts, each with codecs its usual players decode.
const std::vector<Container>& Containers() {
    static const std::vector<Container> containers = {
        {"clip.avi", {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}},
        {"clip.mov", {"-c:v", "mpeg4", "-c:a", "aac"}},
        {"clip.flv", {"-c:v", "flv", "-c:a", "libmp3lame", "-ar", "22050"}},
        {"clip.mpg", {"-c:v", "mpeg1video", "-c:a", "mp2", "-r", "25", "-f", "mpeg"}},
        {"clip.wmv", {"-c:v", "wmv2", "-c:a", "wmav2"}},
        {"clip.asf", {"-c:v", "wmv2", "-c:a", "wmav2"}},
        {"clip.3gp", {"-c:v", "h263", "-c:a", "aac"}, "128x96"},
        {"clip.vob", {"-c:v", "mpeg2video", "-c:a", "mp2", "-r", "25", "-f", "vob"}},
        {"clip.rm", {"-c:v", "rv10", "-c:a", "real_144"}},
        {"clip.m4v", {"-c:v", "mpeg4", "-c:a", "aac", "-f", "mp4"}},
    };
    return containers;
}

std::string MakeClip(const TempDir& folder, const Container& container) {
    return ::MakeClip(folder, container.name, {2.5, container.size, 10, 8000, container.codecs});
}

// The source list's commands with the real probe; the codec error window is counted, not shown.
struct ListUnderTest {
    SourceList rows;
    FfmpegMediaProbe probe;
    NoPreview preview;
    TrimBarState trimBar;
    QtEventPump pump;
    int codecErrors = 0;
    std::string named; // the files the last codec error window named, one a line
    SourceListController controller{rows, probe, preview, trimBar, pump, [this](const std::string& names) {
                                        ++codecErrors;
                                        named = names;
                                    }};
};

struct DamagedFile {
    std::string path;
    bool mustFail; // no media at all: zero bytes, text, a folder
};

class Sources_SourceListDamagedFilesTests : public testing::Test {
protected:
    // Truncated copies and copies with bytes overwritten of every container clip, from a fixed seed
    // so that a failure can be replayed; then files that hold no media at all.
    std::vector<DamagedFile> MakeDamagedFiles() {
        constexpr int TruncationsPerClip = 9;
        constexpr int OverwritesPerClip = 9;
        std::mt19937 random(5150);
        const auto pick = [&](std::size_t low, std::size_t high) {
            return std::uniform_int_distribution<std::size_t>(low, high)(random);
        };
        std::vector<DamagedFile> files;
        std::vector<std::string> extensions;
        for (const Container& container : Containers()) {
            const std::string original = TempDir::ReadFile(MakeClip(m_clips, container));
            const std::string extension = fs::path(container.name).extension().string();
            extensions.push_back(extension);
            for (int i = 0; i < TruncationsPerClip + OverwritesPerClip; ++i) {
                std::string bytes = original;
                if (i < TruncationsPerClip) {
                    // A third of the cuts fall inside the first kilobyte, among the headers.
                    bytes.resize(i % 3 == 0 ? pick(1, 1024) : pick(1, bytes.size() - 1));
                } else {
                    const std::size_t end =
                        i % 2 == 0 ? std::min<std::size_t>(1024, bytes.size()) : bytes.size();
                    const std::size_t length = pick(1, 64);
                    const std::size_t at = pick(0, end - length);
                    for (std::size_t k = 0; k < length; ++k)
                        bytes[at + k] = static_cast<char>(pick(0, 255));
                }
                const std::string name = "damaged " + std::to_string(files.size()) + extension;
                files.push_back({m_damaged.WriteFile(name, bytes), false});
            }
        }
        // Every accepted extension, in both letter cases, as an empty file, a renamed text file and
        // a folder.
        for (const char* extension : {".3gp", ".3g2", ".AVI", ".m4v", ".mpeg", ".MPG", ".asf", ".mov", ".WMV",
                                      ".vob", ".rm", ".RMVB", ".flv", ".swf"}) {
            files.push_back({m_damaged.WriteFile(std::string("empty") + extension, ""), true});
            files.push_back({m_damaged.WriteFile(std::string("notes") + extension,
                                                 "Shopping list: bread, milk, a new camera.\n"),
                             true});
            const fs::path folder = m_damaged.Path() / (std::string("folder") + extension);
            fs::create_directory(folder);
            files.push_back({folder.string(), true});
        }
        return files;
    }

    TempDir m_clips;
    TempDir m_damaged;
};

} // namespace

TEST_F(Sources_SourceListDamagedFilesTests, EachDamagedFileAddsARowOrShowsTheCodecErrorOnceNeverBoth) {
    const std::vector<DamagedFile> files = MakeDamagedFiles();
    ASSERT_GE(files.size(), 200u);

    // One file per add, so that each outcome belongs to its file.
    ListUnderTest oneByOne;
    std::vector<std::string> measured;
    int rowsAdded = 0;
    int codecErrors = 0;
    for (const DamagedFile& file : files) {
        const std::size_t rowsBefore = oneByOne.rows.RowCount();
        const int errorsBefore = oneByOne.codecErrors;
        oneByOne.controller.AddSourceFiles({file.path});
        const bool row = oneByOne.rows.RowCount() == rowsBefore + 1;
        const bool error = oneByOne.codecErrors == errorsBefore + 1;
        EXPECT_LE(oneByOne.rows.RowCount(), rowsBefore + 1) << file.path;
        EXPECT_LE(oneByOne.codecErrors, errorsBefore + 1) << file.path;
        EXPECT_NE(row, error) << file.path << (row ? ": a row and the codec error" : ": neither");
        if (file.mustFail) {
            EXPECT_TRUE(error && !row) << file.path;
        }
        if (row) {
            const std::size_t added = oneByOne.rows.RowCount() - 1;
            EXPECT_EQ(oneByOne.rows.Cell(added, colFileName), file.path);
            EXPECT_NE(oneByOne.rows.Cell(added, colDuration), "00:00:00") << file.path;
            EXPECT_EQ(oneByOne.rows.Cell(added, colFileSize),
                      SizeText(static_cast<int64_t>(fs::file_size(file.path))));
            measured.push_back(file.path);
        }
        rowsAdded += row ? 1 : 0;
        codecErrors += error ? 1 : 0;
    }

    // All in one add, as a drop of every file at once: the same files measure, and one codec error
    // window names all the others.
    ListUnderTest together;
    std::vector<std::string> paths;
    for (const DamagedFile& file : files)
        paths.push_back(file.path);
    together.controller.AddSourceFiles(paths);
    std::vector<std::string> listed;
    for (std::size_t row = 0; row < together.rows.RowCount(); ++row)
        listed.push_back(together.rows.Cell(row, colFileName));
    EXPECT_EQ(listed, measured);
    EXPECT_EQ(together.codecErrors, 1);
    EXPECT_EQ(std::count(together.named.begin(), together.named.end(), '\n') + 1, codecErrors);

    RecordProperty("files", static_cast<int>(files.size()));
    RecordProperty("rows", rowsAdded);
    RecordProperty("codecErrors", codecErrors);
    std::cout << files.size() << " damaged files: " << rowsAdded << " still measured and added, "
              << codecErrors << " showed the codec error window\n";
}
