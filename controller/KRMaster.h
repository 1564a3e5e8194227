#pragma once
// Names here, in controller/Outlets.h and controller/Actions.h, and the texts
// the window shows are fixed on purpose: stored settings and users' habits
// depend on them. Leave "Selecter", "!Nortice! " and "seconds has past" as
// they are.
//
// The application's one controller. It holds the timer's state, the main
// timer and the once-a-second ticker, what sounds while a timer fires, the two
// chosen paths, and the window's controls (its outlets). Every control action,
// timer callback and sound callback reaches it on the main loop, one at a time.
//
// Member functions are grouped by concern over several source files:
// StartStop.cpp, Scheduling.cpp, Firing.cpp, Status.cpp, ModeNavigation.cpp,
// TargetChoice.cpp and Settings.cpp.

#include "controller/FireInfo.h"
#include "controller/Mode.h"
#include "controller/Outlets.h"
#include "controller/Target.h"
#include "platform/Platform.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace eggtimer {

class KRMovieView;

enum TimerStatus : std::int32_t {
    TimerStatusNotSet = 0,
    TimerStatusRunning = 1,
    TimerStatusFiring = 2,
};

class KRMaster final : public SoundDelegate {
public:
    KRMaster(Services services, const Outlets& outlets);
    ~KRMaster() override;
    KRMaster(const KRMaster&) = delete;
    KRMaster& operator=(const KRMaster&) = delete;

    // Actions: what the window's controls send (controller/Actions.h names
    // them for the interface file). Only changeModeWithSenderTag looks at its
    // sender (its tag); the others ignore it.
    void startStopButton(Control* sender);
    void changeModeWithSenderTag(Control* sender);
    void nextMode(Control* sender);
    void prevMode(Control* sender);
    void selectTargetFile(Control* sender);
    void selectTargetMusic(Control* sender);
    void testPlayTargetSound(Control* sender);

    // Called once the interface file is loaded and every outlet is bound:
    // fills the sound list, restores the saved choices and draws the status
    // area.
    void awakeFromNib();

    // A sound that fired reports its end here, to be played again.
    void soundDidFinishPlaying(Sound& sound, bool finished) override;
    // A ringing sound that cannot play gives way to the default sound, which
    // is tried again after each pause when even it cannot.
    void soundCouldNotPlay(Sound& sound, const std::string& why) override;

    // Read-only views of the state, for the window and the tests.
    TimerStatus status() const { return static_cast<TimerStatus>(timerStatus); }
    const std::shared_ptr<Timer>& mainTimer() const { return MainTimer; }
    const std::shared_ptr<Timer>& countDownTimer() const { return CountDownTimer; }
    double secondsPast() const { return pastCount; }
    Sound* sound() const { return firingSound; }
    KRMovieView* musicView() const { return firingMusicView.get(); }
    const std::optional<std::string>& musicPath() const { return targetMusicPath; }
    const std::optional<std::string>& filePath() const { return targetFilePath; }

private:
    // Start/stop cycle.
    void clearTimer();
    void lockTargetSelecter();
    void unlockTargetSelecter();

    // Scheduling: true when the main timer was scheduled.
    bool setTimer();
    std::optional<double> fireIntervalForMode(Mode mode);
    // What the target carries to its firing; none while it is incomplete.
    std::optional<std::string> targetValue(Target target) const;

    // Firing: the main timer's callback.
    void timerFired(Timer& timer);
    void fireSound(const std::optional<std::string>& name);
    void fireMusic(const std::optional<std::string>& path);
    // False when the file could not be opened.
    bool fireFile(const std::string& path);
    void fireAlert(const std::string& message);
    // The ring goes on with the program's own sound: `what` was to ring and
    // cannot, for the reason `why`.
    void ringWithDefaultSound(const std::string& what, const std::string& why);
    void replayAfterPause(Sound& sound);
    void cancelPendingReplays();
    void prepareToFire();

    // Ticker and status area.
    void startCountDown();
    void stopCountDown();
    void countDown();
    void updateStat();
    void updateStatTimer();
    void updateStatSeconds();
    void updateStatFireTime();
    void updateStatFireTarget();
    // What the target's controls show of it, after its status prefix.
    std::string shownTarget(Target target) const;
    // Shows how far the timer has come, in the window and on the desktop.
    void updateProgress();

    // Targets.
    void readySoundPopup();
    void chooseTargetPath(const char* title, const std::vector<std::string>* extensions,
                          std::optional<std::string>& path, TextField* nameField, Target target);

    // Settings: written at each accepted START, read once by awakeFromNib.
    void loadFromUserDefaults();
    void saveToUserDefaults();

    Services platform;
    Outlets outlet;

    std::int32_t timerStatus = TimerStatusNotSet;
    std::shared_ptr<Timer> MainTimer;
    std::shared_ptr<Timer> CountDownTimer;
    double pastCount = 0.0;
    // When the running timer was started, for its progress.
    double startedAt = 0.0;
    Sound* firingSound = nullptr; // kept alive by the sound registry
    std::unique_ptr<KRMovieView> firingMusicView;
    std::optional<std::string> targetMusicPath;
    std::optional<std::string> targetFilePath;
    // Sound re-plays waiting out their pause; STOP cancels them.
    std::vector<std::weak_ptr<Timer>> pendingReplays;
    // This ring has given way to the default sound; and the log has said
    // that not even it can be heard.
    bool ringsDefaultSound = false;
    bool saidNoSound = false;
};

} // namespace eggtimer
