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

bool onWayland() {
    return QGuiApplication::platformName() == QStringLiteral("wayland");
}

// Every control the user can see lies inside `area`, in the window's own
// coordinates.
void expectControlsWithin(QWidget* window, const QRect& area) {
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

// The screen's free area in the window's coordinates. A Wayland client is not
// told where its window is: there the window must fit it in size.
QRect screenSeenFrom(QWidget* window) {
    const QRect available = window->screen()->availableGeometry();
    if (onWayland())
        return QRect(QPoint(0, 0), available.size().shrunkBy(window->windowHandle()->frameMargins()));
    return available.translated(-window->mapToGlobal(QPoint(0, 0)));
}

// A megabyte in the message and in the music and file names, stored from an
// earlier run: none of them widens the window, their lines end in "…" (what
// the labels show, tooltip and read out is the window tests'). Opened near
// the screen's right edge, the panel takes its room on the left.
TEST(ScreenFitTest, EveryControlIsOnTheScreenWithLongTextsAndWithThePanelOpenedAtTheRightEdge) {
    writeSettings({{"targetSelecter", 3},
                   {"targetMessage", QStringLiteral("Take the bread out. ").repeated(1 << 16)},
                   {"targetMusicPath", "/music/" + QString(1 << 20, u'n') + ".mp3"},
                   {"targetFilePath", "/files/" + QString(1 << 20, u'f') + ".pdf"}});
    App app;
    QWidget* window = app.window();
    ASSERT_TRUE(app.find("targetDrawer")->isVisible());
    expectControlsWithin(window, screenSeenFrom(window));
    EXPECT_TRUE(screenSeenFrom(window).contains(window->rect()));
    for (const char* name : {"statFireTarget", "targetMusicName", "targetFileName"})
        EXPECT_TRUE(app.text(name).endsWith(QChar(0x2026))) << name;
    if (onWayland())
        return; // a Wayland compositor places the window itself

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
