// The whole program, with the program's own transcoder, meeting hostile settings, planted
// programs, other people's processes, odd files and a user who clicks while it works.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <QHostAddress>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "app/RivamoApplication.h"
#include "convert/ConvertingWindow.h"
#include "convert/OutputPublisher.h"
#include "convert/PosixProcessLauncher.h"
#include "sources/SavedSourceList.h"
#include "support/FileLock.h"
#include "support/SingleInstance.h"
#include "support/TerminationSignal.h"
#include "tests/app/ProgramTestOptions.h"
#include "tests/common/MediaCheck.h"
#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"
#include "tests/common/XDesktop.h"
#include "tests/convert/RealProcesses.h"

namespace fs = std::filesystem;

namespace {

// The main window's caption once start-up has read the product information; the splash and the
// message boxes are captioned otherwise.
const QString MainCaption = QStringLiteral("^Rivamo [0-9]");

std::string ProgramDir() {
    const char* dir = std::getenv("RIVAMO_PROGRAM_DIR");
    return dir != nullptr ? dir : RIVAMO_PROGRAM_DIR_DEFAULT;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> files;
    if (fs::is_directory(folder))
        for (const auto& entry : fs::directory_iterator(folder))
            files.push_back(entry.path().string());
    return files;
}

// Runs `action` once, inside the batch's event serving, as soon as `ready` holds.
class WhenReady {
public:
    WhenReady(std::function<bool()> ready, std::function<void()> action) {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this, ready = std::move(ready), action = std::move(action)] {
                             if (!ready())
                                 return;
                             m_timer.stop();
                             action();
                         });
        m_timer.start();
    }

private:
    QTimer m_timer;
};

// A program folder (its name chosen by the test) with the real trenc and rtrenc and a Config
// folder, the program started in it with short pauses and the desktop and the power recorded.
class App_FaultTests : public testing::Test {
protected:
    void StartProgram(const std::string& programFolder, ProgramOptions options = {}) {
        m_folder = programFolder;
        fs::create_directories(fs::path(m_folder) / "Config");
        for (const char* name : {"trenc", "rtrenc", UifaceLibraryName, BrandingLibraryName})
            if (!fs::exists(fs::path(m_folder) / name))
                fs::copy_file(fs::path(ProgramDir()) / name, fs::path(m_folder) / name);
        if (options.shell == nullptr)
            options = ShortPauses(shell, power);
        program = std::make_unique<ProgramShell>(
            m_folder, boxes, [this] { ++endings; }, options);
        program->Start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&program->MainForm()));
    }
    void StartProgram() { StartProgram(root.Folder() + "prog/"); }

    std::string Clip(const std::string& name, double seconds = 2) {
        return MakeClip(clips, name, {seconds, "160x120", 25, 44100, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}});
    }
    void AddRow(const std::string& path) { program->SourceController().AddSourceFiles({path}); }
    std::string Log() const { return TempDir::ReadFile(fs::path(m_folder) / "log.txt"); }
    std::string OutputFolder() const { return root.Folder() + "out"; }

    TempDir root;
    TempDir clips;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    RecordingPower power;
    int endings = 0;
    std::unique_ptr<ProgramShell> program;

private:
    std::string m_folder;
};

// A settings file that points the output at a listener on a local port: the program takes its
// default folder instead, says so in the log, and nothing reaches the port.
TEST_F(App_FaultTests, AnOutputFolderAddressInTheSettingsSendsNothingToTheNetwork) {
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    const std::string address = "tcp://127.0.0.1:" + std::to_string(listener.serverPort());
    root.WriteFile("prog/Config/UserSettings.ini", "[USRInfo]\r\nOutDir=" + address + "\r\n");
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(root.Folder() + "home"));
    StartProgram();
    qputenv("HOME", home);

    EXPECT_EQ(program->Choices().edtOutputFolder(), root.Folder() + "home/Rivamo");
    EXPECT_NE(Log().find("the default is used instead: " + address), std::string::npos) << Log();
    AddRow(Clip("clip.avi"));
    program->MainForm().btnConvertClick();
    // The batch has ended: a connection made during it would be waiting in the port's queue.
    EXPECT_FALSE(listener.waitForNewConnection(0));
    EXPECT_EQ(FilesIn(root.Folder() + "home/Rivamo").size(), 1u);
}

