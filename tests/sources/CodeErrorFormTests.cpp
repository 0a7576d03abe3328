#include "sources/CodeErrorForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "sources/CodecDownload.h"
#include "support/MessageBoxes.h"

namespace {

struct RecordingShell final : Shell {
    std::vector<std::string> addresses;
    void OpenFolder(const std::string&) override {}
    void OpenAddress(const std::string& address) override { addresses.push_back(address); }
};

} // namespace

TEST(Sources_CodeErrorFormTests, WindowShowsItsTextsAtTheirPlaces) {
    RecordingShell shell;
    TFrmCodeErrorForm form(nullptr, shell);
    form.show();
    EXPECT_EQ(form.windowTitle(), "Error Info");
    EXPECT_EQ(form.width(), 413);
    EXPECT_GE(form.height(), 96);
    EXPECT_EQ(form.minimumSize(), form.maximumSize());

    EXPECT_EQ(form.Image1->geometry(), QRect(8, 13, 32, 32));
    EXPECT_FALSE(form.Image1->pixmap().isNull());
    EXPECT_EQ(form.lblErrorInfo->text(), "Files reading error! Please check your files or install a new "
                                         "codec.You can click the link to download the lastest codec.");
    EXPECT_EQ(form.lblErrorInfo->pos(), QPoint(48, 16));
    EXPECT_EQ(form.lblErrorInfo->width(), 357);
    EXPECT_TRUE(form.lblErrorInfo->wordWrap());

    EXPECT_EQ(form.lblDownload->text(), "(Click here to down)");
    EXPECT_TRUE(form.lblDownload->font().underline());
    EXPECT_EQ(form.lblDownload->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(form.lblDownload->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(form.btnOK->text(), "OK");
}

TEST(Sources_CodeErrorFormTests, TheWindowNamesTheFileBelowTheLinkAndAboveTheButton) {
    RecordingShell shell;
    const std::string path = "/home/u/Clips/broken party.mov";
    TFrmCodeErrorForm form(nullptr, shell, path);
    form.show();
    EXPECT_TRUE(form.lblFileName->isVisible());
    EXPECT_EQ(form.lblFileName->text().toStdString(), path);
    EXPECT_GT(form.lblFileName->y(), form.lblDownload->geometry().bottom());
    EXPECT_LT(form.lblFileName->geometry().bottom(), form.btnOK->y());
    EXPECT_LE(form.btnOK->geometry().bottom(), form.height());
}

// The link stands after the wrapped text in whatever font the desktop gives: no letter of the text
// lies under it, the text is not cut off, and the button sits below both, inside the window.
TEST(Sources_CodeErrorFormTests, LinkTextAndButtonDoNotOverlapInTheDesktopsFont) {
    RecordingShell shell;
    struct FontRestorer {
        const QFont font = QApplication::font();
        ~FontRestorer() { QApplication::setFont(font); }
    } desktop;
    for (const int pointSize : {7, 9, 11, 14}) {
        QFont font = desktop.font;
        font.setPointSize(pointSize);
        QApplication::setFont(font);
        TFrmCodeErrorForm form(nullptr, shell);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        SCOPED_TRACE(pointSize);
        QLabel& text = *form.lblErrorInfo;
        EXPECT_GE(text.height(), text.heightForWidth(text.width()));

        const QImage ink = text.grab().toImage();
        const QColor paper = text.palette().color(QPalette::Window);
        const QRect underLink = form.lblDownload->geometry().translated(-text.pos()) & text.rect();
        int inkedPixels = 0;
        for (int y = underLink.top(); y <= underLink.bottom(); ++y)
            for (int x = underLink.left(); x <= underLink.right(); ++x)
                inkedPixels +=
                    ink.pixelColor(x * ink.width() / text.width(), y * ink.height() / text.height()) != paper;
        EXPECT_EQ(inkedPixels, 0);

        EXPECT_TRUE(form.rect().contains(form.lblDownload->geometry()));
        EXPECT_GT(form.btnOK->y(), form.lblDownload->geometry().bottom());
        EXPECT_GT(form.btnOK->y(), text.geometry().bottom());
        EXPECT_TRUE(form.rect().contains(form.btnOK->geometry()));
    }
}

TEST(Sources_CodeErrorFormTests, LinkOpensTheCodecDownloadPage) {
    RecordingShell shell;
    TFrmCodeErrorForm form(nullptr, shell);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.lblDownload, Qt::LeftButton);
    EXPECT_EQ(shell.addresses, std::vector<std::string>{CodecDownloadAddress});
    EXPECT_EQ(std::string(CodecDownloadAddress).rfind("https://", 0), 0u);
}

TEST(Sources_CodeErrorFormTests, ShowCodecErrorIsModalOverTheMainWindowAndOkGivesTheOkResult) {
    RecordingShell shell;
    QWidget mainWindow;
    mainWindow.setGeometry(50, 60, 700, 500);
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    QTimer::singleShot(0, &mainWindow, [&] {
        auto* form = mainWindow.findChild<TFrmCodeErrorForm*>();
        ASSERT_NE(form, nullptr);
        EXPECT_TRUE(form->isModal());
        EXPECT_EQ(form->frameGeometry().center(), mainWindow.frameGeometry().center());
        form->btnOK->click();
    });
    EXPECT_EQ(ShowCodecError(&mainWindow, shell), IdOk);
    // Gone once closed.
    EXPECT_EQ(mainWindow.findChild<TFrmCodeErrorForm*>(), nullptr);
    EXPECT_TRUE(shell.addresses.empty());
}
