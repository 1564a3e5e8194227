#include "platform/desktop/SleepInhibitor.h"
#include "platform/system/AppIdentity.h"

#include "platform/desktop/SessionBus.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QVariantMap>

namespace eggtimer {
namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kPortalInterface = QStringLiteral("org.freedesktop.portal.Inhibit");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kPowerService = QStringLiteral("org.freedesktop.PowerManagement");
const QString kPowerPath = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");
const QString kPowerInterface = QStringLiteral("org.freedesktop.PowerManagement.Inhibit");
// The portal's flag for suspending; idleness (8) would also keep the screen on.
constexpr uint kInhibitSuspend = 4;
// A portal started by the call itself answers within a second or two.
constexpr int kCallTimeoutMs = 10000;

QString reason() {
    return QObject::tr("A timer is running");
}

} // namespace

SleepInhibitor::SleepInhibitor(QObject* parent)
    : QObject(parent)
    , bus(QDBusConnection::sessionBus())
    , services(kPortalService, bus, QDBusServiceWatcher::WatchForOwnerChange) {
    services.addWatchedService(kPowerService);
    connect(&services, &QDBusServiceWatcher::serviceOwnerChanged, this, &SleepInhibitor::serviceReplaced);
}

SleepInhibitor::~SleepInhibitor() {
    if (takeBack())
        waitUntilSent(bus, std::chrono::steady_clock::now() + kTakeBackLimit);
}

bool SleepInhibitor::takeBack() {
    wanted = false;
    if (!held)
        return false;
    bus.send(giveBackCall(*held));
    held.reset();
    return true;
}

void SleepInhibitor::hold(bool wish) {
    if (wish == wanted)
        return;
    wanted = wish;
    if (wanted && !held && !asking)
        ask(Service::Portal);
    if (!wanted && held) {
        giveBack(*held);
        held.reset();
    }
}

void SleepInhibitor::ask(Service service) {
    if (!bus.isConnected()) {
        failure("keeping the machine awake: no session bus");
        return;
    }
    QDBusMessage call;
    if (service == Service::Portal) {
        call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kPortalInterface,
                                              QStringLiteral("Inhibit"));
        call << QString() << kInhibitSuspend << QVariantMap{{QStringLiteral("reason"), reason()}};
    } else {
        call = QDBusMessage::createMethodCall(kPowerService, kPowerPath, kPowerInterface,
                                              QStringLiteral("Inhibit"));
        call << QString::fromLatin1(programName()) << reason();
    }
    asking = true;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, service](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                asking = false;
                answered(service, answer->reply());
            });
}

void SleepInhibitor::answered(Service service, const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage) {
        refused(service, reply.errorName() + QStringLiteral(": ") + reply.errorMessage());
        return;
    }
    const QVariant value = reply.arguments().value(0);
    Inhibition inhibition{service, {}, 0};
    if (service == Service::Portal && value.canConvert<QDBusObjectPath>())
        inhibition.handle = value.value<QDBusObjectPath>().path();
    else if (service == Service::PowerManagement && value.metaType() == QMetaType::fromType<uint>())
        inhibition.cookie = value.toUInt();
    else
        return refused(service, QStringLiteral("an answer of type ") + reply.signature());
    granted(inhibition);
}

void SleepInhibitor::granted(const Inhibition& inhibition) {
    if (!wanted) {
        giveBack(inhibition);
        return;
    }
    held = inhibition;
    askAgain = false;
    portalRefusal.clear();
    failure.reset();
}

void SleepInhibitor::refused(Service service, const QString& why) {
    if (!wanted) {
        askAgain = false;
        return;
    }
    if (service == Service::Portal) {
        portalRefusal = why;
        ask(Service::PowerManagement);
        return;
    }
    if (askAgain) {
        askAgain = false;
        ask(Service::Portal);
        return;
    }
    failure(("keeping the machine awake: no desktop service does it (portal: " + portalRefusal +
             "; power management: " + why + ")")
                .toStdString());
}

void SleepInhibitor::giveBack(const Inhibition& inhibition) {
    bus.asyncCall(giveBackCall(inhibition), kCallTimeoutMs); // a service that is gone has let go already
}

QDBusMessage SleepInhibitor::giveBackCall(const Inhibition& inhibition) {
    if (inhibition.service == Service::Portal)
        return QDBusMessage::createMethodCall(kPortalService, inhibition.handle, kRequestInterface,
                                              QStringLiteral("Close"));
    QDBusMessage call = QDBusMessage::createMethodCall(kPowerService, kPowerPath, kPowerInterface,
                                                       QStringLiteral("UnInhibit"));
    call << inhibition.cookie;
    return call;
}

void SleepInhibitor::serviceReplaced(const QString& service, const QString& oldOwner, const QString&) {
    const QString heldFrom = held && held->service == Service::Portal ? kPortalService : kPowerService;
    if (held && service == heldFrom && !oldOwner.isEmpty())
        held.reset(); // gone with the owner that granted it
    // Asking again may start the service anew; one that has just come finds
    // nothing held yet. An answer on its way may be from before the change.
    if (wanted && !held && asking)
        askAgain = true;
    else if (wanted && !held)
        ask(Service::Portal);
}

} // namespace eggtimer