// The program folder has a blank in its name and a program planted at the prefix before it: the
// transcoder is started by its full path, the planted program never runs, and the log shows the
// command line as it always did.
TEST_F(App_FaultTests, AProgramPlantedAtAPrefixOfTheProgramFolderNeverRuns) {
    const std::string marker = root.Folder() + "planted ran";
    root.WriteFile("x/my", "#!/bin/sh\ntouch '" + marker + "'\n");
    fs::permissions(root.Path() / "x/my", fs::perms::owner_all);
    const std::string folder = root.Folder() + "x/my bin/";
    StartProgram(folder);
    program->Choices().SetOutputFolder(OutputFolder());
    const std::string clip = Clip("clip.avi");
    AddRow(clip);
    program->MainForm().btnConvertClick();

    EXPECT_FALSE(fs::exists(marker));
    ASSERT_EQ(FilesIn(OutputFolder()).size(), 1u);
    EXPECT_TRUE(CheckMedia(FilesIn(OutputFolder())[0]).hasVideo);
    EXPECT_NE(Log().find("|parameter: " + folder + "trenc -y -i \"" + clip + "\""), std::string::npos)
        << Log();
}

// Another program's process named trenc neither keeps the batch waiting nor is stopped by it; the
// own transcoder, stopped, is asked to end and leaves a playable partial file.
constexpr double LongClipSeconds = 180;

TEST_F(App_FaultTests, AForeignTrencIsNeitherWaitedForNorStopped) {
    const std::string foreignPath = root.Folder() + "other/trenc";
    fs::create_directories(root.Path() / "other");
    fs::copy_file("/bin/sleep", foreignPath);
    PosixProcessLauncher launcher;
    auto foreign = launcher.Start(foreignPath, " 600", root.Folder() + "other");
    ASSERT_NE(foreign, nullptr);
    StartProgram();
    program->Choices().SetOutputFolder(OutputFolder());
    // Long enough that the stop lands mid-file even on a loaded machine.
    AddRow(Clip("long.avi", LongClipSeconds));
    boxes.QueueAnswer(IdYes);
    WhenReady stop([this] { return program->Batch().State().ChunkCount >= 3; },
                   [this] { program->ProgressForm().btnStop->click(); });
    program->MainForm().btnConvertClick();

    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Are you sure you want to stop the work ? "});
    EXPECT_TRUE(foreign->IsRunning());
    EXPECT_EQ(OwnChildrenTable().Snapshot()->size(), 1u) << "only the foreign process is left";
    // The part converted plays, so it is kept under the output's own name, and the summary says where it
    // stopped.
    ASSERT_EQ(FilesIn(OutputFolder()), std::vector<std::string>{OutputFolder() + "/long.rm"});
    EXPECT_EQ(program->Supervisor().Results().Rows().at(0).reason.rfind("stopped at ", 0), 0u)
        << program->Supervisor().Results().Rows().at(0).reason;
    const MediaReport partial = CheckMedia(FilesIn(OutputFolder())[0]);
    EXPECT_TRUE(partial.opened) << partial.openError;
    EXPECT_GT(partial.videoSeconds, 0.0);
    EXPECT_LT(partial.videoSeconds, LongClipSeconds - 1);
    foreign->Kill();
}

