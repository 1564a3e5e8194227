#pragma once
// A window that stays in the program while it has work: while `keepRunning`
// answers true, a request to close the window (its title bar's button,
// Alt+F4, the window manager's or compositor's close) hides it instead, and
// `hidden` is told. Otherwise the window closes as any other. `shown` is told
// each time the window is shown again.

#include <QObject>

#include <functional>

class QWidget;

namespace eggtimer {

class CloseToHide : public QObject {
public:
    struct Callbacks {
        std::function<bool()> keepRunning;
        std::function<void()> hidden;
        std::function<void()> shown;
    };

    // Watches `window`, and goes with it.
    CloseToHide(QWidget* window, Callbacks callbacks);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Callbacks callbacks;
};

} // namespace eggtimer
