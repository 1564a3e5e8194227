// The window in the style a stand-in desktop portal gives, looked at as a
// user sees it: in a picture of the screen taken by the display server. Texts
// stay readable and controls visible; on Wayland the title bar Qt draws has
// its buttons, in the same style, and they work.

#include "support/AppHarness.h"
#include "tests/support/StandInServices.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace eggtimer::test {
namespace {

const QString kAppearance = QStringLiteral("org.freedesktop.appearance");
const QString kScheme = QStringLiteral("color-scheme");
enum Scheme : uint { NoPreference = 0, Dark = 1, Light = 2 };
using Groups = StandInPortalSettings::Groups;

// WCAG 2's relative luminance of a colour and contrast ratio of two.
double luminance(QRgb rgb) {
    const auto linear = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}
double contrast(QRgb a, QRgb b) {
    const auto [dark, light] = std::minmax({luminance(a), luminance(b)});
    return (light + 0.05) / (dark + 0.05);
}

// An area of a picture: the colour most of it has, and the contrast against
// it of the pixel that stands out most, a text's ink where it holds a text.
std::pair<QRgb, double> measure(const QImage& picture, const QRect& area) {
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[picture.pixel(x, y)];
    const QRgb background = std::ranges::max_element(counts, {}, [](auto& c) { return c.second; })->first;
    double most = 1;
    for (const auto& [colour, count] : counts)
        most = std::max(most, contrast(colour, background));
    return {background, most};
}

// The X server that shows the screen: on Wayland, the one the compositor
// draws on, title bars and all.
QString screenDisplay() {
    return qEnvironmentVariable(QGuiApplication::platformName() == QStringLiteral("wayland")
                                    ? "EGGTIMER_COMPOSITOR_DISPLAY"
                                    : "DISPLAY");
}

// The screen once it shows the window as the window draws itself now, and
// where the window's inside lies on it, found by the menu bar's first entry
// (a Wayland client is not told where its window is).
std::pair<QImage, QPoint> seen(App& app) {
    QImage shown;
    QPoint origin(-1, -1);
    const QImage own = app.window()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect piece(2, 2, 60, 16);
    const auto matches = [&](int x, int y) {
        for (int dy = piece.top(); dy <= piece.bottom(); ++dy)
            for (int dx = piece.left(); dx <= piece.right(); ++dx)
                if (shown.pixel(x + dx, y + dy) != own.pixel(dx, dy))
                    return false;
        return true;
    };
    const bool found = app.waitFor(
        [&] {
            QProcess import;
            import.start("import", {"-display", screenDisplay(), "-window", "root", "-depth", "8", "ppm:-"});
            import.waitForFinished();
            shown =
                QImage::fromData(import.readAllStandardOutput(), "PPM").convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y + piece.bottom() < shown.height(); ++y) {
                for (int x = 0; x + piece.right() < shown.width(); ++x) {
                    if (matches(x, y)) {
                        origin = {x, y};
                        return true;
                    }
                }
            }
            return false;
        },
        30);
    EXPECT_TRUE(found) << "the window as it draws itself never showed on the screen";
    return {shown, origin};
}

// Status line and START at 4.5:1 at least, the status area dark or light as
// asked, the checked radio button's circle at 3:1 (WCAG's least for a
// control), and an unchecked one on the target panel and the progress bar's
// groove apart from their backgrounds (Qt's light style: 2.0:1, and 1.6:1 in
// an active window, 1.4:1 in an inactive one).
void expectReadable(App& app, bool dark, const char* row) {
    const auto [shown, origin] = seen(app);
    const auto on = [&app, &shown = shown, origin = origin](const char* name, QMargins less = {}) {
        QWidget* widget = app.find(name);
        return measure(shown, QRect(widget->mapTo(app.window(), origin), widget->size()) - less);
    };
    const auto [status, statusRatio] = on("statTimer");
    const auto circle = [&](const char* name) { // a radio button, left of its label
        return on(name, {0, 0, app.find(name)->width() - app.find(name)->height(), 0}).second;
    };
    EXPECT_EQ(luminance(status) < 0.1, dark) << row;
    EXPECT_GE(statusRatio, 4.5) << row;
    EXPECT_GE(on("timerButton", {3, 3, 3, 3}).second, 4.5) << row;
    EXPECT_GE(on("timerProgress", {0, -3, 0, -3}).second, 1.3) << row;
    EXPECT_GE(circle("preset3Cell"), 3) << row;
    EXPECT_GE(circle("targetMusicCell"), 1.4) << row;
}

