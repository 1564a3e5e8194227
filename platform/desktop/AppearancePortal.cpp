#include "platform/desktop/AppearancePortal.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <QVariantMap>

namespace eggtimer {
namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kAppearance = QStringLiteral("org.freedesktop.appearance");
const QString kWindowManager = QStringLiteral("org.gnome.desktop.wm.preferences");
// A portal started by the bus on the first call may take a while; the wait
// at start-up is bounded apart from this.
constexpr int kCallTimeoutMs = 5000;

// Some portals wrap a value in one more variant than the interface says.
QVariant unwrapped(QVariant value) {
    while (value.userType() == qMetaTypeId<QDBusVariant>())
        value = qvariant_cast<QDBusVariant>(value).variant();
    return value;
}

} // namespace

AppearancePortal::AppearancePortal(QObject* parent)
    : QObject(parent)
    , bus(QDBusConnection::sessionBus()) {
    if (!bus.isConnected()) {
        answered = true;
        return;
    }
    // An empty service: Qt would otherwise ask the bus for the name's owner
    // and wait for the answer. The sender is checked in settingChanged().
    bus.connect(QString(), kPath, kInterface, QStringLiteral("SettingChanged"), this,
                SLOT(settingChanged(QDBusMessage)));
    // A portal that starts, or starts again, is read afresh.
    owner = new ServiceOwner(kService, bus, this);
    connect(owner, &ServiceOwner::changed, this, [this](const QString& newOwner) {
        if (!newOwner.isEmpty())
            readAll();
    });
    readAll();
}

AppearancePortal::~AppearancePortal() = default;

void AppearancePortal::readAll() {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("ReadAll"));
    call << QStringList{kAppearance, kWindowManager};
    auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        answered = true;
        const QDBusMessage reply = finished->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return; // no portal, or one without settings: the light style as ever
        // a{sa{sv}}: each group's keys and values.
        const QDBusArgument groups = reply.arguments().constFirst().value<QDBusArgument>();
        groups.beginMap();
        while (!groups.atEnd()) {
            QString group;
            QVariantMap values;
            groups.beginMapEntry();
            groups >> group >> values;
            groups.endMapEntry();
            for (auto it = values.cbegin(); it != values.cend(); ++it)
                take(group, it.key(), it.value());
        }
        groups.endMap();
    });
}

void AppearancePortal::waitForAnswer(std::chrono::milliseconds limit) {
    const QDeadlineTimer deadline(limit);
    QTimer wake; // ends the last wait at the deadline
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(limit);
    while (!answered && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents);
}

void AppearancePortal::settingChanged(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (owner == nullptr || !owner->sent(message) || arguments.size() != 3)
        return;
    take(arguments[0].toString(), arguments[1].toString(), arguments[2]);
}

void AppearancePortal::take(const QString& group, const QString& key, const QVariant& value) {
    const QVariant plain = unwrapped(value);
    if (group == kAppearance && key == QStringLiteral("color-scheme")) {
        const uint number = plain.toUInt();
        const ColourScheme now = number == 1   ? ColourScheme::Dark
                                 : number == 2 ? ColourScheme::Light
                                               : ColourScheme::NoPreference;
        if (now != scheme) {
            scheme = now;
            Q_EMIT colourSchemeChanged(scheme);
        }
    } else if (group == kWindowManager && key == QStringLiteral("button-layout")) {
        layout = plain.toString();
    }
}

} // namespace eggtimer
