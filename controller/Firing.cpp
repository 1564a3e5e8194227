// What happens when the main timer fires, and the sound's repeat loop.

#include "controller/KRMaster.h"

#include "controller/PathText.h"
#include "media/KRMovieView.h"

#include <algorithm>

namespace eggtimer {
namespace {

constexpr double kSoundReplayPause = 0.5;
// Enough to start the media framework and load a sound.
constexpr double kPrepareAhead = 3.0;

std::string valueOf(const FireInfo& info, const char* key) {
    auto found = info.find(key);
    return found == info.end() ? std::string() : found->second;
}

// What the desktop's notice says fired, in the words of the status area.
std::string describeFired(const FireInfo& info, const std::string& target) {
    if (target == "sound")
        return "[Sound] " + valueOf(info, "sound");
    if (target == "music")
        return "[Music] " + lastPathComponent(valueOf(info, "music"));
    if (target == "file")
        return "[File] " + lastPathComponent(valueOf(info, "file"));
    if (target == "alert")
        return "[Alert] " + valueOf(info, "msg");
    return "Timer";
}

} // namespace

void KRMaster::timerFired(Timer& timer) {
    // A copy: the alert panel below runs a modal loop, during which the
    // timer may be let go of.
    const FireInfo* held = std::any_cast<FireInfo>(&timer.userInfo());
    const FireInfo info = held ? *held : FireInfo{};
    const std::string target = valueOf(info, "target");
    const bool looping = target == "sound" || target == "music";
    // A single-shot target ends the count-down as it fires. The alert panel
    // below runs a nested loop that would otherwise go on ticking, and the
    // status area must keep what its last tick before firing showed.
    if (!looping) {
        stopCountDown();
        updateProgress();
    }

    if (target == "sound") {
        fireSound(info);
    } else if (target == "music") {
        fireMusic(info);
    } else if (target == "file") {
        fireFile(info);
    } else if (target == "alert") {
        fireAlert(info);
    }

    std::function<void()> stop;
    if (looping)
        stop = [this] {
            if (timerStatus == TimerStatusFiring)
                startStopButton(nullptr);
        };
    platform.desktop.requestUserAttention(describeFired(info, target), std::move(stop));
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

// Readies the sound a timer will play shortly before it fires, so that the
// first play is not late: the media framework starts only when first needed,
// and a sound kept ready would wake the program while it waits.
void KRMaster::prepareToFire() {
    const FireInfo* info = std::any_cast<FireInfo>(&MainTimer->userInfo());
    if (!info || valueOf(*info, "target") != "sound")
        return;
    std::weak_ptr<Timer> scheduled = MainTimer;
    const std::string name = valueOf(*info, "sound");
    const double untilFiring = MainTimer->fireDate() - platform.runLoop.now();
    platform.runLoop.scheduleTimer(untilFiring - kPrepareAhead, false, [this, scheduled, name](Timer&) {
        auto timer = scheduled.lock();
        if (timer && timer->isValid() && timer == MainTimer)
            if (Sound* sound = platform.sounds.soundNamed(name))
                sound->prepare();
    });
}

void KRMaster::fireSound(const FireInfo& info) {
    auto name = info.find("sound");
    firingSound = name == info.end() ? nullptr : platform.sounds.soundNamed(name->second);
    if (!firingSound)
        return;
    firingSound->setDelegate(this);
    firingSound->play();
}

void KRMaster::fireMusic(const FireInfo& info) {
    auto path = info.find("music");
    std::unique_ptr<Movie> movie = path == info.end() ? nullptr : platform.media.movieWithPath(path->second);
    firingMusicView = std::make_unique<KRMovieView>(platform.runLoop);
    firingMusicView->setMovie(std::move(movie));
    firingMusicView->start(this);
}

void KRMaster::fireFile(const FireInfo& info) {
    const std::string path = valueOf(info, "file");
    platform.desktop.log("OpenFile:" + path);
    platform.desktop.openFile(path);
}

void KRMaster::fireAlert(const FireInfo& info) {
    platform.desktop.beep();
    platform.desktop.runAlertPanel(valueOf(info, "msg"), "Time has come.\n", "OK");
}

void KRMaster::soundDidFinishPlaying(Sound& sound, bool) {
    if (timerStatus != TimerStatusFiring)
        return;
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
