#pragma once
// How a timer's interval is given, each mode described once: its page in the
// mode tabs and how a scheduled timer names it.

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>

namespace eggtimer {

enum class Mode { MinutesPreset, DaysHoursMinutes, AlarmClock };

struct ModeDescription {
    Mode mode;
    int tab;
    // The FireInfo's "mode" for it.
    const char* name;
};

inline constexpr auto kModes = std::to_array<ModeDescription>({
    {Mode::MinutesPreset, 0, "min"},
    {Mode::DaysHoursMinutes, 1, "dhm"},
    {Mode::AlarmClock, 2, "alc"},
});

constexpr const ModeDescription& descriptionOf(Mode mode) {
    return kModes[static_cast<std::size_t>(mode)];
}

// The mode on a page of the tabs, which a damaged settings file can set to
// any number; none for a page that is no mode's.
constexpr std::optional<Mode> modeAtTab(int index) {
    auto found = std::ranges::find(kModes, index, &ModeDescription::tab);
    return found == kModes.end() ? std::nullopt : std::optional<Mode>(found->mode);
}

static_assert(std::ranges::all_of(kModes,
                                  [](const ModeDescription& d) { return &descriptionOf(d.mode) == &d; }),
              "kModes is in the order of Mode");

} // namespace eggtimer
