#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "convert/ConvertingWindow.h"
#include "profiles/OptionWindow.h"
#include "profiles/QtProfileNamePrompt.h"
#include "support/QtMessageBoxes.h"
#include "tests/app/ModalDialogDriver.h"
#include "tests/app/ProgramTestOptions.h"
#include "tests/common/RecordingMessageBoxes.h"

namespace {

constexpr double LeastContrast = 4.5; // WCAG level AA for normal text

// WCAG 2 relative luminance of an sRGB colour.
double Luminance(const QColor& colour) {
    const auto linear = [](double channel) {
        return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double lighter = std::max(Luminance(a), Luminance(b));
    const double darker = std::min(Luminance(a), Luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

// The colour most pixels of the area have: what the text of a control stands on, as drawn.
QColor BackgroundOf(const QImage& shot, const QRect& area) {
    std::map<QRgb, int> counts;
    const QRect inside = area.intersected(shot.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[shot.pixel(x, y) | 0xff000000U];
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    return most == counts.end() ? QColor() : QColor::fromRgb(most->first);
}

// The drawn colour of the area that stands out most from its background: the text's colour (the
// core of its strokes), whatever colour the style chose for it.
QColor InkOf(const QImage& shot, const QRect& area, const QColor& background) {
    QColor ink = background;
    const QRect inside = area.intersected(shot.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor pixel = QColor::fromRgb(shot.pixel(x, y));
            if (Contrast(pixel, background) > Contrast(ink, background))
                ink = pixel;
        }
    return ink;
}

// Every visible, enabled label and button with a text on the dialog whose text stands out from what
// is drawn behind it by less than the least contrast, as "text #ffffff on #efefef 1.13:1", both
// colours as drawn. Disabled controls need no contrast.
std::vector<std::string> PoorContrasts(QWidget& dialog) {
    const QImage shot = dialog.grab().toImage();
    const qreal ratio = shot.devicePixelRatio();
    std::vector<std::string> poor;
    for (QWidget* control : dialog.findChildren<QWidget*>()) {
        QString text;
        if (auto* label = qobject_cast<QLabel*>(control))
            text = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            text = button->text();
        if (text.isEmpty() || !control->isVisibleTo(&dialog) || !control->isEnabled())
            continue;
        const QRect area(control->mapTo(&dialog, QPoint(0, 0)) * ratio, control->size() * ratio);
        const QColor background = BackgroundOf(shot, area);
        const QColor ink = InkOf(shot, area, background);
        const double contrast = Contrast(ink, background);
        if (contrast < LeastContrast)
            poor.push_back(text.toStdString() + " " + ink.name().toStdString() + " on " +
                           background.name().toStdString() + " " + std::to_string(contrast) + ":1");
    }
    return poor;
}

class App_ReadableDialogTests : public testing::Test {
protected:
    App_ReadableDialogTests() {
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        std::filesystem::create_directory(folder.Path() / "Config");
        program.Start();
    }

    void Activate(QWidget& window) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // Opens a dialog with `open`, checks it once it is up and closes it.
    template <typename Dialog>
    std::vector<std::string> CheckDialog(const std::function<void()>& open,
                                         const std::function<void(Dialog&)>& alsoCheck = {}) {
        std::vector<std::string> poor;
        ModalDialogDriver<Dialog> driver([&](Dialog& dialog) {
            poor = PoorContrasts(dialog);
            if (alsoCheck)
                alsoCheck(dialog);
            dialog.reject();
        });
        open();
        EXPECT_EQ(driver.Answered(), 1);
        return poor;
    }

    TestProgramFolder folder;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    ProgramShell program{folder.Folder(), boxes, [] {},
                         [this] {
                             ProgramOptions options;
                             options.shell = &shell;
                             options.executablePath = (BuiltProgramFolder() / "rivamo").string();
                             options.splashTicks = 0;
                             return options;
                         }()};
};

// The skin's colours belong to the windows drawn for it; the standard dialogs opened over them keep
// their own, readable ones.
TEST_F(App_ReadableDialogTests, EveryStandardDialogOverASkinnedWindowIsReadable) {
    TFrmMainForm& main = program.MainForm();
    Activate(main);
    program.Choices().SetOutputFolder(folder.Path().string());
    EXPECT_EQ(CheckDialog<QFileDialog>([&] { main.btnOpenFileClick(); }), std::vector<std::string>{})
        << "Open dialog";
    const QString outputFolder = QString::fromLocal8Bit(program.Choices().edtOutputFolder());
    EXPECT_EQ(CheckDialog<QFileDialog>(
                  [&] { main.RzBmpButton1Click(); },
                  [&](QFileDialog& chooser) { EXPECT_EQ(chooser.directory().absolutePath(), outputFolder); }),
              std::vector<std::string>{})
        << "folder chooser";

    QtMessageBoxes messageBoxes;
    const auto showBox = [&] {
        messageBoxes.Show("Nothing to convert.", MessageIcon::Warning, MessageButtons::Ok);
    };
    EXPECT_EQ(CheckDialog<QMessageBox>(showBox), std::vector<std::string>{})
        << "message box over the main window";
    Activate(program.ProgressForm());
    EXPECT_EQ(CheckDialog<QMessageBox>(showBox), std::vector<std::string>{})
        << "message box over the progress window";
    program.ProgressForm().hide();

    Activate(program.OptionForm());
    QtProfileNamePrompt prompt;
    EXPECT_EQ(CheckDialog<QInputDialog>([&] { prompt.AskName("Mine"); }), std::vector<std::string>{})
        << "profile name prompt";
    program.OptionForm().hide();
}

} // namespace
