#pragma once
// The controller's actions, each named once, in EGGTIMER_ACTIONS: the table
// the interface file is checked against and the member function each name
// performs are made from that list, in the same order.

#include "controller/KRMaster.h"
#include "controller/Outlets.h"
#include "platform/Interface.h"

#include <algorithm>
#include <array>
#include <string_view>

// X(method, sentBy, readsTag): the member function, whose name followed by a
// colon is how the interface file spells the action; the outlet that must
// send it, or nullptr; whether it reads its sender's tag.
#define EGGTIMER_ACTIONS(X)                                                                                  \
    X(startStopButton, "timerButton", false)                                                                 \
    X(changeModeWithSenderTag, nullptr, true)                                                                \
    X(nextMode, "modeNext", false)                                                                           \
    X(prevMode, "modePrev", false)                                                                           \
    X(selectTargetFile, "targetFileSelect", false)                                                           \
    X(selectTargetMusic, "targetMusicSelect", false)                                                         \
    X(testPlayTargetSound, nullptr, false)

namespace eggtimer {

inline constexpr auto kActionDescriptions = std::to_array<ActionDescription>({
#define EGGTIMER_ACTION_DESCRIPTION(method, sentBy, readsTag) {#method ":", sentBy, readsTag},
    EGGTIMER_ACTIONS(EGGTIMER_ACTION_DESCRIPTION)
#undef EGGTIMER_ACTION_DESCRIPTION
});

using ActionMethod = void (KRMaster::*)(Control* sender);

// kActionMethods[i] performs kActionDescriptions[i].
inline constexpr auto kActionMethods = std::to_array<ActionMethod>({
#define EGGTIMER_ACTION_METHOD(method, sentBy, readsTag) &KRMaster::method,
    EGGTIMER_ACTIONS(EGGTIMER_ACTION_METHOD)
#undef EGGTIMER_ACTION_METHOD
});

// A pairing with an outlet that does not exist would make every interface
// file fail its check; better the build.
static_assert(std::ranges::all_of(kActionDescriptions, [](const ActionDescription& action) {
    return action.sentBy == nullptr ||
           std::ranges::any_of(kOutletDescriptions, [&](const OutletDescription& outlet) {
               return std::string_view(outlet.name) == action.sentBy;
           });
}));

} // namespace eggtimer
