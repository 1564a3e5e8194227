// Launcher-entry signals a dock receives over a ten-minute countdown: the
// controller's progress reports, on a virtual clock, shown through the real
// launcher entry on the session bus and counted by a listener of its own.
//   launcher_signals [minutes=10]

#include "controller/KRMaster.h"
#include "platform/desktop/LauncherEntry.h"
#include "support/fake/FakeServices.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QObject>

#include <cstdio>
#include <cstdlib>

namespace {

class Counter : public QObject {
    Q_OBJECT
public:
    long received = 0;
public Q_SLOTS:
    void update(const QDBusMessage&) { ++received; }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 10;
    QDBusConnection listener =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("dock"));
    Counter counter;
    if (!listener.connect({}, {}, QStringLiteral("com.canonical.Unity.LauncherEntry"),
                          QStringLiteral("Update"), &counter, SLOT(update(QDBusMessage)))) {
        std::fprintf(stderr, "launcher_signals: no session bus\n");
        return 1;
    }

    eggtimer::fake::FakeWorld world;
    eggtimer::KRMaster master(world.services(), world.window.outlets());
    master.awakeFromNib();
    world.window.modeTab.index = 1;
    world.window.modeDhmMin.text = std::to_string(minutes);
    world.window.targetSoundPopup.addItemWithTitle("Chime");
    world.sounds.add("Chime");
    eggtimer::LauncherEntry entry(QStringLiteral("io.github.eggtimer.EggTimer.desktop"));
    std::size_t forwarded = 0;
    const auto forward = [&] {
        for (; forwarded < world.progress.shown.size(); ++forwarded)
            entry.show(world.progress.shown[forwarded]);
    };
    master.startStopButton(&world.window.timerButton);
    for (int second = 0; second < minutes * 60; ++second) {
        world.runLoop.advanceBy(1.0);
        forward();
    }
    // The timer has fired its (silent) sound; STOP ends it.
    master.startStopButton(&world.window.timerButton);
    forward();

    // Until the listener has heard all there is to hear.
    QElapsedTimer quiet;
    long heard = -1;
    while (heard != counter.received || quiet.elapsed() < 500) {
        if (heard != counter.received) {
            heard = counter.received;
            quiet.restart();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    std::printf("launcher-entry signals over a %d-minute countdown, its firing and STOP: %ld "
                "(from %zu progress reports)\n",
                minutes, counter.received, forwarded);
    return 0;
}

#include "launcher_signals.moc"
