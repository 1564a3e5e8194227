#pragma once
// The window in the desktop's dark or light style, and a Wayland title bar
// that has its buttons.
//
// Every window of the program, the alert panel and the file dialog included,
// draws with the application's palette, and so does Qt's own title bar on
// Wayland when it is made; the status area and the progress bar take their
// colours from it too (resources/eggtimer.ui).

#include <QPalette>
#include <QString>

namespace eggtimer {

// Dark: the application takes darkPalette() when the palette Qt gives is
// light (Qt 6.4 has no dark style of its own; later ones give a dark palette
// with some platform themes, and theirs is kept). Light: the palette Qt gives
// comes back. Nothing changes where the desktop supplies the palette itself:
// on Plasma, and with a platform theme the user chose (QT_QPA_PLATFORMTHEME).
// Call it again whenever the desktop's choice changes.
void followDarkStyle(bool dark);

// A dark palette in which every text is readable, at a contrast of at least
// 4.5:1 against its background (disabled ones too), and the progress bar's
// groove and the radio buttons stand apart from theirs.
QPalette darkPalette();

// Chooses Qt's title bar on Wayland, before the first window is made; Qt
// keeps the one it takes for all the program's windows. On GNOME
// (XDG_CURRENT_DESKTOP=GNOME), Qt 6.8 draws GNOME's own title bar
// ("adwaita"), which shows only the buttons that the desktop portal's
// org.gnome.desktop.wm.preferences button-layout names: none when no portal,
// or a portal without GNOME's settings, answers. Unless the layout read
// (`buttonLayout`, as "appmenu:minimize,maximize,close") names a button, Qt's
// other title bar ("bradient") is taken, which always has minimize, maximize
// and close. A QT_WAYLAND_DECORATION of the user's is kept; elsewhere than on
// Wayland nothing changes.
void chooseTitleBar(const QString& buttonLayout);

} // namespace eggtimer
