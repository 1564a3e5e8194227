#include "app/Application.h"

#include "app/Binding.h"
#include "controller/KRMaster.h"
#include "platform/desktop/AppearancePortal.h"
#include "platform/desktop/OpenFile.h"
#include "platform/desktop/QtDesktop.h"
#include "platform/desktop/QtPanels.h"
#include "platform/desktop/WindowPresence.h"
#include "platform/gstreamer/GstMedia.h"
#include "platform/mediafiles/GstSupport.h"
#include "platform/system/Log.h"
#include "platform/system/PosixFileSystem.h"
#include "platform/system/QtRunLoop.h"
#include "platform/system/QtSettingsStore.h"
#include "platform/system/SoundFolders.h"
#include "platform/window/CloseToHide.h"
#include "platform/window/DesktopStyle.h"
#include "text/WallClockText.h"

#include <QDateTime>
#include <QEvent>
#include <QLocale>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cmath>

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

// "at 3:42 PM" today, with the date on another day, in the user's words.
QString whenItRings(WallTime fireDate, WallTime now) {
    constexpr double kLastMillisecond = 253402300799999.0; // the end of the year 9999
    const double milliseconds = std::floor(fireDate * 1000.0);
    if (!(milliseconds >= 0.0 && milliseconds <= kLastMillisecond))
        return QString::fromStdString(describeWallTime(fireDate));
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(milliseconds));
    const QDateTime today = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(now * 1000.0));
    const QLocale locale = QLocale::system();
    if (when.date() == today.date())
        return QObject::tr("at %1").arg(locale.toString(when.time(), QLocale::ShortFormat));
    return QObject::tr("on %1").arg(locale.toString(when, QLocale::ShortFormat));
}

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
    , desktop(std::make_unique<QtDesktop>([window = ui->window()] { return window; }))
    , panels(std::make_unique<QtPanels>([window = ui->window()] { return window; }))
    , opener(std::make_unique<GioFileOpener>())
    , logger(std::make_unique<StandardErrorLogger>())
    , settings(std::make_unique<QtSettingsStore>())
    , sounds(std::make_unique<GstSoundRegistry>(*files))
    , media(std::make_unique<GstMediaLibrary>())
    , beeper(std::make_unique<GstBeeper>(installedBeepSound()))
    , master(std::make_unique<KRMaster>(services(), outletsOf(*ui))) {
    connectActions(*ui, *master);
    master->awakeFromNib();
    keepRunningWhenClosed();
    QObject::connect(appearance.get(), &AppearancePortal::colourSchemeChanged, appearance.get(),
                     [](AppearancePortal::ColourScheme scheme) {
                         followDarkStyle(scheme == AppearancePortal::ColourScheme::Dark);
                     });
}

Application::~Application() {
    // Gone from the screen and silent at once; the desktop then hears of it.
    ui->window()->hide();
    master.reset();
}

void Application::keepRunningWhenClosed() {
    new CloseToHide(ui->window(),
                    {[this] { return master->status() != TimerStatusNotSet; },
                     [this] { closedWhileRunning(); }, [this] { desktop->withdrawBackgroundNotice(); }});
}

void Application::closedWhileRunning() {
    // Told once for each timer: closing the window again needs no reminder.
    const std::shared_ptr<Timer>& timer = master->mainTimer();
    if (!timer || timer == closedOn.lock())
        return;
    closedOn = timer;
    QString body;
    if (master->status() == TimerStatusFiring)
        body = QObject::tr("The timer rings on with its window closed.");
    else
        body = QObject::tr("The timer runs on with its window closed: it rings %1.")
                   .arg(whenItRings(timer->fireDate(), runLoop->now()));
    desktop->showBackgroundNotice(body);
}

void Application::present(const QString& activationToken) {
    presentWindow(ui->window(), activationToken);
}

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
    return {*runLoop, *desktop, *desktop, *panels,   *opener, *beeper,
            *logger,  *sounds,  *media,   *settings, *files};
}

} // namespace eggtimer
