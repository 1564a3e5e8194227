#pragma once
// Local calendar arithmetic on wall-clock instants, through the process's
// time zone (TZ).

#include "platform/RunLoop.h"

#include <string>

namespace eggtimer {

// Seconds from `now` until the alarm typed as `alarmMinutes` minutes after
// the local midnight that begins today (hour × 60 + minute, plus 720 for PM;
// not reduced, so 25:00 is tomorrow at 01:00). When that is not later than
// the present minute, the alarm is for the same clock time a day later.
// The fire date is the typed local time, so a daylight-saving change in
// between moves the interval, not the alarm.
double alarmInterval(WallTime now, double alarmMinutes);

// The instant as local date and time with its offset, "2026-12-06 16:41:36
// +0100". Instants no calendar can show read "never" (infinite), "after the
// year 9999" or "before the year 1".
std::string describeWallTime(WallTime instant);

} // namespace eggtimer
