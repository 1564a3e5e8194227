// The application as a user meets it: the shipped window on the real
// platform, clicked and typed into, its status area read back.

#include "support/AppHarness.h"

#include <QWindow>

#include <gtest/gtest.h>

namespace eggtimer {
namespace {

class AppTest : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(settingsFile()); }
};

TEST_F(AppTest, OpensWithTheStatusAreaOfNoTimer) {
    App app;
    EXPECT_EQ(app.text("statTimer"), "Timer not set.");
    EXPECT_EQ(app.text("statSeconds"), "");
    EXPECT_EQ(app.text("statFireTime"), "fire at: ");
    EXPECT_TRUE(app.text("statFireTarget").startsWith("[Sound] "))
        << app.text("statFireTarget").toStdString();
    EXPECT_GT(app.find<QComboBox>("targetSoundPopup")->count(), 3); // the shipped sounds
    EXPECT_EQ(app.button(), "START");
}

// On the session's own display server, not through a stand-in: on a Wayland
// desktop that is Wayland itself, not XWayland.
TEST_F(AppTest, TheWindowIsShownOnTheSessionsDisplay) {
    App app;
    EXPECT_EQ(QGuiApplication::platformName(), qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
                                                   ? QStringLiteral("wayland")
                                                   : QStringLiteral("xcb"));
    QWindow* window = app.ui->window()->windowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isExposed());
    EXPECT_GE(window->width(), 400);
    EXPECT_GE(window->height(), 200);
}

TEST_F(AppTest, StartThenClearWithTheMouseAndTheKeyboard) {
    App app;
    app.click("timerButton");
    EXPECT_EQ(app.button(), "CLEAR");
    EXPECT_EQ(app.text("statTimer"), "Timer is running.");
    EXPECT_FALSE(app.find<QComboBox>("targetSoundPopup")->isEnabled());
    app.click("timerButton");
    EXPECT_EQ(app.button(), "START");
    EXPECT_EQ(app.text("statTimer"), "Timer not set.");
    EXPECT_TRUE(app.find<QComboBox>("targetSoundPopup")->isEnabled());

    QTest::keyClick(app.ui->window(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(app.button(), "CLEAR");
    QTest::keyClick(app.ui->window(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(app.button(), "START");
    EXPECT_EQ(app.master->status(), TimerStatusNotSet);
}

TEST_F(AppTest, ATwoSecondTimerThroughItsLife) {
    App app;
    app.chooseTab(1);
    app.typeInto("modeDhmDay", "");
    app.typeInto("modeDhmHour", "");
    app.typeInto("modeDhmMin", "0.0333334"); // two seconds
    app.click("timerButton");
    ASSERT_EQ(app.button(), "CLEAR");
    EXPECT_EQ(app.text("statTimer"), "Timer is running.");
    EXPECT_EQ(app.text("statSeconds"), "( 2 seconds after )");
    EXPECT_TRUE(app.text("statFireTime").startsWith("fire at: 20")) << app.text("statFireTime").toStdString();

    // The bounds are generous: a busy machine delivers ticks late, and how
    // late is the benchmarks' business. A late tick may already read 0.
    EXPECT_TRUE(app.waitFor([&] { return app.text("statSeconds") != "( 2 seconds after )"; }, 5));
    const QString counted = app.text("statSeconds");
    EXPECT_TRUE(counted == "( 1 seconds after )" || counted == "( 0 seconds after )")
        << counted.toStdString();
    EXPECT_TRUE(app.waitFor([&] { return app.button() == "STOP"; }, 5));
    EXPECT_EQ(app.master->status(), TimerStatusFiring);
    EXPECT_TRUE(app.waitFor([&] { return app.text("statTimer") == "Timer is firing."; }, 5));
    // Ticks after firing are counted, not measured: the first one reads 1.
    EXPECT_EQ(app.text("statSeconds"), "( 1 seconds has past )");
    EXPECT_TRUE(app.find<QComboBox>("targetSoundPopup")->isEnabled());

    app.click("timerButton");
    EXPECT_EQ(app.button(), "START");
    EXPECT_EQ(app.master->sound(), nullptr);
    const QString kept = app.text("statSeconds");
    QTest::qWait(1300);
    EXPECT_EQ(app.text("statSeconds"), kept);
}

TEST_F(AppTest, ChoicesMadeAtStartAreThereAtTheNextRun) {
    {
        App app;
        app.chooseTab(2);
        app.typeInto("modeAlcHour", "7");
        app.typeInto("modeAlcMin", "45");
        app.typeInto("modeDhmDay", "12345678.5 days, no limit");
        app.cell("modeAlcAMPMSelecter", 1, 0)->click();
        auto* popup = app.find<QComboBox>("targetSoundPopup");
        popup->setCurrentIndex(popup->count() - 1);
        app.typeInto("targetAlertMessage", "Tea is ready; 100% = done #1 [x]");
        app.click("timerButton");
        ASSERT_EQ(app.button(), "CLEAR");
        app.click("timerButton");
    }
    ASSERT_TRUE(QFile::exists(settingsFile()));
    App next;
    EXPECT_EQ(next.find<QTabWidget>("modeTab")->currentIndex(), 2);
    EXPECT_EQ(next.find<QLineEdit>("modeAlcHour")->text(), "7");
    EXPECT_EQ(next.find<QLineEdit>("modeAlcMin")->text(), "45");
    EXPECT_TRUE(next.cell("modeAlcAMPMSelecter", 1, 0)->isChecked());
    EXPECT_EQ(next.find<QLineEdit>("modeDhmDay")->text(), "12345678.5 days, no limit");
    EXPECT_EQ(next.find<QLineEdit>("targetAlertMessage")->text(), "Tea is ready; 100% = done #1 [x]");
    EXPECT_EQ(next.master->status(), TimerStatusNotSet);
    auto* popup = next.find<QComboBox>("targetSoundPopup");
    EXPECT_EQ(popup->currentIndex(), popup->count() - 1);
}

TEST_F(AppTest, AGarbledSettingsFileStillLetsTheTimerStart) {
    QDir().mkpath(QFileInfo(settingsFile()).path());
    QFile file(settingsFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x00\xff[General\nmode=1\n\x01\x02garbage=\"unterminated\n[", 40);
    file.close();
    App app;
    app.click("timerButton");
    EXPECT_EQ(app.button(), "CLEAR");
    EXPECT_EQ(app.master->status(), TimerStatusRunning);
}

} // namespace
} // namespace eggtimer
