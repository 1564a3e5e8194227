#pragma once
// The controls of the window the controller is connected to, and the table
// by which the interface file's loader finds and checks them.

#include "platform/Controls.h"

#include <array>
#include <string>

namespace eggtimer {

struct Outlets {
    Matrix* modeAlcAMPMSelecter = nullptr;
    TextField* modeAlcHour = nullptr;
    TextField* modeAlcMin = nullptr;
    TextField* modeDhmDay = nullptr;
    TextField* modeDhmHour = nullptr;
    TextField* modeDhmMin = nullptr;
    Matrix* modeMinSelecter = nullptr;
    Button* modeNext = nullptr;
    Button* modePrev = nullptr;
    TabView* modeTab = nullptr;
    TextField* statFireTarget = nullptr;
    TextField* statFireTime = nullptr;
    TextField* statSeconds = nullptr;
    TextField* statTimer = nullptr;
    TextField* targetAlertMessage = nullptr;
    Drawer* targetDrawer = nullptr;
    TextField* targetFileName = nullptr;
    Button* targetFileSelect = nullptr;
    TextField* targetMusicName = nullptr;
    Button* targetMusicSelect = nullptr;
    Matrix* targetSelecter = nullptr;
    View* targetSelectView = nullptr;
    PopUpButton* targetSoundPopup = nullptr;
    Button* targetToggleButton = nullptr;
    Button* timerButton = nullptr;
    Button* timerRepeat = nullptr;
};

enum class OutletKind { Matrix, TextField, Button, PopUpButton, TabView, Drawer, View };

struct OutletDescription {
    const char* name;
    OutletKind kind;
};

inline constexpr std::array<OutletDescription, 26> kOutletDescriptions{{
    {"modeAlcAMPMSelecter", OutletKind::Matrix},
    {"modeAlcHour", OutletKind::TextField},
    {"modeAlcMin", OutletKind::TextField},
    {"modeDhmDay", OutletKind::TextField},
    {"modeDhmHour", OutletKind::TextField},
    {"modeDhmMin", OutletKind::TextField},
    {"modeMinSelecter", OutletKind::Matrix},
    {"modeNext", OutletKind::Button},
    {"modePrev", OutletKind::Button},
    {"modeTab", OutletKind::TabView},
    {"statFireTarget", OutletKind::TextField},
    {"statFireTime", OutletKind::TextField},
    {"statSeconds", OutletKind::TextField},
    {"statTimer", OutletKind::TextField},
    {"targetAlertMessage", OutletKind::TextField},
    {"targetDrawer", OutletKind::Drawer},
    {"targetFileName", OutletKind::TextField},
    {"targetFileSelect", OutletKind::Button},
    {"targetMusicName", OutletKind::TextField},
    {"targetMusicSelect", OutletKind::Button},
    {"targetSelecter", OutletKind::Matrix},
    {"targetSelectView", OutletKind::View},
    {"targetSoundPopup", OutletKind::PopUpButton},
    {"targetToggleButton", OutletKind::Button},
    {"timerButton", OutletKind::Button},
    {"timerRepeat", OutletKind::Button},
}};

// Stores `control` in the outlet called `name`. Returns false when no outlet
// has that name or the control is not of the outlet's kind.
bool bindOutlet(Outlets& outlets, const std::string& name, Control* control);

// The name of the first outlet still unbound, or nothing when all are bound.
const char* firstUnboundOutlet(const Outlets& outlets);

} // namespace eggtimer
