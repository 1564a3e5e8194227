// eggtimer: loads the window, checks it and hands it to the controller, then
// runs the event loop until the user quits or the session ends it. Nothing is
// saved at quitting; what the program shows on the desktop is taken back.

#include "app/Binding.h"
#include "controller/KRMaster.h"
#include "platform/qt/AppIdentity.h"
#include "platform/qt/QtPlatform.h"
#include "platform/qt/QuitOnSignals.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <string>

int main(int argc, char* argv[]) {
    // On X11 every repaint sent through shared memory is acknowledged by an
    // event that wakes the program twice more; the window is small and, while
    // a timer counts, repaints one line a second, so plain requests serve it
    // better. A user's own choice of the setting is left alone.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication application(argc, argv);
    eggtimer::nameApplication();
    eggtimer::quitOnTerminationSignals();

    std::string error;
    const std::unique_ptr<eggtimer::LoadedInterface> interface =
        eggtimer::loadControllerWindow(eggtimer::LoadedInterface::defaultPath(), error);
    if (!interface) {
        std::fprintf(stderr, "eggtimer: %s\n", error.c_str());
        return 1;
    }

    eggtimer::QtPlatform platform([window = interface->window()] { return window; });
    // Lives for the whole run, like the window whose controls it holds.
    eggtimer::KRMaster master(platform.services(), eggtimer::outletsOf(*interface));
    eggtimer::connectActions(*interface, master);
    master.awakeFromNib();

    interface->window()->show();
    // Once the window is on its way to the screen, so that it comes no later.
    QTimer::singleShot(0, [&platform] { platform.warmUpMedia(); });
    return QApplication::exec();
}