// A FIFO or a link to a device as the settings file neither freezes the start nor the close: both
// report the file's error, and the program still ends when asked.
TEST_F(App_FaultTests, ASettingsFileThatIsNoRegularFileIsReportedAtStartAndClose) {
    auto& application = *qobject_cast<RivamoApplication*>(QCoreApplication::instance());
    application.SetErrorPresenter(&boxes);
    for (const bool fifo : {true, false}) {
        TempDir folder;
        const std::string settings = folder.Folder() + "Config/UserSettings.ini";
        fs::create_directories(folder.Path() / "Config");
        if (fifo)
            ASSERT_EQ(mkfifo(settings.c_str(), 0600), 0);
        else
            fs::create_symlink("/dev/zero", settings);
        boxes.Clear();
        endings = 0;
        StartProgram(folder.Folder());
        program->MainForm().close();
        // The save reads the file before it replaces it: the close meets the same error.
        const std::string error = "Cannot open file \"" + settings + "\". Not a regular file.";
        EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{error, error}));
        EXPECT_EQ(endings, 1);
        program.reset();
    }
    application.SetErrorPresenter(nullptr);
}

// The program folder on a read-only mount: the program starts (no lock can be taken there, so that
// folder is not guarded), and the close reports the settings it could not save and still ends.
TEST_F(App_FaultTests, AReadOnlyProgramFolderStartsAndItsCloseReportsTheUnsavedSettings) {
    if (geteuid() != 0)
        GTEST_SKIP() << "a read-only bind mount needs root";
    const std::string folder = root.Folder() + "prog/";
    StartProgram(folder);
    program.reset();
    ASSERT_EQ(std::system(("mount --bind -o ro '" + folder + "' '" + folder + "'").c_str()), 0);
    struct Unmount {
        std::string folder;
        ~Unmount() { EXPECT_EQ(std::system(("umount '" + folder + "'").c_str()), 0); }
    } unmount{folder};
    EXPECT_TRUE(SingleInstance(folder).Claim());
    StartProgram(folder);
    program->MainForm().close();
    const std::string settings = folder + "Config/UserSettings.ini";
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Cannot create file \"" + settings + "\". Read-only file system"});
    EXPECT_EQ(endings, 1);
    program.reset();
}

// A row whose end equals its start is not converted (no "-t 0" run): the user is told which.
TEST_F(App_FaultTests, ARowWithNothingToConvertIsNamedAndNotRun) {
    StartProgram();
    program->Choices().SetOutputFolder(OutputFolder());
    const std::string clip = Clip("clip.avi", 3);
    AddRow(clip);
    program->Sources().SetCell(0, colStartTime, "00:00:02");
    program->Sources().SetCell(0, colEndTime, "00:00:02");
    program->MainForm().btnConvertClick();

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("Row 1: " + clip + " (00:00:02 to 00:00:02)"), std::string::npos);
    EXPECT_TRUE(FilesIn(OutputFolder()).empty());
    EXPECT_EQ(Log().find("parameter:"), std::string::npos);
}

// Closing the main window during a batch asks the progress window's question: No goes on, Yes
// stops the transcoder as a confirmed close does and ends the program after the batch, leaving a
// playable file.
TEST_F(App_FaultTests, ClosingTheMainWindowDuringABatchAsksAndEndsOnlyWhenConfirmed) {
    StartProgram();
    program->Choices().SetOutputFolder(OutputFolder());
    // Long enough that the stop lands mid-file even on a loaded machine.
    AddRow(Clip("long.avi", LongClipSeconds));
    boxes.QueueAnswer(IdNo);
    boxes.QueueAnswer(IdYes);
    bool closedOnNo = true;
    WhenReady close([this] { return program->Batch().State().ChunkCount >= 2; },
                    [&] {
                        closedOnNo = program->MainForm().close();
                        EXPECT_EQ(endings, 0);
                        EXPECT_FALSE(program->MainForm().close()) << "the window stays until the batch ends";
                    });
    program->MainForm().btnConvertClick();

    EXPECT_FALSE(closedOnNo);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Are you sure to stop processing ?",
                                                       "Are you sure to stop processing ?"}));
    EXPECT_EQ(endings, 1);
    ASSERT_EQ(FilesIn(OutputFolder()).size(), 1u);
    const MediaReport partial = CheckMedia(FilesIn(OutputFolder())[0]);
    EXPECT_TRUE(partial.opened) << partial.openError;
    EXPECT_GT(partial.videoSeconds, 0.0);
}

