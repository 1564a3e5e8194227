#pragma once
// Keeps the machine from suspending for idleness while that is wanted, through
// a desktop service on the session bus: the desktop portal's Inhibit
// (org.freedesktop.portal.Inhibit, flag 4, served by GNOME, KDE Plasma and
// others, in and out of a sandbox), or else
// org.freedesktop.PowerManagement.Inhibit (Xfce, older Plasma). The screen may
// still blank and lock, and a suspend the user asks for still happens.
//
// Every call is asynchronous; whatever order the answers come in, at most one
// inhibition is held, and none once it is no longer wanted: one granted after
// that is given back at once. A service that goes away or is replaced takes
// its inhibition with it, and a new one is asked for while it is wanted. When
// no service grants one, that is logged once and nothing else changes. The
// destructor gives back what is held, waiting a bounded time for the bus to
// pass that on; one still being granted the service gives back itself as the
// program's bus connection closes.

#include "platform/system/Log.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>

#include <optional>

namespace eggtimer {

class SleepInhibitor : public QObject {
    Q_OBJECT
public:
    explicit SleepInhibitor(QObject* parent = nullptr);
    ~SleepInhibitor() override;
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;

    // Asks for an inhibition, or gives it back; repeating the last wish does
    // nothing.
    void hold(bool wanted);
    // Gives back what is held without waiting, and asks for nothing more;
    // true when that sent anything.
    bool takeBack();

private:
    enum class Service { Portal, PowerManagement };
    // An inhibition granted: the portal's request handle, or the power
    // manager's cookie.
    struct Inhibition {
        Service service;
        QString handle;
        uint cookie = 0;
    };

    void ask(Service service);
    void answered(Service service, const QDBusMessage& reply);
    void granted(const Inhibition& inhibition);
    void refused(Service service, const QString& why);
    void giveBack(const Inhibition& inhibition);
    static QDBusMessage giveBackCall(const Inhibition& inhibition);
    void serviceReplaced(const QString& service, const QString& oldOwner, const QString& newOwner);

    QDBusConnection bus;
    QDBusServiceWatcher services;
    bool wanted = false;
    bool asking = false;
    // A service came or went while asking: if nothing is granted, ask anew.
    bool askAgain = false;
    std::optional<Inhibition> held;
    QString portalRefusal; // why the portal refused, for the one log line
    LogOnce failure;
};

} // namespace eggtimer
