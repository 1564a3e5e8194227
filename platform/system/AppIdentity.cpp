#include "platform/system/AppIdentity.h"

#include <QGuiApplication>

namespace eggtimer {

const char* programName() {
    return EGGTIMER_PROGRAM_NAME;
}

const char* applicationId() {
    return EGGTIMER_APP_ID;
}

void nameApplication() {
    // Also names the settings file: ~/.config/eggtimer/eggtimer.conf. X
    // desktops match the window to its entry by this name (StartupWMClass).
    QGuiApplication::setOrganizationName(QString::fromLatin1(programName()));
    QGuiApplication::setApplicationName(QString::fromLatin1(programName()));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Egg Timer"));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(applicationId()));
}

} // namespace eggtimer