// Today's containers are added, a type the program does not take is named after the add, and a
// line break in a file name cannot forge a line of the log.
TEST_F(App_FaultTests, OtherTypesAreNamedAndAFileNameCannotForgeALogLine) {
    StartProgram();
    program->Choices().SetOutputFolder(OutputFolder());
    const std::string mp4 =
        MakeClip(clips, "clip.mp4", {2, "160x120", 25, 44100, {"-c:v", "mpeg4", "-c:a", "aac"}});
    const std::string mkv =
        MakeClip(clips, "clip.mkv", {2, "160x120", 25, 44100, {"-c:v", "mpeg4", "-c:a", "aac"}});
    const std::string forged = Clip("a\nQuarnel Soft forged|line.avi");
    const std::string notes = clips.WriteFile("notes.txt", "text");
    program->SourceController().AddSourceFiles({mp4, notes, mkv, forged});

    ASSERT_EQ(program->Sources().RowCount(), 3u);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "These files were not added: Rivamo does not convert files of their type.\n" + notes});
    program->Sources().SetCell(0, colCheck, UncheckedText);
    program->Sources().SetCell(1, colCheck, UncheckedText);
    program->MainForm().btnConvertClick();
    EXPECT_EQ(FilesIn(OutputFolder()).size(), 1u);
    const std::string log = Log();
    ASSERT_TRUE(log.ends_with("\r\n"));
    for (std::size_t line = 0; line < log.size(); line = log.find("\r\n", line) + 2) {
        EXPECT_EQ(log.compare(line, 13, "Quarnel Soft "), 0) << log;
        EXPECT_LT(log.find('\n', line), log.find("\r\n", line) + 2) << "a bare line break in " << log;
    }
    EXPECT_NE(log.find("a\\nQuarnel Soft forged|line.avi"), std::string::npos) << log;
}

// The batch's pauses serve the window: a stop clicked during the 2 s pause before a file is
// answered at once and honoured when the pause ends, so no transcoder starts.
TEST_F(App_FaultTests, AStopClickedDuringThePauseIsServedAndNoTranscoderStarts) {
    ProgramOptions options = ShortPauses(shell, power);
    options.timing.showPauseMs = 2000;
    options.timing.pollMs = 100;
    StartProgram(root.Folder() + "prog/", options);
    program->Choices().SetOutputFolder(OutputFolder());
    AddRow(Clip("clip.avi"));
    int ticksInPause = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { ticksInPause += program->ProgressForm().isVisible() ? 1 : 0; });
    ticker.start(50);
    boxes.QueueAnswer(IdYes);
    WhenReady stop([&] { return ticksInPause >= 4; }, [this] { program->ProgressForm().btnStop->click(); });
    program->MainForm().btnConvertClick();

    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Are you sure you want to stop the work ? "});
    EXPECT_TRUE(FilesIn(OutputFolder()).empty());
    EXPECT_TRUE(OwnChildrenTable().Snapshot()->empty());
}

// Outputs appear only when whole, under a name nobody else holds: a link planted under the output's
// name while the file is written, a folder of that name, or a file of the same name in other letter
// case each move the output to the next free name; the link's target stays as it was, each source
// keeps its own cut, and no partial file remains.
TEST_F(App_FaultTests, AnOutputNeverGoesThroughAPlantedLinkNorOntoAFolderNorOverAnotherCase) {
    StartProgram();
    program->Choices().SetOutputFolder(OutputFolder());
    fs::create_directories(OutputFolder() + "/b.rm");
    const std::string victim = root.WriteFile("victim.txt", "precious");
    AddRow(Clip("a.avi"));
    AddRow(Clip("b.avi"));
    AddRow(Clip("A.AVI", 4));
    program->Sources().SetCell(2, colEndTime, "00:00:03");
    const auto partialOf = [this](const std::string& name) {
        for (const std::string& file : FilesIn(OutputFolder()))
            if (IsPartialOutput(file) && WantedOutputOf(file) == OutputFolder() + "/" + name)
                return true;
        return false;
    };
    WhenReady plant([&] { return partialOf("a.rm"); },
                    [&] { fs::create_symlink(victim, OutputFolder() + "/a.rm"); });
    program->MainForm().btnConvertClick();

    EXPECT_EQ(TempDir::ReadFile(victim), "precious");
    const std::vector<std::pair<std::string, double>> expected = {
        {"a_1.rm", 2}, {"b_1.rm", 2}, {"A_2.rm", 3}};
    const auto& rows = program->Supervisor().Results().Rows();
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].outcome, RowOutcome::Converted) << rows[i].reason;
        EXPECT_EQ(rows[i].output, OutputFolder() + "/" + expected[i].first);
        const MediaReport output = CheckMedia(rows[i].output);
        EXPECT_NEAR(output.videoSeconds, expected[i].second, 0.5) << rows[i].output;
        EXPECT_NE(Log().find("Output file " + rows[i].output), std::string::npos);
    }
    for (const std::string& file : FilesIn(OutputFolder()))
        EXPECT_FALSE(IsPartialOutput(file)) << file;
}

