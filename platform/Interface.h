#pragma once
// What a controller asks of the interface file, as plain data: the controls
// it needs by name and kind, and the actions the controls may send. A
// toolkit's loader checks a file against these without knowing the
// controller; the application binds what it loaded to the controller.

#include <span>

namespace eggtimer {

// The kinds of control in platform/Controls.h that a named control can be.
enum class OutletKind { Matrix, TextField, Button, PopUpButton, TabView, Drawer, View, ProgressIndicator };

struct OutletDescription {
    const char* name;
    OutletKind kind;
};

struct ActionDescription {
    // As the interface file spells it: "startStopButton:".
    const char* name;
    // The control whose name pairs it with this action and that must send
    // it; nullptr when any control may.
    const char* sentBy;
    // The action reads its sender's tag, so every sender must carry one.
    bool readsTag;
};

struct InterfaceContract {
    std::span<const OutletDescription> outlets;
    std::span<const ActionDescription> actions;
};

} // namespace eggtimer
