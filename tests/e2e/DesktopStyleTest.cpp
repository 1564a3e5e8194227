// The window in the desktop's dark or light style, as a stand-in desktop
// portal on the session's bus gives it, looked at as a user sees it: a
// picture of the screen, taken by the display server. Texts stay readable and
// controls visible in either style; on Wayland the title bar has its buttons,
// in the same style, and they work.

#include "support/AppHarness.h"
#include "tests/support/StandInServices.h"

#include <QProcess>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>

namespace eggtimer::test {
namespace {

const QString kAppearance = QStringLiteral("org.freedesktop.appearance");
const QString kScheme = QStringLiteral("color-scheme");
enum Scheme : uint { NoPreference = 0, Dark = 1, Light = 2 };

bool onWayland() {
    return QGuiApplication::platformName() == QStringLiteral("wayland");
}

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
struct Measured {
    QRgb background;
    double contrast;
};
Measured measure(const QImage& picture, const QRect& area) {
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[picture.pixel(x, y) | 0xff000000];
    const QRgb background = std::ranges::max_element(counts, {}, [](auto& c) { return c.second; })->first;
    double most = 1;
    for (const auto& [colour, count] : counts)
        most = std::max(most, contrast(colour, background));
    return {background, most};
}

// The screen as its display server shows it: on Wayland, the X server the
// compositor draws on, title bars and all.
QImage screen() {
    const QString display =
        onWayland() ? qEnvironmentVariable("EGGTIMER_COMPOSITOR_DISPLAY") : qEnvironmentVariable("DISPLAY");
    QProcess import;
    import.start(QStringLiteral("import"), {"-display", display, "-window", "root", "png:-"});
    import.waitForFinished();
    return QImage::fromData(import.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

// Where the window's inside lies on the screen, found by a piece of what the
// window itself draws (a Wayland client is not told where its window is);
// nothing while the screen does not show that yet.
std::optional<QPoint> findOnScreen(const QImage& shown, QWidget* window) {
    const QImage own = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect piece(2, 2, 60, 16); // the menu bar's first entry
    for (int y = 0; y + piece.bottom() < shown.height(); ++y) {
        for (int x = 0; x + piece.right() < shown.width(); ++x) {
            bool same = true;
            for (int dy = piece.top(); same && dy <= piece.bottom(); ++dy)
                for (int dx = piece.left(); same && dx <= piece.right(); ++dx)
                    same = shown.pixel(x + dx, y + dy) == own.pixel(dx, dy);
            if (same)
                return QPoint(x, y);
        }
    }
    return std::nullopt;
}

struct Seen {
    QImage shown;
    QPoint origin; // of the window's inside
    // A widget's area on the screen, less `inset` on every side.
    QRect areaOf(QWidget* widget, int inset = 0) const {
        return QRect(widget->mapTo(widget->window(), QPoint(0, 0)) + origin, widget->size())
            .adjusted(inset, inset, -inset, -inset);
    }
};

// Waits until the screen shows the window as it draws itself now.
Seen seen(App& app) {
    Seen found;
    const bool shown = app.waitFor(
        [&] {
            found.shown = screen();
            const std::optional<QPoint> origin = findOnScreen(found.shown, app.window());
            found.origin = origin.value_or(QPoint());
            return origin.has_value();
        },
        20);
    if (!shown)
        ADD_FAILURE() << "the window's own picture never showed on the screen";
    return found;
}

// Status line and START at 4.5:1 at least, the status area dark or light as
// asked, the checked radio button at 3:1, and the progress bar's groove at
// 1.5:1 against the status area, about as Qt's light style draws it.
void expectReadable(App& app, bool dark, const char* row) {
    const Seen look = seen(app);
    const Measured status = measure(look.shown, look.areaOf(app.find("statTimer")));
    const Measured start = measure(look.shown, look.areaOf(app.find("timerButton"), 3));
    const Measured bar = measure(look.shown, look.areaOf(app.find("timerProgress")).adjusted(0, -3, 0, 3));
    // The checked radio button's circle, left of its label.
    const QRect cell = look.areaOf(app.find("preset3Cell"));
    const Measured radio = measure(look.shown, cell.adjusted(0, 0, cell.height() - cell.width(), 0));
    std::printf(
        "%s, %s: status line %.1f:1 on %06x, START %.1f:1 on %06x, progress bar %.1f:1, radio %.1f:1\n", row,
        qPrintable(QGuiApplication::platformName()), status.contrast, status.background & 0xffffff,
        start.contrast, start.background & 0xffffff, bar.contrast, radio.contrast);
    EXPECT_EQ(luminance(status.background) < 0.1, dark) << row;
    EXPECT_GE(status.contrast, 4.5) << row;
    EXPECT_GE(start.contrast, 4.5) << row;
    EXPECT_GE(bar.contrast, 1.5) << row;
    EXPECT_GE(radio.contrast, 3) << row; // WCAG's least for a control's parts
}

struct Choice {
    const char* name;
    std::optional<uint> scheme; // none: no portal runs
    bool dark;
};

class DesktopStyleTest : public ::testing::TestWithParam<Choice> {
protected:
    void SetUp() override { QFile::remove(settingsFile()); }
};

TEST_P(DesktopStyleTest, TextsReadableAndControlsVisibleInTheStyleTheDesktopChose) {
    std::optional<StandInPortalSettings> portal;
    if (GetParam().scheme) {
        portal.emplace(StandInPortalSettings::Groups{{kAppearance, {{kScheme, *GetParam().scheme}}}});
        ASSERT_TRUE(portal->start());
    }
    App app;
    expectReadable(app, GetParam().dark, GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(, DesktopStyleTest,
                         ::testing::Values(Choice{"dark", Dark, true}, Choice{"light", Light, false},
                                           Choice{"no preference", NoPreference, false},
                                           Choice{"no portal", std::nullopt, false}),
                         [](const auto& row) {
                             std::string name = row.param.name;
                             std::ranges::replace(name, ' ', '_');
                             return name;
                         });

// While the program runs, the portal's change is followed both ways; the same
// signal from another program is not.
TEST(DesktopStyleChangeTest, FollowsThePortalsChangesWhileRunningAndNoOneElses) {
    QFile::remove(settingsFile());
    StandInPortalSettings portal({{kAppearance, {{kScheme, uint(Light)}}}});
    ASSERT_TRUE(portal.start());
    App app;
    StandInPortalSettings lookAlike({}, QStringLiteral("look-alike"));
    lookAlike.change(kAppearance, kScheme, uint(Dark));
    settleBus({lookAlike.bus});
    expectReadable(app, false, "light, a look-alike's dark");

    portal.change(kAppearance, kScheme, uint(Dark));
    ASSERT_TRUE(
        app.waitFor([] { return QGuiApplication::palette().color(QPalette::Window).lightness() < 128; }, 10));
    expectReadable(app, true, "changed to dark");
    portal.change(kAppearance, kScheme, uint(NoPreference));
    ASSERT_TRUE(
        app.waitFor([] { return QGuiApplication::palette().color(QPalette::Window).lightness() > 128; }, 10));
    expectReadable(app, false, "changed to no preference");
}

// The glyphs in the right third of the band above the window's inside where
// Qt's title bars draw their buttons, left to right, and the colour of the
// bar around them.
std::pair<QRgb, std::vector<QRect>> titleBarButtons(const Seen& look, int width) {
    const QRect band(look.origin.x() + width * 2 / 3, look.origin.y() - 26, width / 3, 20);
    const QRgb bar = measure(look.shown, band).background;
    std::vector<QRect> glyphs;
    int blank = 3;
    for (int x = band.left(); x <= band.right(); ++x) {
        QRect ink;
        for (int y = band.top(); y <= band.bottom(); ++y) {
            if (contrast(look.shown.pixel(x, y), bar) >= 3)
                ink |= QRect(x, y, 1, 1);
        }
        if (ink.isNull()) {
            ++blank;
        } else {
            if (blank >= 3)
                glyphs.emplace_back();
            glyphs.back() |= ink;
            blank = 0;
        }
    }
    return {bar, glyphs};
}

struct TitleBarRow {
    const char* name;
    std::optional<uint> scheme; // none: no portal runs
    QString layout;             // GNOME's button layout, served when not empty
};

class WaylandTitleBarTest : public ::testing::TestWithParam<TitleBarRow> {
protected:
    void SetUp() override { QFile::remove(settingsFile()); }
};

// Qt draws the title bar on Wayland: with minimize, maximize and close
// whether the portal tells a layout or not, dark where the desktop is, and the
// close button closes the window.
TEST_P(WaylandTitleBarTest, HasItsButtonsInTheDesktopsStyleAndTheCloseButtonCloses) {
    const TitleBarRow& row = GetParam();
    std::optional<StandInPortalSettings> portal;
    if (row.scheme) {
        StandInPortalSettings::Groups groups{{kAppearance, {{kScheme, *row.scheme}}}};
        if (!row.layout.isEmpty())
            groups[QStringLiteral("org.gnome.desktop.wm.preferences")][QStringLiteral("button-layout")] =
                row.layout;
        portal.emplace(groups);
        ASSERT_TRUE(portal->start());
    }
    App app;
    QRgb bar = 0;
    std::vector<QRect> buttons;
    const bool drawn = app.waitFor(
        [&] {
            std::tie(bar, buttons) = titleBarButtons(seen(app), app.window()->width());
            return buttons.size() == 3;
        },
        20);
    ASSERT_TRUE(drawn) << row.name << ": " << buttons.size() << " buttons on the title bar";
    EXPECT_EQ(luminance(bar) < 0.1, row.scheme == Dark) << row.name;

    // The compositor's pointer is that of the X server it draws on.
    const QPoint close = buttons.back().center();
    QProcess xdotool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), qEnvironmentVariable("EGGTIMER_COMPOSITOR_DISPLAY"));
    xdotool.setProcessEnvironment(environment);
    // From a corner, as a hand comes to the button: a window shown under a
    // pointer that has not moved gets no pointer of its own from mutter.
    xdotool.start(QStringLiteral("xdotool"),
                  {"mousemove", "--sync", "0", "0", "mousemove", "--sync", QString::number(close.x()),
                   QString::number(close.y()), "click", "1"});
    ASSERT_TRUE(xdotool.waitForFinished() && xdotool.exitCode() == 0);
    EXPECT_TRUE(app.waitFor([&] { return !app.window()->isVisible(); }, 10)) << row.name;
}

INSTANTIATE_TEST_SUITE_P(, WaylandTitleBarTest,
                         ::testing::Values(TitleBarRow{"no_portal", std::nullopt, {}},
                                           TitleBarRow{"dark_without_a_layout", Dark, {}},
                                           TitleBarRow{"dark_with_GNOMEs_layout", Dark,
                                                       QStringLiteral("appmenu:minimize,maximize,close")}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace eggtimer::test
