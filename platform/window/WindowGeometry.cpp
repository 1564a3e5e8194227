#include "platform/window/WindowGeometry.h"

#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace eggtimer {

namespace {

// Moves a window that has grown past its screen's right edge back left, as
// far as its left edge allows.
void keepOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (screen == nullptr)
        return;
    const QRect room = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    const int shift = std::max(std::min(room.right() - frame.right(), 0), room.left() - frame.left());
    if (shift < 0)
        window->move(window->pos() + QPoint(shift, 0));
}

} // namespace

void showSidePanel(QWidget* panel, bool shown, int width) {
    QWidget* window = panel->window();
    const bool resizeWindow = window != panel && window->isVisible() &&
                              !(window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
    const QLayout* layout = panel->parentWidget() != nullptr ? panel->parentWidget()->layout() : nullptr;
    const int spacing = layout != nullptr ? std::max(layout->spacing(), 0) : 0;
    const int room = (width > 0 ? width : panel->sizeHint().width()) + spacing;
    const int windowWidth = window->width() + (shown ? room : -room);
    panel->setVisible(shown);
    if (!resizeWindow)
        return;
    // The window's minimum size must already account for the change, so the
    // layouts settle now, innermost first; that may have grown the window by
    // itself.
    for (QWidget* widget = panel->parentWidget(); widget != nullptr; widget = widget->parentWidget()) {
        if (widget->layout() != nullptr)
            widget->layout()->activate();
        if (widget == window)
            break;
    }
    window->resize(windowWidth, window->height());
    if (shown)
        keepOnScreen(window);
}

} // namespace eggtimer
