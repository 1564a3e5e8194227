#include "platform/desktop/QtDesktop.h"
#include "platform/system/AppIdentity.h"

#include "platform/desktop/LauncherEntry.h"
#include "platform/desktop/Notifications.h"
#include "platform/desktop/SessionBus.h"
#include "platform/desktop/SleepInhibitor.h"
#include "platform/desktop/WindowPresence.h"
#include "platform/system/LongText.h"
#include "platform/system/Utf8.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>

namespace eggtimer {
namespace {

// How much of what fired a desktop notification tells.
constexpr qsizetype kLongestNotice = 500;

} // namespace

QtDesktop::QtDesktop(std::function<QWidget*()> mainWindow)
    : mainWindow(std::move(mainWindow)) {}

QtDesktop::~QtDesktop() {
    // One deadline for all: each takes back what it shows without waiting,
    // then the bus is given the rest of the time to pass it on.
    const Deadline deadline = std::chrono::steady_clock::now() + kTakeBackLimit;
    bool sent = false;
    for (Notifications* notices : {notifications.get(), backgroundNotice.get()})
        if (notices) {
            notices->takeBack(deadline);
            sent = true;
        }
    if (launcherEntry)
        sent = launcherEntry->takeBack() || sent;
    if (sleepInhibitor)
        sent = sleepInhibitor->takeBack() || sent;
    if (sent)
        waitUntilSent(QDBusConnection::sessionBus(), deadline);
}

void QtDesktop::requestUserAttention(const std::string& whatFired, std::function<void()> stop) {
    // Marks the window on X; Qt 6.4's Wayland platform does nothing for it,
    // so there the notification is all the user gets.
    if (QWidget* window = mainWindow ? mainWindow() : nullptr)
        QApplication::alert(window, 0);
    if (!notifications)
        notifications = std::make_unique<Notifications>();
    // A notice of a few lines: a message of megabytes would be the server's
    // to lay out, and the alert panel shows it whole.
    std::vector<Notifications::Action> actions;
    if (stop)
        actions.push_back({QStringLiteral("stop"), QObject::tr("Stop"),
                           [stop = std::move(stop)](const QString&) { stop(); }});
    notifications->show(QString::fromLatin1(programName()),
                        QObject::tr("Time has come: ") + cutWithEllipsis(fromUtf8(whatFired), kLongestNotice),
                        std::move(actions));
}

void QtDesktop::bringWindowForward() {
    QWidget* window = mainWindow ? mainWindow() : nullptr;
    if (window != nullptr && window->isHidden())
        presentWindow(window, {});
}

void QtDesktop::showBackgroundNotice(const QString& body) {
    if (!backgroundNotice)
        backgroundNotice = std::make_unique<Notifications>();
    const auto bringBack = [this](const QString& token) {
        presentWindow(mainWindow ? mainWindow() : nullptr, token);
    };
    backgroundNotice->show(QString::fromLatin1(programName()), body,
                           {{QStringLiteral("default"), QObject::tr("Show the timer"), bringBack},
                            {QStringLiteral("show"), QObject::tr("Show"), bringBack}});
}

void QtDesktop::withdrawBackgroundNotice() {
    if (backgroundNotice)
        backgroundNotice->withdraw();
}

void QtDesktop::withdrawAttention() {
    if (notifications)
        notifications->withdraw();
}

void QtDesktop::showProgress(const TimerProgress& progress) {
    if (!launcherEntry)
        launcherEntry =
            std::make_unique<LauncherEntry>(QGuiApplication::desktopFileName() + QStringLiteral(".desktop"));
    launcherEntry->show(progress);
}

void QtDesktop::keepAwake(bool awake) {
    if (!sleepInhibitor && !awake)
        return;
    if (!sleepInhibitor)
        sleepInhibitor = std::make_unique<SleepInhibitor>();
    sleepInhibitor->hold(awake);
}

} // namespace eggtimer
