#pragma once
// What the desktop says of its look, from the desktop portal's settings
// (org.freedesktop.portal.Settings): the colour scheme the user chose
// (org.freedesktop.appearance color-scheme) and, as GNOME's portal serves
// them, the title bar's buttons (org.gnome.desktop.wm.preferences
// button-layout). Read once when made, and followed through the portal's
// SettingChanged signal while the program runs.
//
// Nothing here blocks: the read is asynchronous, and waitForAnswer() serves
// events for a bounded time only. Without a session bus, without a portal, or
// with a portal that does not know a key, that key reads as unknown: no
// preference, no layout. Signals count only when they come from the
// connection that owns the portal's name, so a look-alike sent by another
// program changes nothing; a portal that starts or restarts later is read
// afresh.

#include "platform/desktop/SessionBus.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <chrono>

class QDBusMessage;

namespace eggtimer {

class AppearancePortal : public QObject {
    Q_OBJECT
public:
    // The portal's values of color-scheme; anything else reads as no preference.
    enum class ColourScheme : uint { NoPreference = 0, Dark = 1, Light = 2 };

    explicit AppearancePortal(QObject* parent = nullptr);
    ~AppearancePortal() override;

    ColourScheme colourScheme() const { return scheme; }
    // As GNOME writes it ("appmenu:minimize,maximize,close"); empty when unknown.
    QString buttonLayout() const { return layout; }
    // Serves events until the first read has been answered (or has failed), or
    // `limit` has passed; returns at once when it already has.
    void waitForAnswer(std::chrono::milliseconds limit);

Q_SIGNALS:
    void colourSchemeChanged(eggtimer::AppearancePortal::ColourScheme scheme);

private Q_SLOTS:
    void settingChanged(const QDBusMessage& message);

private:
    void readAll();
    void take(const QString& group, const QString& key, const QVariant& value);

    QDBusConnection bus;
    ServiceOwner* owner = nullptr; // only its changes count
    bool answered = false;
    ColourScheme scheme = ColourScheme::NoPreference;
    QString layout;
};

} // namespace eggtimer
