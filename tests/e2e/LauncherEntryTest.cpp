// The timer's progress, as a dock on the session bus receives it (a listener
// of its own records the launcher-entry signals of a short timer through
// START, the firing of a sound, STOP, CLEAR and quitting) and as the window's
// indicator shows it.

#include "support/AppHarness.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QProgressBar>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <ostream>

namespace eggtimer {
namespace {

const QString kAppUri = QStringLiteral("application://" EGGTIMER_APP_ID ".desktop");

// What a dock draws, from one Update signal.
struct Drawn {
    bool progressVisible = false;
    double progress = 0.0;
    bool countVisible = false;
    qint64 count = 0;
    bool urgent = false;
    bool operator==(const Drawn&) const = default;
};

void PrintTo(const Drawn& d, std::ostream* out) {
    *out << "{progress " << (d.progressVisible ? "shown " : "hidden ") << d.progress << ", count "
         << (d.countVisible ? "shown " : "hidden ") << d.count << (d.urgent ? ", urgent}" : "}");
}

class Dock : public QObject {
    Q_OBJECT
public:
    Dock()
        : bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("dock"))) {}
    ~Dock() override { QDBusConnection::disconnectFromBus(QStringLiteral("dock")); }
    bool listen() {
        return bus.connect({}, {}, QStringLiteral("com.canonical.Unity.LauncherEntry"),
                           QStringLiteral("Update"), this, SLOT(update(QDBusMessage)));
    }
    std::vector<Drawn> drawn;
    QStringList uris;

private Q_SLOTS:
    void update(const QDBusMessage& message) {
        const QList<QVariant> arguments = message.arguments();
        if (arguments.size() != 2)
            return;
        uris << arguments[0].toString();
        const QVariantMap properties = qdbus_cast<QVariantMap>(arguments[1]);
        drawn.push_back(Drawn{properties.value("progress-visible").toBool(),
                              properties.value("progress").toDouble(),
                              properties.value("count-visible").toBool(),
                              properties.value("count").toLongLong(), properties.value("urgent").toBool()});
    }

private:
    QDBusConnection bus;
};

const Drawn kNothing{};

// The window's indicator as assistive technology reads it: a progress bar and
// its value, in hundredths passed.
int indicatorValue(App& app) {
    QAccessibleInterface* indicator =
        QAccessible::queryAccessibleInterface(app.find<QProgressBar>("timerProgress"));
    if (!indicator || indicator->role() != QAccessible::ProgressBar || !indicator->valueInterface())
        return -1;
    return indicator->valueInterface()->currentValue().toInt();
}

TEST(LauncherEntryTest, ADockDrawsTheTimersProgressUntilItFiresAndAttentionUntilStop) {
    Dock dock;
    ASSERT_TRUE(dock.listen()) << "no session bus";
    // Three seconds: two ticks between START and the firing.
    writeSettings({{"mode", 1}, {"targetSelecter", 0}, {"targetSound", "WoodTick"}, {"modeDhmMin", "0.05"}});
    auto app = std::make_unique<App>();
    app->waitFor([] { return false; }, 0.5);
    EXPECT_TRUE(dock.drawn.empty()) << "signals at rest";

    app->click("timerButton");
    ASSERT_TRUE(app->waitFor([&] { return !dock.drawn.empty(); }, 2)) << "nothing at START";
    // The bar starts empty, but for what the clock ran while START worked.
    Drawn first = dock.drawn.front();
    EXPECT_LT(first.progress, 0.01);
    first.progress = 0.0;
    EXPECT_EQ(first, (Drawn{true, 0.0, true, 1, false}));
    ASSERT_TRUE(app->waitFor([&] { return dock.drawn.size() >= 2; }, 3)) << "no tick after START";
    EXPECT_GT(indicatorValue(*app), 0);
    ASSERT_TRUE(app->waitFor([&] { return app->button() == "STOP"; }, 6));
    EXPECT_EQ(indicatorValue(*app), 0) << "the window's indicator is not empty while firing";
    ASSERT_TRUE(app->waitFor([&] { return dock.drawn.back().urgent; }, 2));
    EXPECT_EQ(dock.drawn.back(), (Drawn{false, 0.0, false, 0, true}));
    // Between them, the bar grew with the ticks and the badge kept its minute.
    const std::vector<Drawn> counting(dock.drawn.begin() + 1, dock.drawn.end() - 1);
    ASSERT_GE(counting.size(), 2u);
    for (std::size_t i = 0; i < counting.size(); ++i) {
        EXPECT_TRUE(counting[i].progressVisible && counting[i].countVisible);
        EXPECT_EQ(counting[i].count, 1);
        EXPECT_GT(counting[i].progress, i == 0 ? 0.0 : counting[i - 1].progress);
        EXPECT_LE(counting[i].progress, 1.0);
    }

    app->click("timerButton"); // STOP
    ASSERT_TRUE(app->waitFor([&] { return dock.drawn.back() == kNothing; }, 2)) << "still urgent after STOP";

    app->click("timerButton"); // START
    ASSERT_TRUE(app->waitFor([&] { return dock.drawn.back().progressVisible; }, 2));
    app->click("timerButton"); // CLEAR
    ASSERT_TRUE(app->waitFor([&] { return dock.drawn.back() == kNothing; }, 2)) << "still shown after CLEAR";
    const std::size_t received = dock.drawn.size();
    app->waitFor([] { return false; }, 1.5);
    EXPECT_EQ(dock.drawn.size(), received) << "signals at rest";

    // Quitting while a timer runs leaves no bar on the icon.
    app->click("timerButton");
    ASSERT_TRUE(app->waitFor([&] { return dock.drawn.back().progressVisible; }, 2));
    app.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dock.drawn.back() == kNothing; }, 2000))
        << "a bar left at quitting";

    for (const QString& uri : dock.uris)
        EXPECT_EQ(uri, kAppUri);
}

} // namespace
} // namespace eggtimer

#include "LauncherEntryTest.moc"
