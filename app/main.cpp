// eggtimer: one per session. Claims the program's name on the session bus (or
// hands this launch over to the eggtimer that has it), puts the application
// together, shows its window and runs the event loop until the user quits or
// the session ends it. Nothing is saved at quitting; what the program shows
// on the desktop is taken back.

#include "app/Application.h"
#include "platform/desktop/ApplicationInstance.h"
#include "platform/system/AppIdentity.h"
#include "platform/system/QuitOnSignals.h"

#include <QApplication>

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
    const eggtimer::LaunchTokens tokens = eggtimer::LaunchTokens::fromEnvironment();
    QApplication application(argc, argv);
    eggtimer::nameApplication();
    eggtimer::quitOnTerminationSignals();

    using eggtimer::ApplicationInstance;
    ApplicationInstance::Claim claim{};
    const std::unique_ptr<ApplicationInstance> instance =
        ApplicationInstance::claim(QString::fromLatin1(eggtimer::applicationId()), tokens, claim);
    if (claim == ApplicationInstance::Claim::HandedOver)
        return 0;

    std::string error;
    const std::unique_ptr<eggtimer::Application> eggtimer = eggtimer::Application::make(error);
    if (!eggtimer) {
        std::fprintf(stderr, "%s: %s\n", eggtimer::programName(), error.c_str());
        return 1;
    }
    if (instance)
        instance->onActivate([&eggtimer](const QString& token) { eggtimer->present(token); });
    eggtimer->show();
    return QApplication::exec();
}
