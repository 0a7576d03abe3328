#include <gtest/gtest.h>

#include <stdexcept>

#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "app/RivamoApplication.h"
#include "tests/app/RecordingMessageBoxes.h"

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

// A control whose key handler fails the way a command fails on bad data.
class FailingControl : public QWidget {
public:
    int presses = 0;

protected:
    void keyPressEvent(QKeyEvent*) override {
        ++presses;
        throw std::runtime_error("'00:x0:00' is not a valid integer value");
    }
};

TEST_F(App_RivamoApplicationTests, ErrorThatAHandlerLetsThroughIsShownAndTheProgramGoesOn) {
    FailingControl control;
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));

    QTest::keyClick(&control, Qt::Key_A);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "'00:x0:00' is not a valid integer value");
    EXPECT_EQ(boxes.boxes[0].icon, MessageIcon::Error);
    EXPECT_EQ(boxes.boxes[0].buttons, MessageButtons::Ok);

    // The next command runs as usual.
    QTest::keyClick(&control, Qt::Key_B);
    EXPECT_EQ(control.presses, 2);
    EXPECT_EQ(boxes.boxes.size(), 2u);
}

TEST_F(App_RivamoApplicationTests, ErrorFromATimerIsShownToo) {
    bool later = false;
    QTimer::singleShot(
        0, [] { throw std::invalid_argument("Cannot create file \"/x/Config/UserSettings.ini\"."); });
    QTimer::singleShot(0, [&] { later = true; });
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Cannot create file \"/x/Config/UserSettings.ini\".");
    EXPECT_TRUE(later);
}

} // namespace
