#include "platform/desktop/LauncherEntry.h"

#include "platform/desktop/SessionBus.h"

#include <QDBusMessage>
#include <QVariantMap>

#include <algorithm>
#include <cmath>

namespace eggtimer {
namespace {

const QString kInterface = QStringLiteral("com.canonical.Unity.LauncherEntry");
// Docks listen on any path; this one is ours alone.
const QString kPath = QStringLiteral("/io/github/eggtimer/LauncherEntry");
constexpr double kVisibleStep = 0.01;

} // namespace

LauncherEntry::Shown LauncherEntry::shownFor(const TimerProgress& progress) {
    Shown shown;
    switch (progress.state) {
    case TimerProgress::State::Running:
        shown.progressVisible = true;
        shown.progress = std::clamp(progress.passed, 0.0, 1.0);
        shown.countVisible = true;
        shown.count = progress.minutesLeft;
        break;
    case TimerProgress::State::Firing:
        shown.urgent = true;
        break;
    case TimerProgress::State::Idle:
        break;
    }
    return shown;
}

bool LauncherEntry::differsVisibly(const Shown& before, const Shown& after) {
    if (before.progressVisible != after.progressVisible || before.countVisible != after.countVisible ||
        before.urgent != after.urgent)
        return true;
    if (after.countVisible && before.count != after.count)
        return true;
    // The bar's last step is always drawn: a full bar must not stop at 99%.
    return after.progressVisible && (std::abs(after.progress - before.progress) >= kVisibleStep ||
                                     (after.progress >= 1.0 && before.progress < 1.0));
}

LauncherEntry::LauncherEntry(const QString& desktopFileId)
    : bus(QDBusConnection::sessionBus())
    , appUri(QStringLiteral("application://") + desktopFileId) {}

LauncherEntry::~LauncherEntry() {
    if (takeBack())
        waitUntilSent(bus, std::chrono::steady_clock::now() + kTakeBackLimit);
}

bool LauncherEntry::takeBack() {
    if (!differsVisibly(current, Shown{}) || !send(Shown{}))
        return false;
    current = Shown{};
    return true;
}

void LauncherEntry::show(const TimerProgress& progress) {
    const Shown shown = shownFor(progress);
    if (differsVisibly(current, shown) && send(shown))
        current = shown;
}

bool LauncherEntry::send(const Shown& shown) {
    if (!bus.isConnected()) {
        failure("launcher icon: no session bus; its progress is not shown");
        return false;
    }
    QDBusMessage update = QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("Update"));
    const QVariantMap properties{
        {QStringLiteral("progress"), shown.progress},
        {QStringLiteral("progress-visible"), shown.progressVisible},
        {QStringLiteral("count"), static_cast<qint64>(shown.count)},
        {QStringLiteral("count-visible"), shown.countVisible},
        {QStringLiteral("urgent"), shown.urgent},
    };
    update << appUri << properties;
    if (!bus.send(update)) {
        failure("launcher icon: " + bus.lastError().message().toStdString());
        return false;
    }
    return true;
}

} // namespace eggtimer
