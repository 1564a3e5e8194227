#include "text/WallClockText.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <optional>

namespace eggtimer {
namespace {

// Beyond this many minutes from midnight the calendar fields would overflow;
// such an alarm is decades away, where an hour of daylight saving is moot.
constexpr double kCalendarMinutesLimit = 1.0e8;

// 0001-01-01 and 9999-12-31 23:59:59 UTC, in seconds since the epoch.
constexpr double kFirstShownInstant = -62135596800.0;
constexpr double kLastShownInstant = 253402300799.0;

} // namespace

namespace {

long utcOffsetAt(double instant) {
    const std::time_t second = static_cast<std::time_t>(std::floor(instant));
    std::tm local{};
    localtime_r(&second, &local);
    return local.tm_gmtoff;
}

// The first instant at which the local clock shows `wall` (a local date and
// time written as if it were UTC) or a later time. When the clocks go back,
// a time shows twice and `after` picks between the passes; when they go
// forward over it, the clock passes it at the change itself.
std::optional<double> firstShowing(double wall, double after) {
    // The offsets in force around that time: a zone changes its offset at
    // most once in a day, and never by more than a day.
    const long offsets[] = {utcOffsetAt(wall - 86400), utcOffsetAt(wall), utcOffsetAt(wall + 86400)};
    std::optional<double> first;
    bool shown = false;
    for (long offset : offsets) {
        const double instant = wall - static_cast<double>(offset);
        if (utcOffsetAt(instant) != offset)
            continue;
        shown = true;
        if (instant > after && (!first || instant < *first))
            first = instant;
    }
    if (shown || offsets[0] == offsets[2])
        return first;
    // Skipped: find the change, the first second with the later offset.
    double before = wall - static_cast<double>(std::max(offsets[0], offsets[2]));
    double past = wall - static_cast<double>(std::min(offsets[0], offsets[2]));
    if (utcOffsetAt(before) == utcOffsetAt(past))
        return std::nullopt;
    before = std::floor(before), past = std::ceil(past);
    while (past - before > 1) {
        const double middle = std::floor((before + past) / 2);
        (utcOffsetAt(middle) == utcOffsetAt(before) ? before : past) = middle;
    }
    return past > after ? std::optional<double>(past) : std::nullopt;
}

// The local midnight that begins the day `days` after the one of `local`,
// plus `minutes`, written as if it were UTC.
double wallTime(const std::tm& local, int days, double minutes) {
    std::tm day{};
    day.tm_year = local.tm_year;
    day.tm_mon = local.tm_mon;
    day.tm_mday = local.tm_mday + days;
    return static_cast<double>(timegm(&day)) + minutes * 60.0;
}

} // namespace

double alarmInterval(WallTime now, double alarmMinutes) {
    const std::time_t wholeNow = static_cast<std::time_t>(std::floor(now));
    std::tm local{};
    localtime_r(&wholeNow, &local);
    const int nowMinutes = local.tm_hour * 60 + local.tm_min;
    const bool nextDay = !(alarmMinutes > nowMinutes);

    if (!std::isfinite(alarmMinutes) || std::fabs(alarmMinutes) > kCalendarMinutesLimit) {
        double diff = alarmMinutes - nowMinutes + (nextDay ? 1440.0 : 0.0);
        return diff * 60.0 - local.tm_sec;
    }

    // The first instant after now at which the clock shows the typed time,
    // today or else tomorrow. Comparing instants rather than minutes of the
    // day is what gets the night the clocks go back right: in the second
    // pass of the repeated hour, a time in it is still to come.
    for (int days = 0; days <= 1; ++days)
        if (std::optional<double> fireDate = firstShowing(wallTime(local, days, alarmMinutes), now))
            return *fireDate - now;
    // Only a negative hour gets here: tomorrow at that time is already past,
    // and the alarm fires at once.
    const double wall = wallTime(local, 1, alarmMinutes);
    return wall - static_cast<double>(utcOffsetAt(wall)) - now;
}

std::string describeWallTime(WallTime instant) {
    if (std::isnan(instant) || instant == HUGE_VAL)
        return "never";
    if (instant > kLastShownInstant)
        return "after the year 9999";
    if (instant < kFirstShownInstant)
        return "before the year 1";
    const std::time_t second = static_cast<std::time_t>(std::floor(instant));
    std::tm local{};
    localtime_r(&second, &local);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &local);
    return text;
}

} // namespace eggtimer
