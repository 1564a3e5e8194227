#pragma once
// One eggtimer per session, as the desktop does it. The program owns its
// application id on the session bus and serves org.freedesktop.Application
// there (Activate), so that launching it again, from a menu, a dock, a
// terminal or by D-Bus activation of its desktop entry, shows the running
// program's window instead of starting a second timer. A launch that finds
// the name taken asks its owner to show itself, passing on the activation
// token its launcher gave, and is done.
//
// Claiming waits for the bus at most a second or so, before any window
// exists; after that nothing here waits on the bus. Without a session bus,
// with a bus that does not answer, or with an owner that does not answer
// Activate within a second, the launch runs on its own.

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

namespace eggtimer {

// What the launcher gave this launch to let its window take the focus.
struct LaunchTokens {
    QString activationToken; // XDG_ACTIVATION_TOKEN (Wayland)
    QString startupId;       // DESKTOP_STARTUP_ID (X)
    // Read before Qt reads and clears them.
    static LaunchTokens fromEnvironment();
};

class ApplicationInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    enum class Claim {
        First,      // this is the session's eggtimer
        HandedOver, // another one runs and has been asked to show itself
        Alone,      // no bus, or no answer: run, without the name
    };

    // Owns `applicationId` on the session bus, or hands this launch over to
    // its owner. Nothing unless the claim is First.
    static std::unique_ptr<ApplicationInstance> claim(const QString& applicationId,
                                                      const LaunchTokens& tokens, Claim& claim);
    ~ApplicationInstance() override;

    // Told, on the main loop, each time the program is launched again: the
    // token that lets the window take the focus, fit for the display
    // server in use (empty when none came).
    void onActivate(std::function<void(const QString& token)> show);

    // The object path that serves the application id.
    static QString objectPath(const QString& applicationId);
    // The token in an Activate call's platform data for this display server.
    static QString tokenFor(const QVariantMap& platformData);

public Q_SLOTS:
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& actionName, const QVariantList& parameter,
                        const QVariantMap& platformData);

private:
    explicit ApplicationInstance(QString applicationId);

    QString id;
    std::function<void(const QString&)> show;
    // An Activate that came before anyone listened.
    std::optional<QString> waiting;
};

} // namespace eggtimer
