#pragma once
// Local calendar arithmetic on wall-clock instants, through the process's
// time zone (TZ).

#include "platform/RunLoop.h"

#include <string>

namespace eggtimer {

// Seconds from `now` until the alarm typed as `alarmMinutes` minutes after
// the local midnight that begins today (hour × 60 + minute, plus 720 for PM;
// not reduced, so 25:00 is tomorrow at 01:00): the first instant after now
// at which the local clock shows that time, today or else tomorrow. So the
// present minute means tomorrow; on the night the clocks go back, a time in
// the repeated hour fires in its first pass still to come; a time the clocks
// skip fires at the change, when the clock passes it. A daylight-saving
// change in between moves the interval, not the alarm.
double alarmInterval(WallTime now, double alarmMinutes);

// The instant as local date and time with its offset, "2026-12-06 16:41:36
// +0100". Instants no calendar can show read "never" (infinite), "after the
// year 9999" or "before the year 1".
std::string describeWallTime(WallTime instant);

} // namespace eggtimer
