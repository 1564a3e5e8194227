// The once-a-second ticker, the four lines of the status area and the
// timer's progress, in the window's bar and on the desktop. The lines that concern the timer follow the
// main timer (none, waiting, or fired and still held), never the button's
// state.

#include "controller/KRMaster.h"

#include "text/WallClockText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace eggtimer {
namespace {

constexpr double kTickInterval = 1.0;

// printf-style formatting of one double into a string of any length.
std::string formatNumber(const char* format, double value) {
    int length = std::snprintf(nullptr, 0, format, value);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, value);
    return text;
}

} // namespace

void KRMaster::startCountDown() {
    if (CountDownTimer)
        stopCountDown();
    CountDownTimer = platform.runLoop.scheduleTimer(kTickInterval, true, [this](Timer&) { countDown(); });
    pastCount = 0.0;
}

void KRMaster::stopCountDown() {
    if (CountDownTimer)
        CountDownTimer->invalidate();
    CountDownTimer.reset();
}

void KRMaster::countDown() {
    // The state line changes only once after firing; the seconds after it
    // are counted ticks, since there is no later date to measure against.
    if (pastCount == 0.0)
        updateStatTimer();
    if (MainTimer && !MainTimer->isValid())
        pastCount += 1.0;
    updateStatSeconds();
    updateProgress();
}

void KRMaster::updateProgress() {
    TimerProgress progress;
    if (timerStatus == TimerStatusFiring) {
        progress.state = TimerProgress::State::Firing;
    } else if (MainTimer && MainTimer->isValid()) {
        const double now = platform.runLoop.now(), fireDate = MainTimer->fireDate();
        const double interval = fireDate - startedAt;
        progress.state = TimerProgress::State::Running;
        progress.passed = interval > 0.0 ? std::clamp((now - startedAt) / interval, 0.0, 1.0) : 1.0;
        progress.minutesLeft = static_cast<long>(std::ceil(std::max(fireDate - now, 0.0) / 60.0));
    }
    // Nothing has passed but while the timer runs: the bar is empty then.
    outlet.timerProgress->setDoubleValue(progress.passed);
    platform.progress.showProgress(progress);
    // A suspend for idleness would hold the ring until someone wakes the
    // machine: keep it awake while the timer counts or rings.
    platform.progress.keepAwake(progress.state != TimerProgress::State::Idle);
}

void KRMaster::updateStat() {
    updateStatTimer();
    updateStatSeconds();
    updateStatFireTime();
    updateStatFireTarget();
}

void KRMaster::updateStatTimer() {
    if (!MainTimer)
        outlet.statTimer->setStringValue("Timer not set.");
    else if (MainTimer->isValid())
        outlet.statTimer->setStringValue("Timer is running.");
    else
        outlet.statTimer->setStringValue("Timer is firing.");
}

void KRMaster::updateStatSeconds() {
    if (!MainTimer)
        outlet.statSeconds->setStringValue("");
    else if (MainTimer->isValid())
        outlet.statSeconds->setStringValue(
            formatNumber("( %.0f seconds after )", MainTimer->fireDate() - platform.runLoop.now()));
    else
        outlet.statSeconds->setStringValue(formatNumber("( %.0f seconds has past )", pastCount));
}

void KRMaster::updateStatFireTime() {
    if (!MainTimer)
        outlet.statFireTime->setStringValue("fire at: ");
    else
        outlet.statFireTime->setStringValue("fire at: " + describeWallTime(MainTimer->fireDate()));
}

void KRMaster::updateStatFireTarget() {
    const std::optional<Target> target = targetAtRow(outlet.targetSelecter->selectedRow());
    outlet.statFireTarget->setStringValue(target ? descriptionOf(*target).statusPrefix + shownTarget(*target)
                                                 : kUnknownTargetPrefix);
}

std::string KRMaster::shownTarget(Target target) const {
    switch (target) {
    case Target::Sound:
        return outlet.targetSoundPopup->selectedItemTitle().value_or("");
    case Target::Music:
        return outlet.targetMusicName->stringValue();
    case Target::File:
        return outlet.targetFileName->stringValue();
    case Target::Alert:
        return outlet.targetAlertMessage->stringValue();
    }
    return "";
}

} // namespace eggtimer
