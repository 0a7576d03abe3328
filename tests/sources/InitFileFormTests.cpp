#include "sources/InitFileForm.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include "support/SystemServices.h"
#include "tests/common/TempDir.h"

namespace {

struct CountingPump final : EventPump {
    int pumps = 0;
    void Pump() override { ++pumps; }
};

class Sources_InitFileFormTests : public testing::Test {
protected:
    void SetUp() override {
        m_owner.setGeometry(100, 120, 800, 600);
        m_owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_owner));
    }

    QWidget m_owner;
    CountingPump m_pump;
    TFrmInitFileForm m_form{&m_owner, m_pump};
};

} // namespace

TEST_F(Sources_InitFileFormTests, WorkRunsOnceWhileThePopupShowsCentredOnTheMainWindow) {
    int runs = 0;
    m_form.ShowWhile([&] {
        ++runs;
        EXPECT_TRUE(m_form.isVisible());
        EXPECT_GE(m_pump.pumps, 1);
        EXPECT_FALSE(m_form.Timer2->isActive());
        EXPECT_TRUE(m_form.Timer1->isActive());
        EXPECT_EQ(m_form.lblInfo->text(), "Installing File...");
        EXPECT_EQ(m_form.size(), QSize(273, 45));
        EXPECT_TRUE(m_form.windowFlags() & Qt::FramelessWindowHint);
        const QPoint offset = m_form.frameGeometry().center() - m_owner.frameGeometry().center();
        EXPECT_EQ(offset, QPoint(0, 0));
    });
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(m_form.isVisible());
    EXPECT_FALSE(m_form.Timer1->isActive());
    EXPECT_TRUE(m_form.lblInfo->font().bold());
    EXPECT_EQ(m_form.lblInfo->font().family(), "Arial");
}

TEST_F(Sources_InitFileFormTests, SpinnerTurnsThroughItsFourTexts) {
    std::vector<QString> texts;
    m_form.ShowWhile([&] {
        for (int tick = 0; tick < 5; ++tick) {
            QMetaObject::invokeMethod(m_form.Timer1, "timeout");
            texts.push_back(m_form.lblInfo->text());
        }
    });
    const std::vector<QString> expected = {"Installing File...  /", "Installing File...  -",
                                           "Installing File...  \\", "Installing File...  |",
                                           "Installing File...  /"};
    EXPECT_EQ(texts, expected);
}

TEST_F(Sources_InitFileFormTests, AnErrorClosesThePopupAndReachesTheCallerAndThePopupCanRunAgain) {
    EXPECT_THROW(m_form.ShowWhile([] { throw std::runtime_error("Cannot open file"); }), std::runtime_error);
    EXPECT_FALSE(m_form.isVisible());
    EXPECT_FALSE(m_form.Timer1->isActive());

    int runs = 0;
    m_form.ShowWhile([&] { ++runs; });
    EXPECT_EQ(runs, 1);
}

TEST_F(Sources_InitFileFormTests, EscapeDoesNotCloseThePopupBeforeItsWorkIsDone) {
    QTimer::singleShot(0, &m_form, [&] { QTest::keyClick(&m_form, Qt::Key_Escape); });
    int runs = 0;
    m_form.ShowWhile([&] { ++runs; });
    EXPECT_EQ(runs, 1);
}

TEST_F(Sources_InitFileFormTests, OpenCommandAddsThroughThePopup) {
    struct OnePick final : SourceFilePicker {
        std::vector<std::string> Pick(const std::string&) override {
            return {"/d/b.avi", "/d/a.avi", "/d/b.avi"};
        }
        std::optional<std::string> PickFolder(const std::string&) override { return std::nullopt; }
    } picker;
    TempDir dir;
    dir.WriteFile("Config/UserSettings.ini", "");
    const TInitDir initDir(dir.Folder(), "/home/u/");
    std::vector<std::vector<std::string>> added;
    TOpenFilesCommand command(initDir, picker, m_form, [&](const std::vector<std::string>& paths) {
        EXPECT_TRUE(m_form.isVisible());
        added.push_back(paths);
    });
    command.btnOpenFileClick();
    EXPECT_FALSE(m_form.isVisible());
    EXPECT_EQ(added, (std::vector<std::vector<std::string>>{{"/d/b.avi", "/d/a.avi"}}));
    EXPECT_EQ(initDir.Read(), "/d/");
}
