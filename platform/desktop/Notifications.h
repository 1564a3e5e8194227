#pragma once
// Desktop notifications over the session bus (org.freedesktop.Notifications).
//
// Every call is asynchronous with a short timeout, so a missing bus, a missing
// notification service or a stuck one never holds up the window; such a
// failure is logged once. Each notification replaces the one shown before it,
// and only the latest one's action is honoured. The one shown is closed when
// it is withdrawn and when this object goes, before the program ends, also
// while its id is still on its way.

#include "platform/system/Log.h"

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <optional>

namespace eggtimer {

class Notifications : public QObject {
    Q_OBJECT
public:
    explicit Notifications(QObject* parent = nullptr);
    ~Notifications() override;

    // Shows a notification. With `stop` set it offers a "Stop" action, which
    // calls `stop` once, as long as no newer notification has been shown.
    void show(const QString& summary, const QString& body, std::function<void()> stop);
    // Closes the latest notification, also one still on its way, and lets go
    // of its action.
    void withdraw();

private Q_SLOTS:
    void actionInvoked(uint id, const QString& actionKey);
    void notificationClosed(uint id, uint reason);

private:
    struct Pending {
        QString summary;
        QString body;
        std::function<void()> stop;
    };

    bool ensureConnected();
    void askCapabilities();
    void sendLatest();
    void closeNotification(uint id);
    void unavailable(const QString& why);

    QDBusConnection bus;
    bool signalsConnected = false;
    std::optional<bool> bodyMarkup; // unknown until the server says
    bool askingCapabilities = false;

    unsigned generation = 0; // counts notifications asked for
    // Notify calls not yet answered, by the generation that sent them.
    std::map<unsigned, QDBusPendingCall> onTheirWay;
    std::optional<Pending> pending;
    uint shownId = 0; // the latest notification on screen, 0 for none
    std::function<void()> shownStop;
    LogOnce failure;
};

} // namespace eggtimer
