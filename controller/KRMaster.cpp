#include "controller/KRMaster.h"

#include "media/KRMovieView.h"

#include <utility>

namespace eggtimer {

KRMaster::KRMaster(Services services, const Outlets& outlets)
    : platform(services)
    , outlet(outlets) {}

KRMaster::~KRMaster() {
    // The controller lives for the whole run; this only keeps shutdown quiet.
    cancelPendingReplays();
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
