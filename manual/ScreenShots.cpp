// Makes the pictures of the manual from the running program: the main window with a few clips in
// its list, the Options dialog (when the program has one) and the progress window during a real
// conversion. scripts/screenshots runs it under Xvfb; the first argument is the folder to write to.
// With a second argument (a name suffix such as "-2x", for a run at another QT_SCALE_FACTOR) it
// makes only the grown main window and the progress window, named with that suffix.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QPixmap>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "app/RivamoApplication.h"
#include "convert/ConvertingWindow.h"
#include "support/MessageBoxes.h"
#include "support/SystemServices.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"

namespace fs = std::filesystem;

namespace {

constexpr int SettleMs = 600;
constexpr int ProgressShotAfterMs = 1500;
constexpr int ProgressShotLatestMs = 8000;
constexpr int PollMs = 100;
constexpr QSize GrownSize(1100, 800);

// Nothing leaves the screenshot run: no boxes, no browser, no power-off.
class SilentBoxes final : public MessageBoxPresenter {
public:
    int Show(const std::string& text, MessageIcon /*icon*/, MessageButtons /*buttons*/) override {
        std::fprintf(stderr, "screenshots: message box: %s\n", text.c_str());
        return IdOk;
    }
};
class QuietShell final : public Shell {
public:
    void OpenFolder(const std::string& /*folder*/) override {}
    void OpenAddress(const std::string& /*address*/) override {}
};
class QuietPower final : public Power {
public:
    bool PowerOff() override { return false; }
    void TrimMemory() override {}
};

void PumpFor(int milliseconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until)
        QApplication::processEvents(QEventLoop::AllEvents, PollMs);
}

bool Save(QWidget& window, const fs::path& file) {
    const bool saved = window.grab().save(QString::fromStdString(file.string()));
    std::printf("screenshots: %s %s\n", saved ? "wrote" : "could not write", file.c_str());
    return saved;
}

// The Options dialog, once the program has one: a top-level TfrmOption.
QWidget* OptionsDialog() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->inherits("TfrmOption") || window->objectName() == QStringLiteral("frmOption"))
            return window;
    return nullptr;
}

// The list shows the clips' folder, so they are moved to a short folder name of their own.
const fs::path ClipsFolder = "/tmp/Rivamo manual/Videos";

std::vector<std::string> MakeClips(const TempDir& work) {
    const std::vector<std::string> codecs = {"-c:v", "mpeg4", "-c:a", "libmp3lame"};
    const std::vector<std::string> made = {
        MakeClip(work, "Holiday by the sea.avi", {40, "640x360", 25, 44100, codecs}),
        MakeClip(work, "Birthday party.mov", {8, "640x480", 25, 44100, codecs}),
        MakeClip(work, "Garden in spring.avi", {6, "480x270", 25, 44100, codecs})};
    fs::remove_all(ClipsFolder.parent_path());
    fs::create_directories(ClipsFolder);
    std::vector<std::string> paths;
    for (const fs::path clip : made) {
        paths.push_back((ClipsFolder / clip.filename()).string());
        fs::rename(clip, paths.back());
    }
    return paths;
}

void ShootOptions(const fs::path& output) {
    QWidget* options = OptionsDialog();
    if (options == nullptr) {
        std::printf("screenshots: this build has no Options dialog; OptionsDialog.png left as it is\n");
        return;
    }
    options->show();
    PumpFor(SettleMs);
    Save(*options, output / "OptionsDialog.png");
    options->hide();
}

// The progress window is photographed from inside the batch, which pumps the events itself.
void ShootProgressDuringConversion(ProgramShell& program, const fs::path& picture) {
    bool saved = false;
    int visibleMs = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TfrmConverting& progress = program.ProgressForm();
        visibleMs = progress.isVisible() ? visibleMs + PollMs : 0;
        // Once the file's bar moves, or after a while if it never does.
        const bool moving = progress.ProgressBar1->value() > progress.ProgressBar1->minimum();
        if (!saved && visibleMs >= ProgressShotAfterMs && (moving || visibleMs >= ProgressShotLatestMs))
            saved = Save(program.ProgressForm(), picture);
    });
    poll.start(PollMs);
    program.MainForm().btnConvertClick();
    poll.stop();
    if (!saved)
        std::printf("screenshots: the conversion ended before the progress window could be taken "
                    "(see the log below)\n");
}

} // namespace

int main(int argc, char* argv[]) {
    RivamoApplication app(argc, argv);
    const fs::path output = argc > 1 ? fs::path(argv[1]) : fs::current_path();
    const std::string suffix = argc > 2 ? argv[2] : "";
    const bool manualPictures = argc <= 2;
    fs::create_directories(output);

    TempDir work;
    fs::create_directories(work.Path() / "Config");

    SilentBoxes boxes;
    QuietShell shell;
    QuietPower power;
    ProgramOptions options;
    options.shell = &shell;
    options.power = &power;
    options.splashTicks = 0;
    options.dataFolder = work.Folder();
    options.executablePath = RIVAMO_PROGRAM_DIR "/rivamo";
    ProgramShell program(
        RIVAMO_PROGRAM_DIR "/", boxes, [] {}, options);
    program.Start();
    PumpFor(SettleMs);

    program.Choices().SetOutputFolder((ClipsFolder / "Rivamo").string());
    program.SourceController().AddSourceFiles(MakeClips(work));
    program.Sources().SetCell(0, colStartTime, "00:00:02");
    program.Sources().SetCell(0, colCutTime, "00:00:38");
    PumpFor(SettleMs);
    if (manualPictures)
        Save(program.MainForm(), output / "MainWindow.png");
    // The window grown: the preview and the list take the room.
    program.MainForm().resize(GrownSize);
    PumpFor(SettleMs);
    Save(program.MainForm(), output / ("MainWindowGrown" + suffix + ".png"));
    program.MainForm().resize(program.MainForm().minimumSize());

    if (manualPictures)
        ShootOptions(output);
    const fs::path progress = output / ("ProgressWindow" + suffix + ".png");
    ShootProgressDuringConversion(program, progress);
    if (!fs::exists(progress))
        std::printf("%s\n", TempDir::ReadFile(work.Path() / "log.txt").c_str());
    fs::remove_all(ClipsFolder.parent_path());
    return 0;
}