// A FIFO as log.txt and a folder where the script goes: the batch neither freezes nor fails, the
// log's trouble is told once, and the rows that need no script convert.
TEST_F(App_FaultTests, ALogThatCannotBeWrittenAndAScriptThatCannotBeWrittenStopNoConversion) {
    const std::string folder = root.Folder() + "prog/";
    fs::create_directories(folder + "VideoFile.avs");
    ASSERT_EQ(mkfifo((folder + "log.txt").c_str(), 0600), 0);
    StartProgram(folder);
    program->Choices().SetOutputFolder(OutputFolder());
    AddRow(Clip("a.avi"));
    AddRow(Clip("b.avi"));
    program->MainForm().btnConvertClick();

    EXPECT_EQ(program->Supervisor().Results().Count(RowOutcome::Converted), 2);
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_NE(boxes.Texts()[0].find("cannot be written (Not a regular file.)"), std::string::npos);
    EXPECT_TRUE(fs::is_fifo(folder + "log.txt"));
}

// What a run that was killed left in the output folder goes at the next start, and the log says
// so; a partial file that a running Rivamo holds stays.
TEST_F(App_FaultTests, TheNextStartRemovesWhatAnEndedRunLeftAndSaysSo) {
    root.WriteFile("prog/Config/UserSettings.ini", "[USRInfo]\r\nOutDir=" + OutputFolder() + "\r\n");
    fs::create_directories(OutputFolder());
    std::string error;
    const std::string left = CreatePartialOutput(OutputFolder() + "/a.rm", error);
    const std::string busy = CreatePartialOutput(OutputFolder() + "/b.rm", error);
    const std::shared_ptr<void> held = HoldFile(busy);
    ASSERT_NE(held, nullptr);
    StartProgram();
    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(fs::exists(busy));
    EXPECT_NE(Log().find("Removed an unfinished output left by an earlier run: " + left), std::string::npos);
}

// Another Rivamo, as a process of its own: this test binary started again to run only the helper
// below, in its own program folder, converting one clip into the given output folder.
class OtherRivamo {
public:
    OtherRivamo(const std::string& programFolder, const std::string& outputFolder, const std::string& clip) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("RIVAMO_HELPER_PROGRAM", QString::fromStdString(programFolder));
        environment.insert("RIVAMO_HELPER_OUTPUT", QString::fromStdString(outputFolder));
        environment.insert("RIVAMO_HELPER_CLIP", QString::fromStdString(clip));
        environment.insert("ASAN_OPTIONS", "detect_leaks=0");
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(QCoreApplication::applicationFilePath(),
                      {"--gtest_filter=App_FaultTests.DISABLED_OtherRivamoConvertsOneClip",
                       "--gtest_also_run_disabled_tests"});
        process.waitForStarted();
    }
    ~OtherRivamo() {
        process.kill();
        process.waitForFinished();
    }
    QProcess process;
};

