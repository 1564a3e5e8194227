#include "platform/desktop/Notifications.h"
#include "platform/system/AppIdentity.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPalette>
#include <QTimer>
#include <QVariantMap>

#include <algorithm>
#include <utility>

namespace eggtimer {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
constexpr int kCallTimeoutMs = 3000;

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

// Servers that announce "body-markup" read the body as a small subset of
// HTML; the user's text must be shown as typed.
QString escapedMarkup(const QString& text) {
    return text.toHtmlEscaped();
}

// The program's symbolic icon in the style its window shows, which follows
// the desktop's: drawn light for a dark style. Servers that draw symbolic
// icons in their own colours take either.
QString iconFor(const QString& entry) {
    if (entry.isEmpty())
        return {};
    const QPalette palette = QGuiApplication::palette();
    const bool dark =
        palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness();
    return entry + (dark ? QStringLiteral("-dark-symbolic") : QStringLiteral("-symbolic"));
}

} // namespace

Notifications::Notifications(QObject* parent)
    : QObject(parent)
    , bus(QDBusConnection::sessionBus()) {
    if (!bus.isConnected())
        return;
    server = new ServiceOwner(kService, bus, this);
    // No service name: the signals are matched on the sender by hand.
    bus.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString, QDBusMessage)));
    bus.connect(QString(), kPath, kInterface, QStringLiteral("ActivationToken"), this,
                SLOT(activationToken(uint, QString, QDBusMessage)));
    bus.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint, QDBusMessage)));
}

Notifications::~Notifications() {
    if (takenBack)
        return;
    const Deadline deadline = std::chrono::steady_clock::now() + kTakeBackLimit;
    takeBack(deadline);
    waitUntilSent(bus, deadline);
}

bool Notifications::connected() {
    if (bus.isConnected())
        return true;
    unavailable(QStringLiteral("no session bus"));
    return false;
}

bool Notifications::fromServer(const QDBusMessage& message) const {
    return server != nullptr && server->sent(message);
}

void Notifications::show(const QString& summary, const QString& body, std::vector<Action> actions) {
    ++generation;
    // A newer notification takes the place of any older one, and so do its actions.
    shownActions.clear();
    pending = Pending{summary, body, std::move(actions)};
    if (!connected())
        return;
    if (bodyMarkup)
        sendLatest();
    else
        askCapabilities();
}

void Notifications::withdraw() {
    ++generation; // one still on its way is closed as its id comes
    pending.reset();
    shownActions.clear();
    if (shownId != 0)
        closeNotification(shownId);
    shownId = 0;
}

void Notifications::takeBack(Deadline deadline) {
    takenBack = true;
    std::vector<uint> left;
    if (shownId != 0)
        left.push_back(shownId);
    // Shown, but their ids not yet known: waited for until the deadline. The
    // list is taken out first: an answer handled in the wait below finds its
    // entry gone and leaves the closing to this loop.
    const auto waitingFor = std::exchange(onTheirWay, {});
    for (const auto& [number, notify] : waitingFor) {
        QDBusPendingCallWatcher waiting(notify);
        const int limit = millisecondsUntil(deadline);
        if (limit > 0 && !waiting.isFinished()) {
            QEventLoop loop;
            QTimer::singleShot(limit, &loop, &QEventLoop::quit);
            connect(&waiting, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
        const QDBusPendingReply<uint> reply = notify;
        if (reply.isFinished() && reply.isValid() && reply.value() != shownId)
            left.push_back(reply.value());
    }
    for (const uint id : left) {
        QDBusMessage message = call(QStringLiteral("CloseNotification"));
        message << id;
        bus.send(message);
    }
    shownId = 0;
    shownActions.clear();
}

void Notifications::askCapabilities() {
    if (askingCapabilities)
        return;
    askingCapabilities = true;
    auto* watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(call(QStringLiteral("GetCapabilities")), kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        askingCapabilities = false;
        const QDBusPendingReply<QStringList> reply = *finished;
        if (reply.isError()) {
            unavailable(reply.error().name() + QStringLiteral(": ") + reply.error().message());
            pending.reset();
            return;
        }
        bodyMarkup = reply.value().contains(QStringLiteral("body-markup"));
        sendLatest();
    });
}

void Notifications::sendLatest() {
    if (!pending)
        return;
    Pending note = std::move(*pending);
    pending.reset();

    QStringList actions;
    for (const Action& action : note.actions)
        actions << action.key << action.label;
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(2))); // critical: stays until seen
    // Lets the server show the notification under the program's name and icon.
    QString entry = QGuiApplication::desktopFileName();
    if (entry.endsWith(QStringLiteral(".desktop")))
        entry.chop(8);
    if (!entry.isEmpty())
        hints.insert(QStringLiteral("desktop-entry"), entry);

    QDBusMessage message = call(QStringLiteral("Notify"));
    message << QString::fromLatin1(programName()) << shownId << iconFor(entry) << note.summary
            << (*bodyMarkup ? escapedMarkup(note.body) : note.body) << actions << hints << -1;

    const unsigned sent = generation;
    const QDBusPendingCall notify = bus.asyncCall(message, kCallTimeoutMs);
    onTheirWay.emplace(sent, notify);
    auto* watcher = new QDBusPendingCallWatcher(notify, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, sent, offered = std::move(note.actions)](QDBusPendingCallWatcher* finished) mutable {
                finished->deleteLater();
                if (!onTheirWay.erase(sent))
                    return; // taken back meanwhile
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError()) {
                    unavailable(reply.error().name() + QStringLiteral(": ") + reply.error().message());
                    return;
                }
                if (sent != generation) {
                    // Overtaken while on its way: a newer one is coming.
                    closeNotification(reply.value());
                    return;
                }
                failure.reset();
                shownId = reply.value();
                shownActions = std::move(offered);
            });
}

void Notifications::closeNotification(uint id) {
    QDBusMessage message = call(QStringLiteral("CloseNotification"));
    message << id;
    bus.asyncCall(message, kCallTimeoutMs); // nothing to do about its outcome
}

void Notifications::activationToken(uint id, const QString& token, const QDBusMessage& message) {
    if (fromServer(message) && id != 0 && id == shownId)
        tokens[id] = token;
}

void Notifications::actionInvoked(uint id, const QString& actionKey, const QDBusMessage& message) {
    if (!fromServer(message) || id == 0 || id != shownId)
        return;
    const auto action = std::ranges::find(shownActions, actionKey, &Action::key);
    if (action == shownActions.end() || !action->run)
        return;
    const QString token = tokens[id];
    tokens.erase(id);
    // Once only: let go of it before running it, which may show a new notification.
    const auto run = std::move(action->run);
    shownActions.erase(action);
    run(token);
}

void Notifications::notificationClosed(uint id, uint /*reason*/, const QDBusMessage& message) {
    if (!fromServer(message) || id == 0)
        return;
    tokens.erase(id);
    if (id == shownId) {
        shownId = 0;
        shownActions.clear();
    }
}

void Notifications::unavailable(const QString& why) {
    failure(("desktop notifications unavailable: " + why).toStdString());
}

} // namespace eggtimer
