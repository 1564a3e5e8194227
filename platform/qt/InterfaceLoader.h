#pragma once
// Loads the window from the interface file (a Qt Designer .ui file), checks it
// against what the controller needs and binds it:
// - every outlet of kOutletDescriptions is a widget whose objectName is the
//   outlet's name, and is of a class that can stand for the outlet's kind;
// - every widget or QAction with a string property "action" names one of the
//   controller's actions, every action is sent by some control, and the
//   controls whose names pair them with an action send that one;
// - a control that sends changeModeWithSenderTag: carries an int "tag";
// - buttons and QActions with the property "toggles" = "targetDrawer" open
//   and close the drawer.
// A file that fails any check yields one line naming what is wrong, and no
// window.

#include "controller/KRMaster.h"
#include "controller/Outlets.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QObject;
class QWidget;

namespace eggtimer {

class LoadedInterface {
public:
    using ActionMethod = KRMaster::ActionMethod;
    // Performs an action for a control; the application hands it to the
    // controller.
    using Dispatch = std::function<void(ActionMethod, Control*)>;

    struct Sender {
        QObject* object; // a QAbstractButton or a QAction
        Control* control;
        std::string actionName;
        ActionMethod method;
    };

    // The compiled-in interface file, or the one EGGTIMER_INTERFACE_FILE
    // names (for developers and tests).
    static QString defaultPath();

    // Nothing, with `error` set to the line to show, when the file cannot be
    // read or fails a check. Qt's own warnings while reading it are held back
    // in that case, so that the user sees one message.
    static std::unique_ptr<LoadedInterface> load(const QString& path, std::string& error);

    ~LoadedInterface();
    LoadedInterface(const LoadedInterface&) = delete;
    LoadedInterface& operator=(const LoadedInterface&) = delete;

    QWidget* window() const { return window_.get(); }
    const Outlets& outlets() const { return outlets_; }
    const std::vector<Sender>& senders() const { return senders_; }

    // Makes every sending control call `dispatch` when clicked or triggered,
    // with its own adapter as the sender.
    void connectActions(const Dispatch& dispatch);

private:
    LoadedInterface() = default;
    std::string bindOutlets();
    std::string collectSenders();
    std::string wireDrawer();
    Control* adapterFor(QObject* object);

    // Declared before the window so that the window, and with it every
    // connection that uses an adapter, goes first.
    std::vector<std::unique_ptr<Control>> adapters;
    std::vector<std::pair<QObject*, Control*>> adapterOf;
    Outlets outlets_;
    std::vector<Sender> senders_;
    std::unique_ptr<QWidget> window_;
};

} // namespace eggtimer
