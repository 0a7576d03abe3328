#include <gtest/gtest.h>

#include <stdexcept>

#include <QTest>
#include <QTimer>
#include <QWidget>

#include "app/RivamoApplication.h"
#include "tests/common/RecordingMessageBoxes.h"

namespace {

class App_RivamoApplicationTests : public testing::Test {
protected:
    App_RivamoApplicationTests() { Application()->SetErrorPresenter(&boxes); }
    ~App_RivamoApplicationTests() override { Application()->SetErrorPresenter(nullptr); }

    static RivamoApplication* Application() {
        return qobject_cast<RivamoApplication*>(QApplication::instance());
    }

    RecordingMessageBoxes boxes;
};

TEST_F(App_RivamoApplicationTests, IsTheRivamoApplication) {
    ASSERT_NE(Application(), nullptr);
    EXPECT_EQ(QApplication::applicationName(), "Rivamo");
}

// A control whose event handler fails the way a command fails on bad data. (Key and mouse
// handlers would fail the same way, but an exception that unwinds through Qt's own input code
// skips its cleanup; the windows therefore catch at their own command boundaries, and this
// general report is the safety net behind them.)
class FailingControl : public QWidget {
public:
    int events = 0;

protected:
    void customEvent(QEvent*) override {
        ++events;
        throw std::runtime_error("'00:x0:00' is not a valid integer value");
    }
};

TEST_F(App_RivamoApplicationTests, ErrorThatAHandlerLetsThroughIsShownAndTheProgramGoesOn) {
    FailingControl control;
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));

    QCoreApplication::postEvent(&control, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "'00:x0:00' is not a valid integer value");
    EXPECT_EQ(boxes.Boxes()[0].icon, MessageIcon::Error);
    EXPECT_EQ(boxes.Boxes()[0].buttons, MessageButtons::Ok);

    // The next event runs as usual.
    QCoreApplication::postEvent(&control, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_EQ(control.events, 2);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
}

TEST_F(App_RivamoApplicationTests, CommandsOfTheWindowsReportTheirErrorsThemselves) {
    RivamoApplication::RunCommand([] { throw std::out_of_range("SourceList::DeleteRow: no such row"); });
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "SourceList::DeleteRow: no such row");
    bool ran = false;
    RivamoApplication::RunCommand([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST_F(App_RivamoApplicationTests, ErrorFromATimerIsShownToo) {
    bool later = false;
    QTimer::singleShot(
        0, [] { throw std::invalid_argument("Cannot create file \"/x/Config/UserSettings.ini\"."); });
    QTimer::singleShot(0, [&] { later = true; });
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Cannot create file \"/x/Config/UserSettings.ini\".");
    EXPECT_TRUE(later);
}

} // namespace
