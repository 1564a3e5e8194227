#include "platform/desktop/ApplicationInstance.h"

#include "platform/system/Log.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QGuiApplication>

namespace eggtimer {
namespace {

const QString kInterface = QStringLiteral("org.freedesktop.Application");
// Long enough for a bus or a program that is busy for a moment, short enough
// that a launch never seems to hang.
constexpr int kAnswerWithinMs = 1000;
// RequestName: fail rather than queue for the name; the owner's answers.
constexpr uint kDoNotQueue = 4;
constexpr uint kPrimaryOwner = 1;
constexpr uint kExists = 3;

QVariantMap platformData(const LaunchTokens& tokens) {
    QVariantMap data;
    if (!tokens.activationToken.isEmpty())
        data.insert(QStringLiteral("activation-token"), tokens.activationToken);
    if (!tokens.startupId.isEmpty())
        data.insert(QStringLiteral("desktop-startup-id"), tokens.startupId);
    return data;
}

// Asks the owner of `applicationId` to show itself; true when it answered.
bool handOver(QDBusConnection& bus, const QString& applicationId, const LaunchTokens& tokens) {
    QDBusMessage activate =
        QDBusMessage::createMethodCall(applicationId, ApplicationInstance::objectPath(applicationId),
                                       kInterface, QStringLiteral("Activate"));
    activate << platformData(tokens);
    const QDBusMessage answer = bus.call(activate, QDBus::Block, kAnswerWithinMs);
    if (answer.type() == QDBusMessage::ReplyMessage)
        return true;
    logLine("another eggtimer runs but did not answer (" + answer.errorMessage().toStdString() +
            "); this one runs on its own");
    return false;
}

} // namespace

LaunchTokens LaunchTokens::fromEnvironment() {
    return {qEnvironmentVariable("XDG_ACTIVATION_TOKEN"), qEnvironmentVariable("DESKTOP_STARTUP_ID")};
}

QString ApplicationInstance::objectPath(const QString& applicationId) {
    QString path = QLatin1Char('/') + applicationId;
    path.replace(QLatin1Char('.'), QLatin1Char('/')).replace(QLatin1Char('-'), QLatin1Char('_'));
    return path;
}

QString ApplicationInstance::tokenFor(const QVariantMap& data) {
    const QString wayland = data.value(QStringLiteral("activation-token")).toString();
    const QString x = data.value(QStringLiteral("desktop-startup-id")).toString();
    const bool onX = QGuiApplication::platformName() == QStringLiteral("xcb");
    return onX ? (x.isEmpty() ? wayland : x) : (wayland.isEmpty() ? x : wayland);
}

std::unique_ptr<ApplicationInstance> ApplicationInstance::claim(const QString& applicationId,
                                                                const LaunchTokens& tokens, Claim& claim) {
    claim = Claim::Alone;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return nullptr;
    // Served before the name is owned: a launch that finds the name finds
    // the object too.
    std::unique_ptr<ApplicationInstance> instance(new ApplicationInstance(applicationId));
    if (!bus.registerObject(objectPath(applicationId), instance.get(), QDBusConnection::ExportAllSlots))
        return nullptr;
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    request << applicationId << kDoNotQueue;
    const QDBusReply<uint> answer = bus.call(request, QDBus::Block, kAnswerWithinMs);
    if (answer.isValid() && answer.value() == kPrimaryOwner) {
        claim = Claim::First;
        return instance;
    }
    instance.reset(); // unregisters the object
    if (answer.isValid() && answer.value() == kExists && handOver(bus, applicationId, tokens))
        claim = Claim::HandedOver;
    else if (!answer.isValid())
        logLine("the session bus did not give eggtimer its name (" + answer.error().message().toStdString() +
                "); it runs on its own");
    return nullptr;
}

ApplicationInstance::ApplicationInstance(QString applicationId)
    : id(std::move(applicationId)) {}

ApplicationInstance::~ApplicationInstance() {
    QDBusConnection::sessionBus().unregisterObject(objectPath(id));
}

void ApplicationInstance::onActivate(std::function<void(const QString&)> listener) {
    show = std::move(listener);
    if (show && waiting) {
        show(*waiting);
        waiting.reset();
    }
}

void ApplicationInstance::Activate(const QVariantMap& data) {
    const QString token = tokenFor(data);
    if (show)
        show(token);
    else
        waiting = token;
}

void ApplicationInstance::Open(const QStringList&, const QVariantMap& data) {
    Activate(data);
}

void ApplicationInstance::ActivateAction(const QString&, const QVariantList&, const QVariantMap& data) {
    Activate(data);
}

} // namespace eggtimer
