#include "platform/desktop/Notifications.h"
#include "platform/system/AppIdentity.h"

#include "platform/desktop/SessionBus.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QPalette>
#include <QVariantMap>

#include <vector>

namespace eggtimer {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kStopAction = QStringLiteral("stop");
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
    , bus(QDBusConnection::sessionBus()) {}

Notifications::~Notifications() {
    std::vector<uint> left;
    if (shownId != 0)
        left.push_back(shownId);
    // Shown, but their ids not yet known: waited for, within their time-out.
    for (auto& [number, notify] : onTheirWay) {
        notify.waitForFinished();
        const QDBusPendingReply<uint> reply = notify;
        if (reply.isValid() && reply.value() != shownId)
            left.push_back(reply.value());
    }
    for (const uint id : left) {
        QDBusMessage message = call(QStringLiteral("CloseNotification"));
        message << id;
        bus.send(message);
    }
    if (!left.empty())
        waitUntilSent(bus);
}

bool Notifications::ensureConnected() {
    if (!bus.isConnected()) {
        unavailable(QStringLiteral("no session bus"));
        return false;
    }
    if (!signalsConnected) {
        // Matching on the service name ignores look-alike signals from others.
        signalsConnected = bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                                       SLOT(actionInvoked(uint, QString))) &&
                           bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"),
                                       this, SLOT(notificationClosed(uint, uint)));
    }
    return true;
}

void Notifications::show(const QString& summary, const QString& body, std::function<void()> stop) {
    ++generation;
    // A newer notification takes the place of any older one, and so does its action.
    shownStop = nullptr;
    pending = Pending{summary, body, std::move(stop)};
    if (!ensureConnected())
        return;
    if (bodyMarkup)
        sendLatest();
    else
        askCapabilities();
}

void Notifications::withdraw() {
    ++generation; // one still on its way is closed as its id comes
    pending.reset();
    shownStop = nullptr;
    if (shownId != 0)
        closeNotification(shownId);
    shownId = 0;
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
    if (note.stop)
        actions << kStopAction << tr("Stop");
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
            [this, sent, stop = std::move(note.stop)](QDBusPendingCallWatcher* finished) mutable {
                finished->deleteLater();
                onTheirWay.erase(sent);
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
                shownStop = std::move(stop);
            });
}

void Notifications::closeNotification(uint id) {
    QDBusMessage message = call(QStringLiteral("CloseNotification"));
    message << id;
    bus.asyncCall(message, kCallTimeoutMs); // nothing to do about its outcome
}

void Notifications::actionInvoked(uint id, const QString& actionKey) {
    if (id == 0 || id != shownId || actionKey != kStopAction || !shownStop)
        return;
    // Once only: clear it before calling, the call may show a new notification.
    auto stop = std::move(shownStop);
    shownStop = nullptr;
    stop();
}

void Notifications::notificationClosed(uint id, uint /*reason*/) {
    if (id != 0 && id == shownId) {
        shownId = 0;
        shownStop = nullptr;
    }
}

void Notifications::unavailable(const QString& why) {
    failure(("desktop notifications unavailable: " + why).toStdString());
}

} // namespace eggtimer
