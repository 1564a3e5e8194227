// What happens when the main timer fires, and the sound's repeat loop.

#include "controller/KRMaster.h"

#include "media/KRMovieView.h"
#include "platform/LastPathComponent.h"

#include <algorithm>

namespace eggtimer {
namespace {

constexpr double kSoundReplayPause = 0.5;
// Enough to start the media framework and load a sound.
constexpr double kPrepareAhead = 3.0;
// After what fired, in the notice, when the file target could not be opened.
constexpr const char* kNotOpened = " (could not be opened)";

std::string valueOf(const FireInfo& info, const char* key) {
    auto found = info.find(key);
    return found == info.end() ? std::string() : found->second;
}

std::optional<std::string> valueFor(const FireInfo& info, Target target) {
    auto found = info.find(descriptionOf(target).valueKey);
    return found == info.end() ? std::nullopt : std::optional<std::string>(found->second);
}

std::optional<Target> targetOf(const FireInfo& info) {
    return targetNamed(valueOf(info, kFireInfoTarget));
}

// What the desktop's notice says fired, in the words of the status area.
std::string describeFired(const FireInfo& info, std::optional<Target> target) {
    if (!target)
        return "Timer";
    const TargetDescription& described = descriptionOf(*target);
    const std::string value = valueFor(info, *target).value_or("");
    return described.statusPrefix + (described.valueIsPath ? lastPathComponent(value) : value);
}

} // namespace

void KRMaster::timerFired(Timer& timer) {
    // A window closed while the timer ran comes back for the ring, before
    // the target: the alert panel belongs to it.
    platform.attention.bringWindowForward();
    // A copy: the alert panel below runs a modal loop, during which the
    // timer may be let go of.
    const FireInfo* held = std::any_cast<FireInfo>(&timer.userInfo());
    const FireInfo info = held ? *held : FireInfo{};
    const std::optional<Target> target = targetOf(info);
    const bool looping = target && descriptionOf(*target).loops;
    // A single-shot target ends the count-down as it fires. The alert panel
    // below runs a nested loop that would otherwise go on ticking, and the
    // status area must keep what its last tick before firing showed.
    if (!looping) {
        stopCountDown();
        updateProgress();
    }

    bool opened = true;
    if (target) {
        const std::optional<std::string> value = valueFor(info, *target);
        switch (*target) {
        case Target::Sound:
            fireSound(value);
            break;
        case Target::Music:
            fireMusic(value);
            break;
        case Target::File:
            opened = fireFile(value.value_or(""));
            break;
        case Target::Alert:
            fireAlert(value.value_or(""));
            break;
        }
    }

    std::function<void()> stop;
    if (looping)
        stop = [this] {
            if (timerStatus == TimerStatusFiring)
                startStopButton(nullptr);
        };
    platform.attention.requestUserAttention(describeFired(info, target) + (opened ? "" : kNotOpened),
                                            std::move(stop));
    unlockTargetSelecter();

    if (looping) {
        timerStatus = TimerStatusFiring;
        outlet.timerButton->setTitle("STOP");
    } else {
        // A timer with no target ends like one that opened a file.
        timerStatus = TimerStatusNotSet;
        outlet.timerButton->setTitle("START");
    }
    updateProgress();
}

// Readies the sound a timer will play shortly before it fires (the default
// sound when the chosen one is gone), so that the first play is not late:
// the media framework starts only when first needed, and a sound kept ready
// would wake the program while it waits.
void KRMaster::prepareToFire() {
    const FireInfo* info = std::any_cast<FireInfo>(&MainTimer->userInfo());
    if (!info || targetOf(*info) != Target::Sound)
        return;
    std::weak_ptr<Timer> scheduled = MainTimer;
    const std::string name = valueFor(*info, Target::Sound).value_or("");
    const double untilFiring = MainTimer->fireDate() - platform.runLoop.now();
    platform.runLoop.scheduleTimer(untilFiring - kPrepareAhead, false, [this, scheduled, name](Timer&) {
        auto timer = scheduled.lock();
        if (!timer || !timer->isValid() || timer != MainTimer)
            return;
        Sound* sound = platform.sounds.soundNamed(name);
        (sound ? *sound : platform.sounds.defaultSound()).prepare();
    });
}

void KRMaster::fireSound(const std::optional<std::string>& name) {
    firingSound = name ? platform.sounds.soundNamed(*name) : nullptr;
    if (!firingSound)
        return ringWithDefaultSound("the sound \"" + name.value_or("") + "\"",
                                    "it is in no sound folder or cannot be read");
    firingSound->setDelegate(this);
    firingSound->play();
}

void KRMaster::fireMusic(const std::optional<std::string>& path) {
    std::string why = "no music is chosen";
    std::unique_ptr<Movie> movie = path ? platform.media.movieWithPath(*path, &why) : nullptr;
    const std::string what = "\"" + path.value_or("") + "\"";
    if (!movie)
        return ringWithDefaultSound(what, why);
    firingMusicView = std::make_unique<KRMovieView>(platform.runLoop);
    firingMusicView->setMovie(std::move(movie));
    // The view stays, stopped, until STOP: it is still reporting.
    firingMusicView->setFailureHandler([this, what](const std::string& failure) {
        if (timerStatus == TimerStatusFiring && !ringsDefaultSound)
            ringWithDefaultSound(what, failure);
    });
    firingMusicView->start(this);
}

bool KRMaster::fireFile(const std::string& path) {
    platform.logger.log("OpenFile:" + path);
    if (platform.opener.openFile(path))
        return true;
    platform.logger.log("could not open \"" + path + "\": it is gone or no application opens it");
    platform.beeper.beep();
    return false;
}

void KRMaster::fireAlert(const std::string& message) {
    platform.beeper.beep();
    platform.panels.runAlertPanel(message, "Time has come.\n", "OK");
}

void KRMaster::soundDidFinishPlaying(Sound& sound, bool) {
    if (timerStatus != TimerStatusFiring)
        return;
    replayAfterPause(sound);
}

// A ring that cannot be heard would be a failure reported as success: the
// window says "Timer is firing." whatever sounds.
void KRMaster::ringWithDefaultSound(const std::string& what, const std::string& why) {
    platform.logger.log("ringing with the default sound: " + what + " cannot be played (" + why + ")");
    ringsDefaultSound = true;
    firingSound = &platform.sounds.defaultSound();
    firingSound->setDelegate(this);
    firingSound->play();
}

void KRMaster::soundCouldNotPlay(Sound& sound, const std::string& why) {
    if (timerStatus != TimerStatusFiring || &sound != firingSound)
        return;
    if (!ringsDefaultSound)
        return ringWithDefaultSound("the sound \"" + sound.name() + "\"", why);
    if (!saidNoSound)
        platform.logger.log("ringing without sound: no sound can be played (" + why + ")");
    saidNoSound = true;
    // Tried again, so that a sound server that comes back is heard.
    replayAfterPause(sound);
}

void KRMaster::replayAfterPause(Sound& sound) {
    Sound* replayed = &sound;
    std::erase_if(pendingReplays, [](const std::weak_ptr<Timer>& t) { return t.expired(); });
    pendingReplays.push_back(
        platform.runLoop.scheduleTimer(kSoundReplayPause, false, [replayed](Timer&) { replayed->play(); }));
}

void KRMaster::cancelPendingReplays() {
    for (const std::weak_ptr<Timer>& pending : pendingReplays)
        if (auto timer = pending.lock())
            timer->invalidate();
    pendingReplays.clear();
}

} // namespace eggtimer
