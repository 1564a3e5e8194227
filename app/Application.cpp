#include "app/Application.h"

#include "app/Binding.h"
#include "controller/KRMaster.h"
#include "platform/desktop/AppearancePortal.h"
#include "platform/desktop/QtDesktop.h"
#include "platform/gstreamer/GstMedia.h"
#include "platform/mediafiles/GstSupport.h"
#include "platform/system/PosixFileSystem.h"
#include "platform/system/QtRunLoop.h"
#include "platform/system/QtSettingsStore.h"
#include "platform/system/SoundFolders.h"
#include "platform/window/DesktopStyle.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace eggtimer {
namespace {

// Runs `then` once, on the event loop's next turn after the window is first
// exposed: mapped on X, configured by a Wayland compositor.
class OnFirstExposure : public QObject {
public:
    OnFirstExposure(QWindow* window, void (*then)())
        : QObject(window)
        , then(then) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, watched, then);
            deleteLater();
        }
        return false;
    }

private:
    void (*then)();
};

} // namespace

std::unique_ptr<Application> Application::make(std::string& error) {
    std::unique_ptr<LoadedInterface> loaded = loadControllerWindow(LoadedInterface::defaultPath(), error);
    if (!loaded)
        return nullptr;
    return std::unique_ptr<Application>(new Application(std::move(loaded)));
}

Application::Application(std::unique_ptr<LoadedInterface> loaded)
    : ui(std::move(loaded))
    , appearance(std::make_unique<AppearancePortal>())
    , runLoop(std::make_unique<QtRunLoop>())
    , files(std::make_unique<PosixFileSystem>(installedSoundFolder(), userSoundFolder()))
    , sounds(std::make_unique<GstSoundRegistry>(*files))
    , media(std::make_unique<GstMediaLibrary>())
    , beepSound(makeSoundFromFile(installedBeepSound(), "beep"))
    , desktop(std::make_unique<QtDesktop>([window = ui->window()] { return window; }, [this] { beep(); }))
    , settings(std::make_unique<QtSettingsStore>())
    , master(std::make_unique<KRMaster>(services(), outletsOf(*ui))) {
    connectActions(*ui, *master);
    master->awakeFromNib();
    QObject::connect(appearance.get(), &AppearancePortal::colourSchemeChanged, appearance.get(),
                     [](AppearancePortal::ColourScheme scheme) {
                         followDarkStyle(scheme == AppearancePortal::ColourScheme::Dark);
                     });
}

Application::~Application() = default;

void Application::show() {
    // The desktop's style before the window is first made, so that it never
    // shows light on a dark desktop and Qt's Wayland title bar takes it; the
    // portal answers in a few milliseconds, and a slow one is not waited for.
    appearance->waitForAnswer(std::chrono::milliseconds(250));
    chooseTitleBar(appearance->buttonLayout());
    followDarkStyle(appearance->colourScheme() == AppearancePortal::ColourScheme::Dark);
    ui->window()->show();
    // Not before: on a busy machine its threads would hold the window up.
    new OnFirstExposure(ui->window()->windowHandle(), [] { gst::startInBackground(); });
}

QWidget* Application::window() const {
    return ui->window();
}

Services Application::services() {
    return {*runLoop, *desktop, *sounds, *media, *settings, *files};
}

void Application::beep() {
    if (beepSound) {
        beepSound->stop();
        beepSound->play();
    }
}

} // namespace eggtimer
