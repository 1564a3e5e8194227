// What a running timer keeps on the desktop, against stand-in desktop
// services on the session's private bus. The machine is kept awake: at most
// one inhibition is held, exactly while it is wanted, whatever order the
// answers come in and whichever service serves. Its progress is drawn on the
// launcher icon. What the controller asks for and when is tested in
// tests/unit.

#include "platform/desktop/QtDesktop.h"

#include "support/Wait.h"
#include "tests/support/CapturedStderr.h"
#include "tests/support/StandInServices.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace eggtimer::test {
namespace {

using namespace std::chrono_literals;
using State = TimerProgress::State;
using Drawn = StandInDock::Drawn;

class RunningTimer : public ::testing::Test {
protected:
    static bool eventually(const std::function<bool()>& done) { return test::waitUntil(done, 10s); }
    // Everything sent so far has been handled on both sides.
    static void settle(const QDBusConnection& service) {
        test::settleBus({QDBusConnection::sessionBus(), service});
    }

    QWidget window;
    std::unique_ptr<QtDesktop> desktop = std::make_unique<QtDesktop>([this] { return &window; });
};

TEST_F(RunningTimer, ThePortalInhibitsSuspendWhileWantedAndLateAnswersEndAsLastWished) {
    StandInPortal portal;
    ASSERT_TRUE(portal.start()) << "run through with-session.sh --dbus";
    desktop->keepAwake(true);
    ASSERT_TRUE(eventually([&] { return portal.held() == 1; }));
    EXPECT_EQ(portal.inhibitions[0].flags, 4u) << "suspend only: the screen may still blank";
    EXPECT_EQ(portal.inhibitions[0].reason, "A timer is running");
    desktop->keepAwake(true); // told again at every tick
    desktop->keepAwake(false);
    EXPECT_TRUE(eventually([&] { return portal.held() == 0; }));

    // A START-CLEAR-START-CLEAR burst answered after it: nothing is left.
    portal.holdAnswers = true;
    for (bool wish : {true, false, true, false})
        desktop->keepAwake(wish);
    ASSERT_TRUE(eventually([&] { return portal.inhibitions.size() == 2; }));
    portal.answerLate();
    settle(portal.bus);
    EXPECT_TRUE(eventually([&] { return portal.held() == 0; })) << "an inhibition left behind";
    // START-CLEAR-START: exactly one.
    for (bool wish : {true, false, true})
        desktop->keepAwake(wish);
    ASSERT_TRUE(eventually([&] { return portal.inhibitions.size() == 3; }));
    portal.answerLate();
    settle(portal.bus);
    EXPECT_TRUE(eventually([&] { return portal.held() == 1; }));
    settle(portal.bus);
    EXPECT_EQ(portal.inhibitions.size(), 3u) << "asked twice for one timer";

    // The program ends: given back before it goes.
    desktop.reset();
    settle(portal.bus);
    EXPECT_EQ(portal.held(), 0);
}

TEST_F(RunningTimer, APortalThatRestartsIsAskedAgain) {
    auto portal = std::make_unique<StandInPortal>();
    ASSERT_TRUE(portal->start());
    desktop->keepAwake(true);
    ASSERT_TRUE(eventually([&] { return portal->held() == 1; }));
    portal.reset(); // it ends, and its inhibitions with it
    StandInPortal restarted;
    ASSERT_TRUE(restarted.start());
    EXPECT_TRUE(eventually([&] { return restarted.held() == 1; })) << "none held while the timer runs";
    settle(restarted.bus);
    EXPECT_EQ(restarted.inhibitions.size(), 1u);
    desktop->keepAwake(false);
    EXPECT_TRUE(eventually([&] { return restarted.held() == 0; }));
}

TEST_F(RunningTimer, WithoutAPortalThePowerManagerIsAsked) {
    StandInPowerManager power;
    ASSERT_TRUE(power.start());
    desktop->keepAwake(true);
    ASSERT_TRUE(eventually([&] { return power.held.size() == 1; }));
    EXPECT_EQ(power.reasons.front(), "A timer is running");
    desktop->keepAwake(false);
    EXPECT_TRUE(eventually([&] { return power.held.empty(); }));
    desktop->keepAwake(true);
    ASSERT_TRUE(eventually([&] { return power.held.size() == 1; }));
    settle(power.bus); // granted, as far as the program knows
    desktop.reset();
    settle(power.bus);
    EXPECT_TRUE(power.held.empty()) << "left held as the program ended";
}

TEST_F(RunningTimer, WithNoServiceItIsOneLineInTheLog) {
    test::CapturedStderr captured;
    for (bool wish : {true, false, true})
        desktop->keepAwake(wish);
    ASSERT_TRUE(eventually([&] { return captured.lines() > 0; }));
    for (bool wish : {false, true, false, true})
        desktop->keepAwake(wish);
    settle(QDBusConnection::sessionBus());
    test::serveEventsFor(200ms);
    EXPECT_EQ(captured.lines(), 1) << captured.text();
    EXPECT_NE(captured.text().find("keeping the machine awake"), std::string::npos) << captured.text();
}

TEST_F(RunningTimer, TheLauncherIconShowsTheBarAndMinutesWhileRunningAndAttentionWhileFiring) {
    StandInDock dock(QStringLiteral("application://") + QGuiApplication::desktopFileName() +
                     QStringLiteral(".desktop"));
    ASSERT_TRUE(dock.start()) << "run through with-session.sh --dbus";
    const auto show = [&](const TimerProgress& progress) {
        desktop->showProgress(progress);
        settle(dock.bus);
    };

    show({State::Running, 0.0, 3});
    show({State::Running, 0.004, 3}); // too little to see
    show({State::Running, 0.5, 2});
    show({State::Running, 0.995, 1});
    show({State::Running, 1.0, 1}); // a full bar must not stop at 99%
    show({State::Firing, 0.0, 0});
    show({State::Idle, 0.0, 0});
    EXPECT_EQ(dock.drawn, (std::vector<Drawn>{{true, 0.0, true, 3, false},
                                              {true, 0.5, true, 2, false},
                                              {true, 0.995, true, 1, false},
                                              {true, 1.0, true, 1, false},
                                              {false, 0.0, false, 0, true},
                                              StandInDock::kNothing}));

    // The program ends while a timer runs: no bar is left on the icon.
    show({State::Running, 0.25, 1});
    desktop.reset();
    settle(dock.bus);
    EXPECT_EQ(dock.drawn.back(), StandInDock::kNothing) << "a bar left at quitting";
    EXPECT_EQ(dock.strangers, 0) << "signals for another desktop entry";
}

} // namespace
} // namespace eggtimer::test
