#include "controller/WallClockText.h"

#include <cmath>
#include <ctime>

namespace eggtimer {
namespace {

// Beyond this many minutes from midnight the calendar fields would overflow;
// such an alarm is decades away, where an hour of daylight saving is moot.
constexpr double kCalendarMinutesLimit = 1.0e8;

// 0001-01-01 and 9999-12-31 23:59:59 UTC, in seconds since the epoch.
constexpr double kFirstShownInstant = -62135596800.0;
constexpr double kLastShownInstant = 253402300799.0;

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

    const double wholeMinutes = std::floor(alarmMinutes);
    std::tm alarm = local;
    alarm.tm_hour = 0;
    alarm.tm_min = static_cast<int>(wholeMinutes);
    alarm.tm_sec = 0;
    alarm.tm_mday += nextDay ? 1 : 0;
    alarm.tm_isdst = -1; // let the zone say whether daylight saving applies then
    const std::time_t alarmSecond = std::mktime(&alarm);
    const double fireDate = static_cast<double>(alarmSecond) + (alarmMinutes - wholeMinutes) * 60.0;
    return fireDate - now;
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
