#include "platform/system/QtRunLoop.h"

#include "platform/system/Log.h"

#include <QSocketNotifier>
#include <QTimer>

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>

namespace eggtimer {
namespace {

// Beyond this the kernel's clock cannot count (the year 2262); a timer due
// later is never armed and simply stays pending.
constexpr double kLatestArmableDate = 9.2e9;
// A repeating timer needs some period; nothing here repeats faster.
constexpr double kShortestPeriod = 0.001;

timespec toTimespec(double seconds) {
    double whole = std::floor(seconds);
    timespec t{};
    t.tv_sec = static_cast<time_t>(whole);
    t.tv_nsec = static_cast<long>((seconds - whole) * 1e9);
    if (t.tv_nsec >= 1'000'000'000)
        t.tv_nsec = 999'999'999;
    return t;
}

// Without a kernel timer, a one-shot timer waits on the event loop's own
// (monotonic) timers and checks the wall clock at least this often, so that
// a clock change or a suspend delays it by a minute at most.
constexpr double kLongestFallbackWait = 60.0;

// Kernel timers fail only where the system refuses them (out of file
// descriptors, a sandbox without timerfd); every later timer would fail
// the same way, so say it once.
LogOnce kernelTimerFailure;

void reportKernelTimerFailure(const char* step) {
    kernelTimerFailure(std::string("cannot ") + step + " a kernel timer (" + std::strerror(errno) +
                       "); timers wait on the event loop instead");
}

double realtimeNow() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

} // namespace

class QtRunLoop::KernelTimer final : public Timer {
public:
    KernelTimer(QtRunLoop& loop, double interval, bool repeats, Action action, std::any info)
        : loop(loop)
        , period(repeats ? std::max(interval, kShortestPeriod) : 0.0)
        , action(std::move(action))
        , info(std::move(info)) {
        const double now = realtimeNow();
        due = now + (repeats ? period : interval);
        if (std::isnan(due))
            due = HUGE_VAL;
        if (!repeats && !(due < kLatestArmableDate))
            return; // never comes: nothing to arm

        if (!armKernelTimer(repeats))
            armFallback();
    }

    ~KernelTimer() override { disarm(); }

    bool isValid() const override { return valid; }
    WallTime fireDate() const override { return due; }
    void invalidate() override {
        if (!valid)
            return;
        valid = false;
        disarm();
        loop.forget(this);
    }
    const std::any& userInfo() const override { return info; }

    // Consumes the kernel's expiry count; false when there was none.
    bool consumeExpiry() {
        if (fallback)
            return true; // it calls only once the fire date has come
        std::uint64_t expirations = 0;
        return fd >= 0 && ::read(fd, &expirations, sizeof expirations) == sizeof expirations &&
               expirations > 0;
    }
    void disarm() {
        if (notifier) {
            // It may be the notifier whose signal is being delivered.
            notifier->setEnabled(false);
            notifier.release()->deleteLater();
        }
        if (fallback) {
            fallback->stop();
            fallback.release()->deleteLater();
        }
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    QtRunLoop& loop;
    double period;
    Action action;
    std::any info;
    double due = 0;
    bool valid = true;
    int fd = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    std::unique_ptr<QTimer> fallback;

private:
    bool armKernelTimer(bool repeats) {
        fd = timerfd_create(repeats ? CLOCK_MONOTONIC : CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
        if (fd < 0) {
            reportKernelTimerFailure("create");
            return false;
        }
        itimerspec spec{};
        int flags = 0;
        if (repeats) {
            spec.it_value = spec.it_interval = toTimespec(period);
        } else {
            flags = TFD_TIMER_ABSTIME;
            // A date already past fires at the first opportunity; an all-zero
            // value would disarm the timer instead.
            spec.it_value = due > 0 ? toTimespec(due) : timespec{0, 1};
            if (spec.it_value.tv_sec == 0 && spec.it_value.tv_nsec == 0)
                spec.it_value.tv_nsec = 1;
        }
        if (timerfd_settime(fd, flags, &spec, nullptr) != 0) {
            reportKernelTimerFailure("set");
            ::close(fd);
            fd = -1;
            return false;
        }
        notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                         [this] { this->loop.fired(this); });
        return true;
    }

    // An event-loop timer in place of the kernel's. A one-shot timer is
    // re-armed against the wall clock until its fire date has come.
    void armFallback() {
        fallback = std::make_unique<QTimer>();
        fallback->setTimerType(Qt::PreciseTimer);
        if (period > 0) {
            fallback->setInterval(
                std::chrono::milliseconds(std::max<long long>(1, std::llround(period * 1000))));
            QObject::connect(fallback.get(), &QTimer::timeout, fallback.get(), [this] { loop.fired(this); });
            fallback->start();
            return;
        }
        fallback->setSingleShot(true);
        QObject::connect(fallback.get(), &QTimer::timeout, fallback.get(), [this] {
            if (due <= realtimeNow())
                loop.fired(this);
            else
                waitForFireDate();
        });
        waitForFireDate();
    }
    void waitForFireDate() {
        const double wait = std::clamp(due - realtimeNow(), 0.0, kLongestFallbackWait);
        fallback->start(std::chrono::milliseconds(std::llround(std::ceil(wait * 1000))));
    }
};

QtRunLoop::QtRunLoop() = default;

QtRunLoop::~QtRunLoop() {
    for (auto& [raw, timer] : live)
        timer->disarm();
}

WallTime QtRunLoop::now() const {
    return realtimeNow();
}

std::shared_ptr<Timer> QtRunLoop::scheduleTimer(double interval, bool repeats, Action action,
                                                std::any userInfo) {
    auto timer =
        std::make_shared<KernelTimer>(*this, interval, repeats, std::move(action), std::move(userInfo));
    live.emplace(timer.get(), timer);
    return timer;
}

void QtRunLoop::fired(KernelTimer* raw) {
    auto found = live.find(raw);
    if (found == live.end() || !raw->consumeExpiry())
        return;
    std::shared_ptr<KernelTimer> timer = found->second; // alive while its action runs
    if (timer->period > 0) {
        // Ticks missed while the loop was busy are dropped, not made up.
        timer->due = realtimeNow() + timer->period;
    } else {
        timer->valid = false;
        timer->disarm();
        live.erase(found);
    }
    timer->action(*timer);
}

void QtRunLoop::forget(KernelTimer* raw) {
    live.erase(raw);
}

} // namespace eggtimer
