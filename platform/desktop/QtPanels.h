#pragma once
// The alert panel and the open-file dialog as modal Qt dialogs over the
// window. The alert shows the user's text literally, however long: a long
// one scrolls.

#include "platform/Panels.h"

#include <functional>

class QWidget;

namespace eggtimer {

class QtPanels final : public Panels {
public:
    // `mainWindow` gives the window the dialogs belong to (nothing before it
    // exists).
    explicit QtPanels(std::function<QWidget*()> mainWindow);

    void runAlertPanel(const std::string& title, const std::string& message,
                       const std::string& button) override;
    std::optional<std::string> runOpenPanel(const std::string& title,
                                            const std::vector<std::string>* extensions) override;

private:
    std::function<QWidget*()> mainWindow;
};

} // namespace eggtimer
