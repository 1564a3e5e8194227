#include "controller/KRMaster.h"

#include "media/KRMovieView.h"

#include <utility>

namespace eggtimer {

KRMaster::KRMaster(Services services, const Outlets& outlets)
    : platform(services)
    , outlet(outlets) {}

KRMaster::~KRMaster() {
    // The controller lives for the whole run; this only keeps shutdown quiet,
    // and silent at once: what rings stops before the program takes its leave
    // of the desktop.
    cancelPendingReplays();
    if (firingSound) {
        firingSound->setDelegate(nullptr); // its end is reported after this is gone
        firingSound->stop();
    }
    if (firingMusicView)
        firingMusicView->stop(this);
    if (CountDownTimer)
        CountDownTimer->invalidate();
    if (MainTimer)
        MainTimer->invalidate();
}

void KRMaster::awakeFromNib() {
    readySoundPopup();
    loadFromUserDefaults();
    updateStat();
}

} // namespace eggtimer
