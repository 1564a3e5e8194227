// The window on the screen it is shown on: with the target panel open, every
// control lies on the screen, on a small laptop's 1,024 × 600 as on a large
// one. They run on the session's screen, which tests/e2e/CMakeLists.txt also
// makes 1,024 × 600, and 2,048 × 1,200 at 200%.

#include "support/AppHarness.h"

#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

namespace eggtimer::test {
namespace {

class ScreenFitTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Long texts everywhere: none of them may widen the window.
        writeSettings({{"targetSelecter", 3},
                       {"targetMessage", QString(200, u'm')},
                       {"targetMusicPath", "/music/" + QString(200, u'n') + ".mp3"},
                       {"targetFilePath", "/files/" + QString(200, u'f') + ".pdf"}});
    }

    static bool onWayland() { return QGuiApplication::platformName() == QStringLiteral("wayland"); }

    // Every control the user can see lies inside `area`, in the window's
    // own coordinates.
    static void expectControlsWithin(QWidget* window, const QRect& area) {
        int controls = 0;
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (!control->isVisible() || control->isWindow() ||
                control->objectName().startsWith(QLatin1String("qt_")))
                continue;
            ++controls;
            const QRect placed(control->mapTo(window, QPoint(0, 0)), control->size());
            EXPECT_TRUE(area.contains(placed))
                << control->objectName().toStdString() << " at " << placed.x() << "," << placed.y() << " "
                << placed.width() << "x" << placed.height();
        }
        EXPECT_GT(controls, 20);
    }

    // The screen's free area in the window's coordinates. A Wayland client is
    // not told where its window is: there the window must fit it in size.
    static QRect screenSeenFrom(QWidget* window) {
        const QRect available = window->screen()->availableGeometry();
        if (onWayland()) {
            const QMargins frame = window->windowHandle()->frameMargins();
            return QRect(QPoint(0, 0), available.size().shrunkBy(frame));
        }
        return available.translated(-window->mapToGlobal(QPoint(0, 0)));
    }
};

TEST_F(ScreenFitTest, EveryControlOfTheWindowAndItsOpenTargetPanelIsOnTheScreen) {
    App app;
    ASSERT_TRUE(app.find("targetDrawer")->isVisible());
    QWidget* window = app.window();
    expectControlsWithin(window, screenSeenFrom(window));
    EXPECT_TRUE(screenSeenFrom(window).contains(window->rect()));
}

// Opened near the screen's right edge, the panel takes its room on the left.
TEST_F(ScreenFitTest, ThePanelOpenedAtTheScreensRightEdgeStaysOnTheScreen) {
    if (onWayland())
        GTEST_SKIP() << "a Wayland compositor places the window itself";
    App app;
    QWidget* window = app.window();
    app.click("targetToggleButton");
    ASSERT_FALSE(app.find("targetDrawer")->isVisible());
    const QRect available = window->screen()->availableGeometry();
    window->move(available.right() + 1 - window->frameGeometry().width(), window->y());
    ASSERT_TRUE(app.waitFor([&] { return window->frameGeometry().right() == available.right(); }, 5));

    app.click("targetToggleButton");
    ASSERT_TRUE(app.find("targetDrawer")->isVisible());
    app.waitFor([&] { return available.contains(window->frameGeometry()); }, 5);
    expectControlsWithin(window, screenSeenFrom(window));
}

} // namespace
} // namespace eggtimer::test
