#pragma once
// The controls of the window the controller is connected to. Every outlet is
// named once, in EGGTIMER_OUTLETS; the struct, the table the interface file
// is checked against and the iteration below are made from that list, so
// that adding or renaming an outlet cannot miss a copy.

#include "platform/Controls.h"
#include "platform/Interface.h"

#include <array>
#include <string>

// X(name, kind): the outlet's name, which is also the objectName of its
// control in the interface file, and its kind of control (a class in
// platform/Controls.h and an OutletKind of the same name).
#define EGGTIMER_OUTLETS(X)                                                                                  \
    X(modeAlcAMPMSelecter, Matrix)                                                                           \
    X(modeAlcHour, TextField)                                                                                \
    X(modeAlcMin, TextField)                                                                                 \
    X(modeDhmDay, TextField)                                                                                 \
    X(modeDhmHour, TextField)                                                                                \
    X(modeDhmMin, TextField)                                                                                 \
    X(modeMinSelecter, Matrix)                                                                               \
    X(modeNext, Button)                                                                                      \
    X(modePrev, Button)                                                                                      \
    X(modeTab, TabView)                                                                                      \
    X(statFireTarget, TextField)                                                                             \
    X(statFireTime, TextField)                                                                               \
    X(statSeconds, TextField)                                                                                \
    X(statTimer, TextField)                                                                                  \
    X(targetAlertMessage, TextField)                                                                         \
    X(targetDrawer, Drawer)                                                                                  \
    X(targetFileName, TextField)                                                                             \
    X(targetFileSelect, Button)                                                                              \
    X(targetMusicName, TextField)                                                                            \
    X(targetMusicSelect, Button)                                                                             \
    X(targetSelecter, Matrix)                                                                                \
    X(targetSelectView, View)                                                                                \
    X(targetSoundPopup, PopUpButton)                                                                         \
    X(targetToggleButton, Button)                                                                            \
    X(timerButton, Button)                                                                                   \
    X(timerProgress, ProgressIndicator)                                                                      \
    X(timerRepeat, Button)

namespace eggtimer {

struct Outlets {
#define EGGTIMER_OUTLET_MEMBER(name, kind) kind* name = nullptr;
    EGGTIMER_OUTLETS(EGGTIMER_OUTLET_MEMBER)
#undef EGGTIMER_OUTLET_MEMBER
};

inline constexpr auto kOutletDescriptions = std::to_array<OutletDescription>({
#define EGGTIMER_OUTLET_DESCRIPTION(name, kind) {#name, OutletKind::kind},
    EGGTIMER_OUTLETS(EGGTIMER_OUTLET_DESCRIPTION)
#undef EGGTIMER_OUTLET_DESCRIPTION
});

// Calls f(name, field) for every outlet, in the order of kOutletDescriptions;
// `field` is a reference to the typed member.
template <class O, class F> void forEachOutlet(O& outlets, F&& f) {
#define EGGTIMER_OUTLET_VISIT(name, kind) f(#name, outlets.name);
    EGGTIMER_OUTLETS(EGGTIMER_OUTLET_VISIT)
#undef EGGTIMER_OUTLET_VISIT
}

// Stores `control` in the outlet called `name`. Returns false when no outlet
// has that name or the control is not of the outlet's kind.
bool bindOutlet(Outlets& outlets, const std::string& name, Control* control);

} // namespace eggtimer
