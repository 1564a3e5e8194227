// The timer's progress, as a dock on the session bus receives it (a listener
// of its own records the launcher-entry signals of a short timer through
// START, the firing of a sound, STOP and quitting) and as the window's
// indicator shows it. That CLEAR, as STOP, shows nothing is the controller's
// business (tests/unit).

#include "support/AppHarness.h"
#include "tests/support/StandInServices.h"

#include <QProgressBar>

#include <gtest/gtest.h>

#include <tuple>

namespace eggtimer::test {
namespace {

const QString kAppUri = QStringLiteral("application://" EGGTIMER_APP_ID ".desktop");
using Drawn = test::StandInDock::Drawn;
constexpr Drawn kNothing = test::StandInDock::kNothing;

TEST(LauncherEntryTest, ADockDrawsTheTimersProgressUntilItFiresAndAttentionUntilStop) {
    test::StandInDock dock(kAppUri);
    ASSERT_TRUE(dock.start()) << "no session bus";
    // Three seconds: two ticks between START and the firing.
    writeSettings({{"mode", 1}, {"targetSelecter", 0}, {"targetSound", "WoodTick"}, {"modeDhmMin", "0.05"}});
    auto app = std::make_unique<App>();
    app->click("timerButton");
    ASSERT_TRUE(app->waitFor([&] { return !dock.drawn.empty(); }, 10)) << "nothing at START";
    // The bar starts empty, but for what the clock ran while START worked,
    // on a busy machine up to a tenth of these three seconds.
    const Drawn first = dock.drawn.front();
    EXPECT_EQ(first, (Drawn{true, std::get<1>(first), true, 1, false}));
    EXPECT_LT(std::get<1>(first), 0.1);
    ASSERT_TRUE(app->waitFor([&] { return dock.drawn.size() >= 2; }, 10)) << "no tick after START";
    EXPECT_GT(app->find<QProgressBar>("timerProgress")->value(), 0);
    ASSERT_TRUE(app->waitFor([&] { return app->button() == "STOP"; }, 10));
    EXPECT_EQ(app->find<QProgressBar>("timerProgress")->value(), 0)
        << "the window's indicator is not empty while firing";
    ASSERT_TRUE(app->waitFor([&] { return std::get<4>(dock.drawn.back()); }, 10));
    EXPECT_EQ(dock.drawn.back(), (Drawn{false, 0.0, false, 0, true}));
    // Between them, the bar grew with the ticks and the badge kept its minute.
    const std::vector<Drawn> counting(dock.drawn.begin() + 1, dock.drawn.end() - 1);
    ASSERT_GE(counting.size(), 2u);
    for (std::size_t i = 0; i < counting.size(); ++i) {
        const double progress = std::get<1>(counting[i]);
        EXPECT_EQ(counting[i], (Drawn{true, progress, true, 1, false}));
        EXPECT_GT(progress, i == 0 ? 0.0 : std::get<1>(counting[i - 1]));
        EXPECT_LE(progress, 1.0);
    }

    app->click("timerButton"); // STOP
    ASSERT_TRUE(app->waitFor([&] { return dock.drawn.back() == kNothing; }, 10)) << "still urgent after STOP";

    // Quitting while a timer runs leaves no bar on the icon.
    app->click("timerButton");
    ASSERT_TRUE(app->waitFor([&] { return std::get<0>(dock.drawn.back()); }, 10));
    app.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dock.drawn.back() == kNothing; }, 10000))
        << "a bar left at quitting";
    EXPECT_EQ(dock.strangers, 0) << "signals for another desktop entry";
}

} // namespace
} // namespace eggtimer::test
