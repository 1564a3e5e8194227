#include "controller/Outlets.h"

#include <type_traits>

namespace eggtimer {

namespace {

// Calls f(name, field) for every outlet, in the order of kOutletDescriptions.
template <class O, class F> void forEachOutlet(O& o, F&& f) {
    f("modeAlcAMPMSelecter", o.modeAlcAMPMSelecter);
    f("modeAlcHour", o.modeAlcHour);
    f("modeAlcMin", o.modeAlcMin);
    f("modeDhmDay", o.modeDhmDay);
    f("modeDhmHour", o.modeDhmHour);
    f("modeDhmMin", o.modeDhmMin);
    f("modeMinSelecter", o.modeMinSelecter);
    f("modeNext", o.modeNext);
    f("modePrev", o.modePrev);
    f("modeTab", o.modeTab);
    f("statFireTarget", o.statFireTarget);
    f("statFireTime", o.statFireTime);
    f("statSeconds", o.statSeconds);
    f("statTimer", o.statTimer);
    f("targetAlertMessage", o.targetAlertMessage);
    f("targetDrawer", o.targetDrawer);
    f("targetFileName", o.targetFileName);
    f("targetFileSelect", o.targetFileSelect);
    f("targetMusicName", o.targetMusicName);
    f("targetMusicSelect", o.targetMusicSelect);
    f("targetSelecter", o.targetSelecter);
    f("targetSelectView", o.targetSelectView);
    f("targetSoundPopup", o.targetSoundPopup);
    f("targetToggleButton", o.targetToggleButton);
    f("timerButton", o.timerButton);
    f("timerRepeat", o.timerRepeat);
}

} // namespace

bool bindOutlet(Outlets& outlets, const std::string& name, Control* control) {
    bool bound = false;
    forEachOutlet(outlets, [&](const char* outlet, auto*& field) {
        if (bound || name != outlet) {
            return;
        }
        using Kind = std::remove_reference_t<decltype(*field)>;
        if (auto* typed = dynamic_cast<Kind*>(control)) {
            field = typed;
            bound = true;
        }
    });
    return bound;
}

const char* firstUnboundOutlet(const Outlets& outlets) {
    const char* unbound = nullptr;
    forEachOutlet(outlets, [&](const char* outlet, auto* field) {
        if (unbound == nullptr && field == nullptr) {
            unbound = outlet;
        }
    });
    return unbound;
}

} // namespace eggtimer
