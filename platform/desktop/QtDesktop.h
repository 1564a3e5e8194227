#pragma once
// The desktop's services on Qt: the log, the alert panel and the open-file
// dialog as modal Qt dialogs, files opened with their default application
// through GIO (never through a shell), attention as a window alert plus a
// desktop notification, the window brought back when it was closed, the
// timer's progress in the window's indicator and on the launcher icon, and
// the machine kept awake through the session bus. What it shows on the
// desktop it takes back when it goes, giving the bus a bounded time.

#include "platform/Desktop.h"

#include <functional>
#include <memory>

#include <QString>

class QWidget;

namespace eggtimer {

class LauncherEntry;
class Notifications;
class SleepInhibitor;

class QtDesktop final : public Desktop {
public:
    // `mainWindow` gives the window that dialogs belong to and that asks for
    // attention (nothing before it exists); `beep` sounds the beep.
    QtDesktop(std::function<QWidget*()> mainWindow, std::function<void()> beep);
    ~QtDesktop() override;

    void beep() override;
    void log(const std::string& line) override;
    void requestUserAttention(const std::string& whatFired, std::function<void()> stop) override;
    void withdrawAttention() override;
    void bringWindowForward() override;
    void showProgress(const TimerProgress& progress) override;
    void keepAwake(bool awake) override;
    bool openFile(const std::string& path) override;
    void runAlertPanel(const std::string& title, const std::string& message,
                       const std::string& button) override;
    std::optional<std::string> runOpenPanel(const std::string& title,
                                            const std::vector<std::string>* extensions) override;

    // A notice that the program goes on with its window closed; its action
    // (and a click on it) brings the window back. Withdrawn by
    // withdrawBackgroundNotice and when the program ends.
    void showBackgroundNotice(const QString& body);
    void withdrawBackgroundNotice();

private:
    std::function<QWidget*()> mainWindow;
    std::function<void()> beepSound;
    std::unique_ptr<Notifications> notifications;    // made at the first attention request
    std::unique_ptr<Notifications> backgroundNotice; // made when first shown
    std::unique_ptr<LauncherEntry> launcherEntry;    // made at the first progress shown
    std::unique_ptr<SleepInhibitor> sleepInhibitor;  // made when first wanted
};

} // namespace eggtimer
