#pragma once
// Desktop notifications over the session bus (org.freedesktop.Notifications).
//
// Nothing here waits on the bus while the program runs: every call is
// asynchronous with a time-out, and the server's signals are taken only from
// the connection that owns its name (ServiceOwner; matching on the service's
// name in the connection would make Qt ask the bus for the owner, and wait). A missing bus, a missing
// notification service or a stuck one costs only the notification; such a
// failure is logged once. Each notification replaces the one shown before it,
// and only the latest one's actions are honoured. The one shown is closed
// when it is withdrawn and when the program ends (takeBack), also one whose
// id is still on its way, within a bounded time.

#include "platform/desktop/SessionBus.h"
#include "platform/system/Log.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace eggtimer {

class Notifications : public QObject {
    Q_OBJECT
public:
    // An action offered with a notification. "default" is the one a click
    // on the notification itself invokes. `run` is given the activation
    // token the server sent with it, empty when none came.
    struct Action {
        QString key;
        QString label;
        std::function<void(const QString& activationToken)> run;
    };

    explicit Notifications(QObject* parent = nullptr);
    // Takes back what it shows, waiting at most a second for the bus.
    ~Notifications() override;

    // Shows a notification; each action runs at most once, as long as no
    // newer notification has been shown.
    void show(const QString& summary, const QString& body, std::vector<Action> actions);
    // Closes the latest notification, also one still on its way, and lets go
    // of its actions.
    void withdraw();
    // As the program ends: closes the notification shown and, for one whose
    // id has not come yet, waits for it until `deadline`. Sends without
    // waiting for the bus to pass the closing on (waitUntilSent does).
    void takeBack(Deadline deadline);

private Q_SLOTS:
    void actionInvoked(uint id, const QString& actionKey, const QDBusMessage& message);
    void activationToken(uint id, const QString& token, const QDBusMessage& message);
    void notificationClosed(uint id, uint reason, const QDBusMessage& message);

private:
    struct Pending {
        QString summary;
        QString body;
        std::vector<Action> actions;
    };

    bool connected();
    bool fromServer(const QDBusMessage& message) const;
    void askCapabilities();
    void sendLatest();
    void closeNotification(uint id);
    void unavailable(const QString& why);

    QDBusConnection bus;
    ServiceOwner* server = nullptr; // only its signals count
    std::optional<bool> bodyMarkup; // unknown until the server says
    bool askingCapabilities = false;

    unsigned generation = 0; // counts notifications asked for
    // Notify calls not yet answered, by the generation that sent them.
    std::map<unsigned, QDBusPendingCall> onTheirWay;
    std::optional<Pending> pending;
    uint shownId = 0; // the latest notification on screen, 0 for none
    std::vector<Action> shownActions;
    // Tokens the server sent ahead of an action, by notification.
    std::map<uint, QString> tokens;
    bool takenBack = false;
    LogOnce failure;
};

} // namespace eggtimer
