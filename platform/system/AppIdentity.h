#pragma once
// The names the program goes by, given to Qt before any window is made: the
// settings file's folder and name, the name in window titles, and the desktop
// entry that ties the window to its launcher and icon. On Wayland that entry's
// name is the window's app id, fixed when the window is made.

namespace eggtimer {

// "eggtimer": the program's name, as its file, folders, log and notifications
// spell it.
const char* programName();

// "io.github.eggtimer.EggTimer": the name of the desktop entry, the window's
// app id on Wayland, and the program's name on the session bus.
const char* applicationId();

// Names the running application.
void nameApplication();

} // namespace eggtimer
