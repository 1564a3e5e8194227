// The one button that starts, clears and stops the timer, and the lock that
// keeps the target controls still while a timer runs.

#include "controller/KRMaster.h"

#include "media/KRMovieView.h"

namespace eggtimer {

void KRMaster::startStopButton(Control*) {
    switch (timerStatus) {
    case TimerStatusNotSet:
        startedAt = platform.runLoop.now();
        if (!setTimer())
            return;
        // The last ring, a file or an alert, is over once a new timer runs.
        platform.attention.withdrawAttention();
        updateStat();
        saveToUserDefaults();
        startCountDown();
        lockTargetSelecter();
        outlet.timerButton->setTitle("CLEAR");
        timerStatus = TimerStatusRunning;
        updateProgress();
        prepareToFire();
        break;
    case TimerStatusRunning:
        clearTimer();
        updateStat();
        unlockTargetSelecter();
        outlet.timerButton->setTitle("START");
        timerStatus = TimerStatusNotSet;
        updateProgress();
        break;
    case TimerStatusFiring:
        stopCountDown();
        outlet.timerButton->setTitle("START");
        // Set before the sound stops, so that the end it reports is not
        // taken for the end of a play to repeat.
        timerStatus = TimerStatusNotSet;
        cancelPendingReplays();
        if (firingSound)
            firingSound->stop();
        firingSound = nullptr;
        ringsDefaultSound = saidNoSound = false;
        if (firingMusicView)
            firingMusicView->stop(this);
        firingMusicView.reset();
        updateProgress();
        platform.attention.withdrawAttention();
        break;
    }
}

void KRMaster::clearTimer() {
    stopCountDown();
    if (MainTimer)
        MainTimer->invalidate();
    MainTimer.reset();
}

void KRMaster::lockTargetSelecter() {
    outlet.targetFileSelect->setEnabled(false);
    outlet.targetMusicSelect->setEnabled(false);
    outlet.targetAlertMessage->setEnabled(false);
    outlet.targetSelecter->setEnabled(false);
    outlet.targetSoundPopup->setEnabled(false);
    outlet.targetDrawer->close();
}

void KRMaster::unlockTargetSelecter() {
    outlet.targetFileSelect->setEnabled(true);
    outlet.targetMusicSelect->setEnabled(true);
    outlet.targetAlertMessage->setEnabled(true);
    outlet.targetSelecter->setEnabled(true);
    outlet.targetSoundPopup->setEnabled(true);
}

} // namespace eggtimer
