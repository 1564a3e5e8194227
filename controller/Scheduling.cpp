// Turning the window's choices into a scheduled main timer.

#include "controller/KRMaster.h"

#include "text/NumberText.h"
#include "text/WallClockText.h"

#include <cmath>
#include <iterator>
#include <limits>
#include <string>

namespace eggtimer {
namespace {

constexpr double kPresetSeconds[] = {60, 180, 240, 300, 600};

float numberIn(const TextField* field) {
    return floatValueOf(field->stringValue());
}

} // namespace

// Days, hours and minutes are summed in single precision, each addition
// fused with the multiplication by 60 before it; fmaf rounds once, which a
// plain expression might or might not do depending on the compiler.
static double durationSeconds(float days, float hours, float minutes) {
    float dayTerm = days * 24.0f * 60.0f * 60.0f;
    float withHours = std::fmaf(hours * 60.0f, 60.0f, dayTerm);
    return std::fmaf(minutes, 60.0f, withHours);
}

std::optional<double> KRMaster::fireIntervalForMode(Mode mode) {
    switch (mode) {
    case Mode::MinutesPreset: {
        int column = outlet.modeMinSelecter->selectedColumn();
        if (column < 0 || column >= std::ssize(kPresetSeconds)) {
            platform.beeper.beep();
            return std::nullopt;
        }
        return kPresetSeconds[column];
    }
    case Mode::DaysHoursMinutes:
        return durationSeconds(numberIn(outlet.modeDhmDay), numberIn(outlet.modeDhmHour),
                               numberIn(outlet.modeDhmMin));
    case Mode::AlarmClock: {
        float hourMinutes = numberIn(outlet.modeAlcHour) * 60.0f;
        double alarmMinutes = hourMinutes + numberIn(outlet.modeAlcMin);
        if (outlet.modeAlcAMPMSelecter->selectedRow() != 0)
            alarmMinutes += 720;
        return alarmInterval(platform.runLoop.now(), alarmMinutes);
    }
    }
    return std::nullopt;
}

std::optional<std::string> KRMaster::targetValue(Target target) const {
    switch (target) {
    case Target::Sound:
        // None when the sound list is empty: there is nothing to play.
        return outlet.targetSoundPopup->selectedItemTitle();
    case Target::Music:
        return targetMusicPath;
    case Target::File:
        return targetFilePath;
    case Target::Alert: {
        std::string message = outlet.targetAlertMessage->stringValue();
        return message.empty() ? std::nullopt : std::optional<std::string>(std::move(message));
    }
    }
    return std::nullopt;
}

bool KRMaster::setTimer() {
    const int tab = outlet.modeTab->indexOfSelectedItem();
    const std::optional<Mode> mode = modeAtTab(tab);
    if (!mode) {
        platform.beeper.beep();
        platform.logger.log("tab:" + std::to_string(tab));
        return false;
    }
    std::optional<double> interval = fireIntervalForMode(*mode);
    if (!interval)
        return false;
    FireInfo info{{kFireInfoMode, descriptionOf(*mode).name}};

    if (std::optional<Target> target = targetAtRow(outlet.targetSelecter->selectedRow())) {
        const TargetDescription& described = descriptionOf(*target);
        std::optional<std::string> value = targetValue(*target);
        if (!value) {
            if (described.refusal)
                outlet.statFireTarget->setStringValue(described.refusal);
            platform.beeper.beep();
            return false;
        }
        info[kFireInfoTarget] = described.name;
        info[described.valueKey] = std::move(*value);
    }

    // Infinities of opposite sign summed to no value at all: such a timer
    // would never come, so it waits forever rather than firing at once.
    if (std::isnan(*interval))
        interval = std::numeric_limits<double>::infinity();
    MainTimer = platform.runLoop.scheduleTimer(
        *interval, false, [this](Timer& timer) { timerFired(timer); }, std::move(info));
    timerStatus = TimerStatusRunning;
    return true;
}

} // namespace eggtimer
