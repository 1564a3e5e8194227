#include "controller/KRMaster.h"

#include "media/KRMovieView.h"

#include <array>
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

KRMaster::ActionMethod KRMaster::actionNamed(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, ActionMethod>, 7> kActions{{
        {"startStopButton:", &KRMaster::startStopButton},
        {"changeModeWithSenderTag:", &KRMaster::changeModeWithSenderTag},
        {"nextMode:", &KRMaster::nextMode},
        {"prevMode:", &KRMaster::prevMode},
        {"selectTargetFile:", &KRMaster::selectTargetFile},
        {"selectTargetMusic:", &KRMaster::selectTargetMusic},
        {"testPlayTargetSound:", &KRMaster::testPlayTargetSound},
    }};
    for (const auto& [actionName, method] : kActions)
        if (actionName == name)
            return method;
    return nullptr;
}

void KRMaster::awakeFromNib() {
    readySoundPopup();
    loadFromUserDefaults();
    updateStat();
}

} // namespace eggtimer
