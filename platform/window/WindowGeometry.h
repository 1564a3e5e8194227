#pragma once
// How the window makes room for a side panel (a drawer). A window
// the user has maximised or made full screen, or one not shown, keeps its
// size. Otherwise it grows by the panel's room as the panel opens, to the
// right, moving left as far as it must to stay on its screen (a Wayland
// compositor places windows itself and ignores the move), and shrinks by as
// much as the panel closes.

class QWidget;

namespace eggtimer {

// Shows or hides `panel`, whose room in the window is `width` (its size
// hint's width when 0 or less) and its layout's spacing.
void showSidePanel(QWidget* panel, bool shown, int width);

} // namespace eggtimer
