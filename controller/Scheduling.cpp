// Turning the window's choices into a scheduled main timer.

#include "controller/KRMaster.h"

#include "controller/NumberText.h"
#include "controller/WallClockText.h"

#include <cmath>
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

std::optional<double> KRMaster::fireIntervalForMode(int mode, FireInfo& info) {
    switch (mode) {
    case 0: {
        info["mode"] = "min";
        int column = outlet.modeMinSelecter->selectedColumn();
        if (column < 0 || column > 4) {
            platform.desktop.beep();
            return std::nullopt;
        }
        return kPresetSeconds[column];
    }
    case 1:
        info["mode"] = "dhm";
        return durationSeconds(numberIn(outlet.modeDhmDay), numberIn(outlet.modeDhmHour),
                               numberIn(outlet.modeDhmMin));
    case 2: {
        info["mode"] = "alc";
        float hourMinutes = numberIn(outlet.modeAlcHour) * 60.0f;
        double alarmMinutes = hourMinutes + numberIn(outlet.modeAlcMin);
        if (outlet.modeAlcAMPMSelecter->selectedRow() != 0)
            alarmMinutes += 720;
        return alarmInterval(platform.runLoop.now(), alarmMinutes);
    }
    default:
        platform.desktop.beep();
        platform.desktop.log("tab:" + std::to_string(outlet.modeTab->indexOfSelectedItem()));
        return std::nullopt;
    }
}

bool KRMaster::setTimer() {
    FireInfo info;
    std::optional<double> interval = fireIntervalForMode(outlet.modeTab->indexOfSelectedItem(), info);
    if (!interval)
        return false;

    auto refuse = [this](const char* notice) {
        outlet.statFireTarget->setStringValue(notice);
        platform.desktop.beep();
        return false;
    };
    switch (outlet.targetSelecter->selectedRow()) {
    case 0: {
        std::optional<std::string> sound = outlet.targetSoundPopup->selectedItemTitle();
        if (!sound) {
            // No sound in the list: there is nothing to play when it fires.
            platform.desktop.beep();
            return false;
        }
        info["target"] = "sound";
        info["sound"] = *sound;
        break;
    }
    case 1:
        if (!targetMusicPath)
            return refuse("!Nortice! [Music] Music not selected.");
        info["target"] = "music";
        info["music"] = *targetMusicPath;
        break;
    case 2:
        if (!targetFilePath)
            return refuse("!Nortice! [File] File not selected.");
        info["target"] = "file";
        info["file"] = *targetFilePath;
        break;
    case 3: {
        std::string message = outlet.targetAlertMessage->stringValue();
        if (message.empty())
            return refuse("!Nortice! [Alert] Message not set.");
        info["target"] = "alert";
        info["msg"] = message;
        break;
    }
    default:
        break;
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
