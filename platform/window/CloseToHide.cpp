#include "platform/window/CloseToHide.h"

#include <QCloseEvent>
#include <QWidget>

namespace eggtimer {

CloseToHide::CloseToHide(QWidget* window, Callbacks callbacks)
    : QObject(window)
    , callbacks(std::move(callbacks)) {
    window->installEventFilter(this);
}

bool CloseToHide::eventFilter(QObject* watched, QEvent* event) {
    auto* window = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Close && callbacks.keepRunning && callbacks.keepRunning()) {
        // Ignored, the close neither ends the program nor loses the window.
        event->ignore();
        window->hide();
        if (callbacks.hidden)
            callbacks.hidden();
        return true;
    }
    if (event->type() == QEvent::Show && callbacks.shown)
        callbacks.shown();
    return false;
}

} // namespace eggtimer
