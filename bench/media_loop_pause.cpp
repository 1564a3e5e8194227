// The pause a looping movie leaves between the end of its sound and the next
// start, as shipped: the movie view on the Qt run loop restarts the movie with
// a one-shot timer at its length plus 1.0 s after each start (stop if still
// playing, rewind, play). Target: 1000 ms +- 30 ms. The first pause is shown
// apart from the later ones: the first play is the pipeline's first start,
// which on a busy machine is the slow one.
//   media_loop_pause [--held MS] <loops> <file>...
// --held starts each movie MS after it was made, as when a busy machine holds
// the program up in between: the wait must not make its first start late.

#include "media/KRMovieView.h"
#include "platform/gstreamer/GstMedia.h"
#include "platform/system/QtRunLoop.h"
#include "support/SinkRecorder.h"
#include "support/Wait.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using eggtimer::test::SinkRecorder;
using namespace std::chrono_literals;

namespace {

struct Stretch {
    std::size_t first, last;
};

// Stretches of sound: 5 ms windows above -40 dBFS RMS, gaps of 200 ms or
// more between them; each edge then moved to the first (last) sample of
// its windows that reaches -40 dBFS, for a figure finer than a window.
std::vector<Stretch> soundingStretches(const std::vector<float>& samples) {
    constexpr std::size_t window = SinkRecorder::kRate / 200;
    constexpr std::size_t gap = SinkRecorder::kRate / 5;
    std::vector<Stretch> stretches;
    for (std::size_t at = 0; at + window <= samples.size(); at += window) {
        if (SinkRecorder::rms(samples, at, at + window) < 0.01)
            continue;
        if (!stretches.empty() && at - stretches.back().last <= gap)
            stretches.back().last = at + window;
        else
            stretches.push_back({at, at + window});
    }
    const auto loud = [&](std::size_t at) { return std::fabs(samples[at]) >= 0.01F; };
    for (Stretch& stretch : stretches) {
        const std::size_t firstEnd = stretch.first + window;
        while (stretch.first + 1 < firstEnd && !loud(stretch.first))
            ++stretch.first;
        const std::size_t lastStart = stretch.last - window;
        while (stretch.last - 1 > lastStart && !loud(stretch.last - 1))
            --stretch.last;
    }
    return stretches;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    int held = 0;
    if (argc > 2 && std::strcmp(argv[1], "--held") == 0) {
        held = std::max(0, std::atoi(argv[2]));
        argv += 2;
        argc -= 2;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s [--held MS] loops file...\n", argv[0]);
        return 2;
    }
    const int loops = std::max(2, std::atoi(argv[1]));
    SinkRecorder recorder;
    if (!recorder.start()) {
        std::fprintf(stderr, "cannot record the sound server\n");
        return 1;
    }
    eggtimer::GstMediaLibrary library;
    eggtimer::QtRunLoop runLoop;
    bool allWithin = true;
    std::vector<double> allFirst, allLater;
    for (int file = 2; file < argc; ++file) {
        const char* name = std::strrchr(argv[file], '/');
        name = name ? name + 1 : argv[file];
        std::unique_ptr<eggtimer::Movie> movie = library.movieWithPath(argv[file]);
        if (!movie) {
            std::printf("loop-pause %-10s no movie\n", name);
            allWithin = false;
            continue;
        }
        const std::int32_t duration = movie->duration();
        const double length = double(duration) / movie->timeScale();
        const std::size_t from = recorder.sampleCount();
        eggtimer::KRMovieView view(runLoop);
        view.setMovie(std::move(movie));
        if (held > 0)
            QThread::msleep(static_cast<unsigned long>(held));
        view.start(nullptr);
        eggtimer::test::serveEventsFor(
            std::chrono::milliseconds(static_cast<int>(((length + 1.0) * loops - 0.5) * 1000)));
        view.stop(nullptr);
        eggtimer::test::serveEventsFor(300ms);
        const std::vector<Stretch> stretches = soundingStretches(recorder.samplesFrom(from));
        std::vector<double> pauses;
        for (std::size_t i = 1; i < stretches.size(); ++i)
            pauses.push_back(double(stretches[i].first - stretches[i - 1].last) * 1000.0 /
                             SinkRecorder::kRate);
        if (pauses.empty()) {
            std::printf("loop-pause %-10s duration %5d ms: fewer than two plays heard\n", name, duration);
            allWithin = false;
            continue;
        }
        const auto [low, high] = std::minmax_element(pauses.begin(), pauses.end());
        if (std::getenv("EGGTIMER_BENCH_VERBOSE"))
            for (double pause : pauses)
                std::printf("  %.1f\n", pause);
        const bool within = *low >= 970.0 && *high <= 1030.0;
        allWithin = allWithin && within;
        const std::vector<double> later(pauses.begin() + 1, pauses.end());
        allFirst.push_back(pauses.front());
        allLater.insert(allLater.end(), later.begin(), later.end());
        char laterText[96] = "none";
        if (!later.empty()) {
            const auto [laterLow, laterHigh] = std::minmax_element(later.begin(), later.end());
            std::snprintf(laterText, sizeof laterText, "median %6.1f min %6.1f max %6.1f ms (%zu)",
                          median(later), *laterLow, *laterHigh, later.size());
        }
        std::printf("loop-pause %-10s duration %5d ms, heard %5.0f ms: first pause %6.1f ms, later %s %s\n",
                    name, duration,
                    double(stretches[0].last - stretches[0].first) * 1000.0 / SinkRecorder::kRate,
                    pauses.front(), laterText, within ? "ok" : "OUTSIDE 1000+-30");
    }
    for (auto [label, values] : {std::pair{"first", &allFirst}, std::pair{"later", &allLater}}) {
        if (values->empty())
            continue;
        const auto [low, high] = std::minmax_element(values->begin(), values->end());
        std::printf("loop-pause all files, %s pauses: median %6.1f min %6.1f max %6.1f ms (%zu)\n", label,
                    median(*values), *low, *high, values->size());
    }
    return allWithin ? 0 : 1;
}