TEST_F(App_FaultTests, DISABLED_OtherRivamoConvertsOneClip) {
    StartProgram(qEnvironmentVariable("RIVAMO_HELPER_PROGRAM").toStdString());
    program->Choices().SetOutputFolder(qEnvironmentVariable("RIVAMO_HELPER_OUTPUT").toStdString());
    const TerminationSignal termination([this] { program->EndOnRequest(); });
    AddRow(qEnvironmentVariable("RIVAMO_HELPER_CLIP").toStdString());
    program->MainForm().btnConvertClick();
    if (endings == 0)
        program->MainForm().close();
}

// Waits, within a bound, until the output folder holds a partial file the transcoder has begun.
bool WaitForPartialOutput(const std::string& folder, QProcess& process) {
    for (int poll = 0; poll < 3000 && process.state() == QProcess::Running; ++poll) {
        for (const std::string& file : FilesIn(folder))
            if (IsPartialOutput(file) && fs::file_size(file) > 0)
                return true;
        process.waitForFinished(20);
    }
    return false;
}

// Two Rivamos converting a clip of the same name into one folder both keep their output.
TEST_F(App_FaultTests, TwoRivamosWritingTheSameNameIntoOneFolderBothKeepTheirOutput) {
    fs::create_directories(clips.Path() / "other");
    const std::string clip = Clip("other/same.avi");
    fs::create_directories(OutputFolder());
    // The second starts while the first writes its output, so both write the same name at once.
    OtherRivamo first(root.Folder() + "one/", OutputFolder(), Clip("same.avi", 20));
    ASSERT_TRUE(WaitForPartialOutput(OutputFolder(), first.process));
    OtherRivamo second(root.Folder() + "two/", OutputFolder(), clip);
    for (OtherRivamo* other : {&first, &second}) {
        ASSERT_TRUE(other->process.waitForFinished(300'000));
        EXPECT_EQ(other->process.exitCode(), 0);
    }
    std::vector<std::string> files = FilesIn(OutputFolder());
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files, (std::vector<std::string>{OutputFolder() + "/same.rm", OutputFolder() + "/same_1.rm"}));
    for (const std::string& file : files)
        EXPECT_GT(CheckMedia(file).videoSeconds, 1.5) << file;
}

// Killed during a batch, a Rivamo leaves only its partial file, which the next start removes;
// asked to end (SIGTERM), it stops the transcoder, keeps the playable part under the output's name
// and saves its settings.
TEST_F(App_FaultTests, KilledOrAskedToEndDuringABatchNoOutputIsLeftHalfMadeUnderItsName) {
    const std::string clip = Clip("long.avi", LongClipSeconds);
    for (const int signal : {SIGKILL, SIGTERM}) {
        const std::string out = OutputFolder() + std::to_string(signal);
        const std::string other = root.Folder() + "other" + std::to_string(signal) + "/";
        fs::create_directories(out);
        OtherRivamo rivamo(other, out, clip);
        ASSERT_TRUE(WaitForPartialOutput(out, rivamo.process)) << signal;
        ::kill(static_cast<pid_t>(rivamo.process.processId()), signal);
        ASSERT_TRUE(rivamo.process.waitForFinished(120'000));
        const std::vector<std::string> files = FilesIn(out);
        ASSERT_EQ(files.size(), 1u) << signal;
        if (signal == SIGKILL) {
            EXPECT_TRUE(IsPartialOutput(files[0])) << files[0];
            continue;
        }
        EXPECT_EQ(rivamo.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(files[0], out + "/long.rm");
        EXPECT_GT(CheckMedia(files[0]).videoSeconds, 0.0);
        EXPECT_NE(TempDir::ReadFile(other + "Config/UserSettings.ini").find("OutDir=" + out),
                  std::string::npos);
    }
    // The next start with that output folder in its settings.
    const std::string out = OutputFolder() + std::to_string(SIGKILL);
    root.WriteFile("prog/Config/UserSettings.ini", "[USRInfo]\r\nOutDir=" + out + "\r\n");
    StartProgram();
    EXPECT_TRUE(FilesIn(out).empty());
    EXPECT_NE(Log().find("Removed an unfinished output left by an earlier run: " + out + "/"),
              std::string::npos);
}

// One Rivamo per program folder, with real program processes on the X display: a second start
// says that Rivamo is already running, brings the first window above another program's window,
// and ends.
class App_SingleInstanceTests : public testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY") || QStandardPaths::findExecutable("xdotool").isEmpty() ||
            QStandardPaths::findExecutable("xwininfo").isEmpty())
            GTEST_SKIP() << "needs an X display (xvfb-run), xdotool and xwininfo";
    }
    void TearDown() override {
        for (auto& process : m_processes) {
            process->kill();
            process->waitForFinished();
        }
    }

    // A program folder holding a copy of the real program and a Config folder.
    std::string ProgramFolder(const std::string& name) {
        const fs::path folder = root.Path() / name;
        fs::create_directories(folder / "Config");
        for (const char* file : {"rivamo", UifaceLibraryName, BrandingLibraryName})
            fs::copy_file(fs::path(ProgramDir()) / file, folder / file);
        return folder.string() + "/";
    }
    QProcess& Run(const std::string& folder) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("ASAN_OPTIONS", "detect_leaks=0");
        process->setProcessEnvironment(environment);
        process->start(QString::fromStdString(folder + "rivamo"), {});
        EXPECT_TRUE(process->waitForStarted());
        m_processes.push_back(std::move(process));
        return *m_processes.back();
    }
    static QString Tool(const QString& program, const QStringList& arguments) {
        QProcess tool;
        tool.start(program, arguments);
        tool.waitForFinished(30000);
        return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
    }
    // The first visible window of the process whose title matches the pattern, waiting for it. A
    // search can end with nothing when a window (the splash) goes while it walks the tree; it is
    // searched again, a bounded number of times, while the process runs.
    static QString WindowOf(const QProcess& process, const QString& title) {
        constexpr int Searches = 20;
        QString window;
        for (int search = 0; search < Searches && window.isEmpty() && process.state() == QProcess::Running;
             ++search)
            window = Tool("xdotool", {"search", "--sync", "--all", "--onlyvisible", "--pid",
                                      QString::number(process.processId()), "--name", title})
                         .split('\n')
                         .value(0);
        return window;
    }
    // The ids of the given windows in stacking order, top first.
    static QStringList Stacking(const QStringList& windows) {
        QStringList order;
        for (const QString& line : Tool("xwininfo", {"-root", "-children"}).split('\n'))
            for (const QString& window : windows)
                if (line.trimmed().startsWith("0x" + QString::number(window.toULongLong(), 16) + " "))
                    order << window;
        return order;
    }

    TempDir root;

private:
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

TEST_F(App_SingleInstanceTests, ASecondStartSaysSoBringsTheFirstForwardAndEnds) {
    const std::string folder = ProgramFolder("prog");
    QProcess& first = Run(folder);
    const QString firstWindow = WindowOf(first, MainCaption);
    QProcess& other = Run(ProgramFolder("other"));
    const QString otherWindow = WindowOf(other, MainCaption);
    ASSERT_EQ(Stacking({firstWindow, otherWindow}), (QStringList{otherWindow, firstWindow}));

    QProcess& second = Run(folder);
    const QString box = WindowOf(second, "^Rivamo$");
    ASSERT_FALSE(box.isEmpty());
    Tool("xdotool", {"windowfocus", "--sync", box, "key", "Return"});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(Stacking({firstWindow, otherWindow}), (QStringList{firstWindow, otherWindow}));
    EXPECT_EQ(first.state(), QProcess::Running);
}

// The lock belongs to its folder: a copy of a running program's folder, lock file and all, starts.
TEST_F(App_SingleInstanceTests, ACopyOfARunningProgramFolderStarts) {
    const std::string folder = ProgramFolder("prog");
    QProcess& first = Run(folder);
    ASSERT_FALSE(WindowOf(first, MainCaption).isEmpty());
    ASSERT_TRUE(fs::exists(folder + "rivamo.lock"));
    fs::copy(folder, root.Path() / "copy", fs::copy_options::recursive);
    QProcess& copy = Run(root.Folder() + "copy/");
    EXPECT_FALSE(WindowOf(copy, MainCaption).isEmpty());
    EXPECT_EQ(copy.state(), QProcess::Running);
}

} // namespace

