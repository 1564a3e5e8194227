#pragma once
// The application put together from its parts, in the one place that the
// program, the tests that run it whole and the benchmarks share: the window
// loaded from the interface file and checked against the controller, the
// platform's services (kernel timers on Qt's event loop, the sound folders,
// GStreamer, the desktop, the settings file) and the controller bound to
// both. Made once the QApplication exists and named (see AppIdentity.h).

#include "platform/Platform.h"

#include <memory>
#include <string>

class QString;
class QWidget;

namespace eggtimer {

class AppearancePortal;
class KRMaster;
class LoadedInterface;
class QtRunLoop;
class PosixFileSystem;
class GstSoundRegistry;
class GstMediaLibrary;
class GstBeeper;
class QtDesktop;
class QtPanels;
class GioFileOpener;
class StandardErrorLogger;
class QtSettingsStore;

class Application {
public:
    // The window filled in by the controller's start-up, not yet shown;
    // nothing, with `error` set, when the interface file cannot be loaded or
    // does not suit the controller.
    static std::unique_ptr<Application> make(std::string& error);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Shows the window in the desktop's dark or light style; once it is on the
    // screen, the media framework gets ready for the first play in the
    // background.
    void show();
    // Shows the window again, raised, when the program is launched anew;
    // `activationToken` is the launcher's (WindowPresence.h).
    void present(const QString& activationToken);

    QWidget* window() const;
    KRMaster& controller() const { return *master; }
    Services services();

private:
    explicit Application(std::unique_ptr<LoadedInterface> loaded);
    // While a timer counts down or rings, closing the window hides it.
    void keepRunningWhenClosed();
    void closedWhileRunning();

    // Members go in reverse: the controller first, which silences what
    // rings; the sounds; then the desktop, which takes back what the program
    // shows there within a bounded time; the window last.
    std::unique_ptr<LoadedInterface> ui;
    std::unique_ptr<AppearancePortal> appearance;
    std::unique_ptr<QtRunLoop> runLoop;
    std::unique_ptr<PosixFileSystem> files;
    std::unique_ptr<QtDesktop> desktop;
    std::unique_ptr<QtPanels> panels;
    std::unique_ptr<GioFileOpener> opener;
    std::unique_ptr<StandardErrorLogger> logger;
    std::unique_ptr<QtSettingsStore> settings;
    std::unique_ptr<GstSoundRegistry> sounds;
    std::unique_ptr<GstMediaLibrary> media;
    std::unique_ptr<GstBeeper> beeper;
    std::unique_ptr<KRMaster> master;
    // The timer whose closed window the desktop was last told of.
    std::weak_ptr<Timer> closedOn;
};

} // namespace eggtimer
