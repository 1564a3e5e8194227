#pragma once
// What a timer can do when it fires, each target described once: its row in
// the target selecter, how a scheduled timer names it and its value, how the
// status area and the fired notice begin its line, what START shows when it
// is incomplete, and whether it sounds until STOP.

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace eggtimer {

enum class Target { Sound, Music, File, Alert };

struct TargetDescription {
    Target target;
    int selecterRow;
    // The FireInfo's "target" for it, and the key of the one value it carries.
    const char* name;
    const char* valueKey;
    const char* statusPrefix;
    // Shown in the status area when START finds the target incomplete;
    // nullptr where START only beeps.
    const char* refusal;
    // Its value is a path, shown by its last component.
    bool valueIsPath;
    // It goes on until STOP; the others end the timer as they fire.
    bool loops;
};

inline constexpr auto kTargets = std::to_array<TargetDescription>({
    {Target::Sound, 0, "sound", "sound", "[Sound] ", nullptr, false, true},
    {Target::Music, 1, "music", "music", "[Music] ", "!Nortice! [Music] Music not selected.", true, true},
    {Target::File, 2, "file", "file", "[File] ", "!Nortice! [File] File not selected.", true, false},
    {Target::Alert, 3, "alert", "msg", "[Alert] ", "!Nortice! [Alert] Message not set.", false, false},
});

// The status line's beginning when the selecter's row is no target's.
inline constexpr const char* kUnknownTargetPrefix = "[?] ";

constexpr const TargetDescription& descriptionOf(Target target) {
    return kTargets[static_cast<std::size_t>(target)];
}

// The target at a row of the selecter, which a damaged settings file can set
// to any number; none for a row that is no target's.
constexpr std::optional<Target> targetAtRow(int row) {
    auto found = std::ranges::find(kTargets, row, &TargetDescription::selecterRow);
    return found == kTargets.end() ? std::nullopt : std::optional<Target>(found->target);
}

// The target a FireInfo names; none for any other name.
constexpr std::optional<Target> targetNamed(std::string_view name) {
    auto found =
        std::ranges::find_if(kTargets, [name](const TargetDescription& d) { return d.name == name; });
    return found == kTargets.end() ? std::nullopt : std::optional<Target>(found->target);
}

static_assert(std::ranges::all_of(kTargets,
                                  [](const TargetDescription& d) { return &descriptionOf(d.target) == &d; }),
              "kTargets is in the order of Target");

} // namespace eggtimer
