// The first sound of a fresh process against a later one, heard through the
// sound server: from the Play button's click, or from a one-second timer's
// fire date, to the first audible sample; then the same for a later play in
// the same process. One process a run: bench/run.sh runs it several times.
//   first_play click|timer [seconds-before-first-play=2]
// Prints "<first ms> <later ms>". Run it inside
// support/with-session.sh --x --pulse --dbus.

#include "platform/system/AppIdentity.h"
#include "support/AppHarness.h"
#include "support/SinkRecorder.h"

#include <cmath>
#include <cstdio>
#include <cstring>

using eggtimer::test::SinkRecorder;
using namespace std::chrono_literals;

namespace {

constexpr float kAudible = 0.01f;

// Milliseconds from `from` to the first audible sample after it (a little
// below zero within the recording's accuracy), or NaN when none was heard.
double firstSampleAfter(const SinkRecorder& recorder, SinkRecorder::Clock::time_point from) {
    const std::size_t start = recorder.sampleAt(from - 20ms);
    const auto heard = SinkRecorder::firstAbove(recorder.samplesFrom(start), kAudible);
    if (!heard)
        return std::nan("");
    return std::chrono::duration<double, std::milli>(recorder.timeOfSample(start + *heard) - from).count();
}

// The steady-clock instant of a wall-clock date.
SinkRecorder::Clock::time_point steadyOf(double wall, double wallNow) {
    return SinkRecorder::Clock::now() +
           std::chrono::nanoseconds(static_cast<long long>((wall - wallNow) * 1e9));
}

// One play of the sound: clicked, or fired by a timer started now.
double playOnce(eggtimer::test::App& app, const SinkRecorder& recorder, bool byTimer) {
    SinkRecorder::Clock::time_point from;
    if (byTimer) {
        app.click("timerButton");
        from = steadyOf(app.controller().mainTimer()->fireDate(), app.services().runLoop.now());
        app.waitFor([&] { return app.button() == "STOP"; }, 5);
    } else {
        from = SinkRecorder::Clock::now();
        app.find<QAbstractButton>("testPlayButton")->click(); // in the side panel, maybe closed
    }
    app.waitFor([] { return false; }, 1.5);
    if (byTimer)
        app.click("timerButton"); // STOP
    return firstSampleAfter(recorder, from);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    eggtimer::nameApplication();
    if (argc < 2 || (std::strcmp(argv[1], "click") != 0 && std::strcmp(argv[1], "timer") != 0)) {
        std::fprintf(stderr, "usage: %s click|timer [seconds-before-first-play]\n", argv[0]);
        return 2;
    }
    const bool byTimer = std::strcmp(argv[1], "timer") == 0;
    const double wait = argc > 2 ? std::atof(argv[2]) : 2.0;
    SinkRecorder recorder;
    if (!recorder.start()) {
        std::fprintf(stderr, "first_play: cannot record the sound server\n");
        return 1;
    }
    eggtimer::test::writeSettings({{"mode", 1},
                                   {"targetSelecter", 0},
                                   {"targetSound", "WoodTick"},
                                   {"modeDhmMin", "0.0166667"}}); // one second
    eggtimer::test::App app;
    app.waitFor([] { return false; }, wait); // the user reads the window
    const double first = playOnce(app, recorder, byTimer);
    const double later = playOnce(app, recorder, byTimer);
    std::printf("%.1f %.1f\n", first, later);
    return std::isnan(first) || std::isnan(later);
}
