#include "platform/qt/AppIdentity.h"

#include <QApplication>

namespace eggtimer {

void nameApplication() {
    // Also names the settings file: ~/.config/eggtimer/eggtimer.conf. X
    // desktops match the window to its entry by this name (StartupWMClass).
    QApplication::setOrganizationName(QStringLiteral("eggtimer"));
    QApplication::setApplicationName(QStringLiteral("eggtimer"));
    QApplication::setApplicationDisplayName(QStringLiteral("Egg Timer"));
    QApplication::setDesktopFileName(QStringLiteral(EGGTIMER_APP_ID));
}

} // namespace eggtimer
