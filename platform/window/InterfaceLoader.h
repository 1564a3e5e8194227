#pragma once
// Loads the window from the interface file (a Qt Designer .ui file), checks it
// against a contract (platform/Interface.h) and makes its controls:
// - every outlet of the contract is a widget whose objectName is the
//   outlet's name, and is of a class that can stand for the outlet's kind;
// - every widget or QAction with a string property "action" names one of the
//   contract's actions, every action is sent by some control, and an action
//   paired with an outlet is sent by that outlet;
// - a control that sends an action that reads tags carries an int "tag";
// - buttons and QActions with the property "toggles" naming a drawer outlet
//   open and close that drawer;
// - buttons and QActions with the property "quits" set end the program.
// A file that fails any check yields one line naming what is wrong, and no
// window. What the actions do is not the loader's business: whoever loaded
// the window connects them.

#include "platform/Controls.h"
#include "platform/Interface.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QObject;
class QWidget;

namespace eggtimer {

class LoadedInterface {
public:
    // Performs the contract's action of index `action` for a control.
    using Dispatch = std::function<void(std::size_t action, Control* sender)>;

    struct Sender {
        QObject* object; // a QAbstractButton or a QAction
        Control* control;
        std::size_t action; // in the contract's actions
        std::string actionName;
    };

    // The compiled-in interface file, or the one EGGTIMER_INTERFACE_FILE
    // names (for developers and tests).
    static QString defaultPath();

    // Nothing, with `error` set to the line to show, when the file cannot be
    // read or fails a check. Qt's own warnings while reading it are held back
    // in that case, so that the user sees one message. The contract's tables
    // must outlive the interface.
    static std::unique_ptr<LoadedInterface> load(const QString& path, const InterfaceContract& contract,
                                                 std::string& error);

    ~LoadedInterface();
    LoadedInterface(const LoadedInterface&) = delete;
    LoadedInterface& operator=(const LoadedInterface&) = delete;

    QWidget* window() const { return window_.get(); }
    // The control made for the contract's outlet of that name; nullptr for
    // a name the contract does not hold.
    Control* outlet(std::string_view name) const;
    const std::vector<Sender>& senders() const { return senders_; }

    // Makes every sending control call `dispatch` when clicked or triggered,
    // with its own adapter as the sender.
    void connectActions(const Dispatch& dispatch);

private:
    explicit LoadedInterface(const InterfaceContract& contract);
    std::string bindOutlets();
    std::string collectSenders();
    std::string wireDrawer();
    std::string wireQuit();
    Control* adapterFor(QObject* object);

    // Declared before the window so that the window, and with it every
    // connection that uses an adapter, goes first.
    std::vector<std::unique_ptr<Control>> adapters;
    std::vector<std::pair<QObject*, Control*>> adapterOf;
    InterfaceContract contract;
    std::vector<std::pair<std::string_view, Control*>> outlets;
    std::vector<Sender> senders_;
    std::unique_ptr<QWidget> window_;
};

} // namespace eggtimer