struct Row {
    const char* name;
    std::optional<uint> scheme; // none: no portal runs
    bool dark;
    QString layout = {}; // GNOME's title bar buttons, served when given
    friend void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }
};

class DesktopStyle : public ::testing::TestWithParam<Row> {
protected:
    void SetUp() override {
        if (!GetParam().scheme)
            return;
        Groups groups{{kAppearance, {{kScheme, *GetParam().scheme}}}};
        if (!GetParam().layout.isEmpty())
            groups["org.gnome.desktop.wm.preferences"]["button-layout"] = GetParam().layout;
        portal.emplace(groups);
        ASSERT_TRUE(portal->start());
    }
    std::optional<StandInPortalSettings> portal;
};

// Readable in the style the desktop chose. On Wayland, where Qt draws the
// title bar, it has its buttons: minimize, maximize and close, whether
// the portal tells a layout or not, dark where the desktop is; the close
// button closes the window. The buttons are the glyphs in the right third of
// the band above the window's inside where Qt's title bars draw them.
TEST_P(DesktopStyle, TextsAndControlsAndOnWaylandTheTitleBarsButtonsShowInTheStyleTheDesktopChose) {
    App app;
    expectReadable(app, GetParam().dark, GetParam().name);
    if (QGuiApplication::platformName() != QStringLiteral("wayland"))
        return;
    QRgb bar = 0;
    std::vector<QRect> buttons;
    QPoint origin;
    const bool drawn = app.waitFor(
        [&] {
            QImage shown;
            std::tie(shown, origin) = seen(app);
            const int width = app.window()->width();
            const QRect band(origin.x() + width * 2 / 3, origin.y() - 26, width / 3, 20);
            bar = measure(shown, band).first;
            buttons.clear();
            for (int x = band.left(), blank = 3; x <= band.right(); ++x, ++blank) {
                for (int y = band.top(); y <= band.bottom(); ++y) {
                    if (contrast(shown.pixel(x, y), bar) < 3)
                        continue;
                    if (blank >= 3)
                        buttons.emplace_back();
                    buttons.back() |= QRect(x, y, 1, 1);
                    blank = -1;
                }
            }
            return buttons.size() == 3;
        },
        60);
    ASSERT_TRUE(drawn) << buttons.size() << " buttons on the title bar of the window at " << origin.x() << ","
                       << origin.y();
    EXPECT_EQ(luminance(bar) < 0.1, GetParam().dark);

    // The compositor's pointer is the X server's. It comes from a corner, as
    // a hand does: a window shown under a pointer that has not moved gets no
    // pointer events from mutter 48.
    const QPoint close = buttons.back().center();
    ASSERT_EQ(QProcess::execute("env", {"DISPLAY=" + screenDisplay(), "xdotool", "mousemove", "--sync", "0",
                                        "0", "mousemove", "--sync", QString::number(close.x()),
                                        QString::number(close.y()), "click", "1"}),
              0);
    EXPECT_TRUE(app.waitFor([&] { return !app.window()->isVisible(); }, 10));
}

// Light and no preference at the start are the change test's.
INSTANTIATE_TEST_SUITE_P(, DesktopStyle,
                         ::testing::Values(Row{"no_portal", std::nullopt, false}, Row{"dark", Dark, true},
                                           Row{"dark_with_GNOMEs_layout", Dark, true,
                                               QStringLiteral("appmenu:minimize,maximize,close")}),
                         [](const auto& row) { return std::string(row.param.name); });

// While the program runs, the portal's changes are followed both ways; the
// same signal from another program is not.
TEST(DesktopStyleChangeTest, FollowsThePortalsChangesWhileRunningAndNoOneElses) {
    StandInPortalSettings portal(Groups{{kAppearance, {{kScheme, uint(Light)}}}});
    ASSERT_TRUE(portal.start());
    App app;
    StandInPortalSettings lookAlike({}, QStringLiteral("look-alike"));
    lookAlike.change(kAppearance, kScheme, uint(Dark));
    settleBus({lookAlike.bus});
    expectReadable(app, false, "light, a look-alike's dark");
    const auto windowLightness = [] {
        return QGuiApplication::palette().color(QPalette::Window).lightness();
    };
    portal.change(kAppearance, kScheme, uint(Dark));
    ASSERT_TRUE(app.waitFor([&] { return windowLightness() < 128; }, 10));
    expectReadable(app, true, "changed to dark");
    portal.change(kAppearance, kScheme, uint(NoPreference));
    ASSERT_TRUE(app.waitFor([&] { return windowLightness() > 128; }, 10));
    expectReadable(app, false, "changed to no preference");
}

} // namespace
} // namespace eggtimer::test
