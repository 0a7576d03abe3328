#include "sources/CodeErrorForm.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QTimer>

#include "sources/CodecDownload.h"
#include "support/MessageBoxes.h"
#include "widgets/BitmapButton.h"

namespace {

struct RecordingShell final : Shell {
    std::vector<std::string> addresses;
    void OpenFolder(const std::string&) override {}
    void OpenAddress(const std::string& address) override { addresses.push_back(address); }
};

} // namespace

TEST(Sources_CodeErrorFormTests, WindowShowsItsTextsAtTheirPlacesInTheSkin) {
    RecordingShell shell;
    TFrmCodeErrorForm form(nullptr, shell);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.windowTitle(), "Error Info");
    EXPECT_EQ(form.accessibleName(), "Error Info");
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
    EXPECT_EQ(form.lblDownload->palette().color(QPalette::WindowText), QColor(0x2f, 0xb3, 0xa3));
    EXPECT_EQ(form.btnOK->text(), "OK");
    EXPECT_EQ(form.btnOK->accessibleName(), "OK");

    // Light text on the dark picture, at the top and in the button's band at the bottom.
    const QImage window = form.grab().toImage();
    EXPECT_GT(form.lblErrorInfo->palette().color(QPalette::WindowText).lightness(), 200);
    for (const QPoint at : {QPoint(300, 8), QPoint(4, form.height() - 4)})
        EXPECT_LT(window.pixelColor(at * window.width() / form.width()).lightness(), 60) << at.y();
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

// The link stands after the wrapped text in whatever size the skin's font takes: no letter of the
// text lies under it, the text is not cut off, and the button sits below both, inside the window.
TEST(Sources_CodeErrorFormTests, LinkTextAndButtonDoNotOverlapInAnyFontSize) {
    RecordingShell shell;
    for (const int pixels : {8, 11, 14, 18}) {
        TFrmCodeErrorForm form(nullptr, shell);
        form.setStyleSheet(form.styleSheet() + QString("QLabel { font-size: %1px; }").arg(pixels));
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        SCOPED_TRACE(pixels);
        QLabel& text = *form.lblErrorInfo;
        ASSERT_EQ(text.font().pixelSize(), pixels);
        EXPECT_GE(text.height(), text.heightForWidth(text.width()));

        // The text's letters alone, on a clear picture.
        QImage ink(text.size(), QImage::Format_ARGB32_Premultiplied);
        ink.fill(Qt::transparent);
        text.render(&ink, QPoint(), QRegion(), QWidget::DrawChildren);
        const QRect underLink = form.lblDownload->geometry().translated(-text.pos()) & text.rect();
        int inkedPixels = 0;
        for (int y = underLink.top(); y <= underLink.bottom(); ++y)
            for (int x = underLink.left(); x <= underLink.right(); ++x)
                inkedPixels += ink.pixelColor(x, y).alpha() != 0;
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

// The button and Enter close the window with the OK result, as the button did before it was skinned.
TEST(Sources_CodeErrorFormTests, ShowCodecErrorIsModalOverTheMainWindowAndOkGivesTheOkResult) {
    RecordingShell shell;
    QWidget mainWindow;
    mainWindow.setGeometry(50, 60, 700, 500);
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    for (const bool byKey : {false, true}) {
        QTimer::singleShot(0, &mainWindow, [&] {
            auto* form = mainWindow.findChild<TFrmCodeErrorForm*>();
            ASSERT_NE(form, nullptr);
            EXPECT_TRUE(form->isModal());
            EXPECT_EQ(form->frameGeometry().center(), mainWindow.frameGeometry().center());
            if (byKey)
                QTest::keyClick(form, Qt::Key_Return);
            else
                form->btnOK->click();
        });
        EXPECT_EQ(ShowCodecError(&mainWindow, shell), IdOk) << byKey;
        // Gone once closed.
        EXPECT_EQ(mainWindow.findChild<TFrmCodeErrorForm*>(), nullptr);
    }
    EXPECT_TRUE(shell.addresses.empty());
}