namespace {

// The list of files kept across runs of the real program: after a normal close, and after the
// program was killed during a batch.
class App_KeptSourceListTests : public App_SingleInstanceTests {
protected:
    void SetUp() override {
        App_SingleInstanceTests::SetUp();
        if (IsSkipped())
            return;
        m_folder = ProgramFolder("prog");
        fs::copy_file(fs::path(ProgramDir()) / "trenc", m_folder + "trenc");
        fs::create_directories(root.Path() / "home" / "Rivamo");
    }
    void TearDown() override {
        if (m_program) {
            m_program->kill();
            m_program->waitForFinished();
        }
    }
    QProcess& Start() {
        m_program = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("ASAN_OPTIONS", "detect_leaks=0");
        environment.insert("HOME", QString::fromStdString((root.Path() / "home").string()));
        m_program->setProcessEnvironment(environment);
        m_program->start(QString::fromStdString(m_folder + "rivamo"), {});
        EXPECT_TRUE(m_program->waitForStarted());
        return *m_program;
    }
    fs::path ListFile() const { return m_folder + "SourceList.txt"; }
    std::vector<SavedSourceRow> Kept() const {
        return fs::exists(ListFile()) ? ParseSavedSourceList(TempDir::ReadFile(ListFile()))
                                      : std::vector<SavedSourceRow>{};
    }
    // Waits until the program has written the list anew (a new file replaces the old one).
    bool WaitForNewList(ino_t old) const {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        struct stat info {};
        while (std::chrono::steady_clock::now() < until) {
            if (::stat(ListFile().c_str(), &info) == 0 && info.st_ino != old)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    ino_t ListInode() const {
        struct stat info {};
        return ::stat(ListFile().c_str(), &info) == 0 ? info.st_ino : 0;
    }
    void CloseNormally(QProcess& program) {
        const QString main = WindowOf(program, MainCaption);
        XDesktop().RequestClose(main.toULong());
        ASSERT_TRUE(program.waitForFinished(60000));
    }

    std::string m_folder;
    std::unique_ptr<QProcess> m_program;
};

TEST_F(App_KeptSourceListTests, TheListComesBackAfterACloseAndAfterAKillDuringABatch) {
    TempDir clips;
    const ClipRecipe recipe{4, "64x48", 5, 0, {"-c:v", "mpeg4"}};
    const std::string a = MakeClip(clips, "a.avi", recipe);
    const std::string b = MakeClip(clips, "b c.avi", recipe);
    const std::vector<SavedSourceRow> expected = {{a, true, "00:00:01", "00:00:04"},
                                                  {b, false, "00:00:00", "00:00:04"}};
    fs::copy_file(clips.WriteFile("list", "Rivamo source list 1\nTrue\t00:00:01\t00:00:04\t" + a +
                                              "\nFalse\t00:00:00\t\t" + b + "\nTrue\t00:00:00\t\t" +
                                              clips.Folder() + "gone.avi\n"),
                  ListFile());

    // The gone file is named in a box; the others are measured again and kept.
    QProcess& first = Start();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Kept() != expected && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(Kept(), expected);
    Tool("xdotool", {"windowfocus", "--sync", WindowOf(first, "^Rivamo$"), "key", "Return"});
    CloseNormally(first);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(Kept(), expected);

    // Killed while the batch waits before its first file.
    const ino_t closed = ListInode();
    QProcess& second = Start();
    ASSERT_TRUE(WaitForNewList(closed)) << "the list was restored and kept again";
    Tool("xdotool", {"windowfocus", "--sync", WindowOf(second, MainCaption), "key", "ctrl+s"});
    ASSERT_FALSE(WindowOf(second, "^Converting$").isEmpty());
    second.kill();
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(Kept(), expected);

    const ino_t killed = ListInode();
    QProcess& third = Start();
    ASSERT_TRUE(WaitForNewList(killed));
    CloseNormally(third);
    EXPECT_EQ(Kept(), expected);
}

} // namespace
