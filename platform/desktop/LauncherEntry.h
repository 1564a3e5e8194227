#pragma once
// The timer's progress on the application's launcher icon. Docks and task
// managers (KDE Plasma's, Dash to Dock, Ubuntu Dock, Plank, Latte) draw a
// progress bar, a count badge and an urgent mark on the icon of the desktop
// entry named in a launcher-entry signal (com.canonical.Unity.LauncherEntry,
// Update) on the session bus.
//
// A signal goes out only when what a dock draws changes: the bar by at least
// a hundredth, the badge's number, or what is visible. Without a session bus
// nothing is sent and that is logged once.

#include "platform/Progress.h"
#include "platform/system/Log.h"

#include <QDBusConnection>
#include <QString>

namespace eggtimer {

class LauncherEntry {
public:
    // What a dock draws on the icon.
    struct Shown {
        bool progressVisible = false;
        double progress = 0.0;
        bool countVisible = false;
        long count = 0;
        bool urgent = false;
    };
    // While running: the bar and the minutes left; firing: urgent alone.
    static Shown shownFor(const TimerProgress& progress);
    // Whether a dock showing `before` would draw `after` any differently.
    static bool differsVisibly(const Shown& before, const Shown& after);

    // For the desktop entry `desktopFileId` ("name.desktop").
    explicit LauncherEntry(const QString& desktopFileId);
    // Hides what it shows, so that a quitting timer leaves no bar behind,
    // waiting a bounded time for the bus to pass that on.
    ~LauncherEntry();
    LauncherEntry(const LauncherEntry&) = delete;
    LauncherEntry& operator=(const LauncherEntry&) = delete;

    void show(const TimerProgress& progress);
    // Hides what it shows without waiting; true when that sent anything.
    bool takeBack();

private:
    bool send(const Shown& shown);

    QDBusConnection bus;
    QString appUri;
    Shown current;
    LogOnce failure;
};

} // namespace eggtimer
