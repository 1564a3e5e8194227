#pragma once
// What the program keeps on the desktop around its window, on Qt and the
// session bus: attention as a window alert plus a desktop notification, the
// window brought back when it was closed, the timer's progress on the
// launcher icon, and the machine kept awake.
// What it shows on the desktop it takes back when it goes, giving the bus a
// bounded time.

#include "platform/Attention.h"
#include "platform/Progress.h"

#include <functional>
#include <memory>

#include <QString>

class QWidget;

namespace eggtimer {

class LauncherEntry;
class Notifications;
class SleepInhibitor;

class QtDesktop final : public Attention, public DesktopProgress {
public:
    // `mainWindow` gives the window that asks for attention (nothing before
    // it exists).
    explicit QtDesktop(std::function<QWidget*()> mainWindow);
    ~QtDesktop() override;

    void requestUserAttention(const std::string& whatFired, std::function<void()> stop) override;
    void withdrawAttention() override;
    void bringWindowForward() override;
    void showProgress(const TimerProgress& progress) override;
    void keepAwake(bool awake) override;

    // A notice that the program goes on with its window closed; its action
    // (and a click on it) brings the window back. Withdrawn by
    // withdrawBackgroundNotice and when the program ends.
    void showBackgroundNotice(const QString& body);
    void withdrawBackgroundNotice();

private:
    std::function<QWidget*()> mainWindow;
    std::unique_ptr<Notifications> notifications;    // made at the first attention request
    std::unique_ptr<Notifications> backgroundNotice; // made when first shown
    std::unique_ptr<LauncherEntry> launcherEntry;    // made at the first progress shown
    std::unique_ptr<SleepInhibitor> sleepInhibitor;  // made when first wanted
};

} // namespace eggtimer
