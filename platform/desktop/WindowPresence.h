#pragma once
// Bringing the program's window to the user when it is asked for: shown if it
// was hidden, raised, and made active as far as the desktop allows. What lets
// a window take the focus from another program is an activation token that
// the desktop gave for the user's request (a launcher's click, a
// notification's action): on Wayland an xdg-activation token, on X a startup
// notification id, which this also completes so that the launcher stops
// showing that the program is starting.

#include <QString>

class QWidget;

namespace eggtimer {

void presentWindow(QWidget* window, const QString& activationToken);

} // namespace eggtimer
