#pragma once
// Where the program finds its sounds. Folders end in a slash.

#include <string>

namespace eggtimer {

// <dir of the executable>/../share/eggtimer/sounds/ when that folder exists
// (a build tree or a relocated install), else the folder it was installed to.
std::string installedSoundFolder();

// The shipped beep, found the same way: .../share/eggtimer/beep.aiff.
std::string installedBeepSound();

// sounds/ in the user's XDG data folder: $XDG_DATA_HOME/sounds/, normally
// ~/.local/share/sounds/.
std::string userSoundFolder();

} // namespace eggtimer
