// The pause a looping movie leaves between the end of its sound and the next
// start: the movie view restarts a movie with a one-shot timer at its length
// plus 1.0 s after each start (stop if still playing, rewind, play). That view
// is emulated here with a precise QTimer. Target: 1000 ms +- 30 ms.
//   media_loop_pause <loops> <file>...

#include "platform/qt/GstMedia.h"
#include "tests/support/SinkRecorder.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using eggtimer::testing::SinkRecorder;
using namespace std::chrono_literals;

namespace {

void spinFor(std::chrono::milliseconds time) {
    const auto deadline = SinkRecorder::Clock::now() + time;
    while (SinkRecorder::Clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QThread::usleep(500);
    }
}

struct Stretch {
    std::size_t first, last;
};

// Stretches of sound: 5 ms windows above -40 dBFS RMS, gaps of 200 ms or
// more between them.
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
    return stretches;
}

class LoopingView {
public:
    explicit LoopingView(eggtimer::Movie& movie)
        : movie(movie) {
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] { replay(); });
    }
    void start() {
        const double length = double(movie.duration()) / double(movie.timeScale());
        movie.play();
        timer.start(static_cast<int>((length + 1.0) * 1000.0 + 0.5));
    }
    void stop() {
        timer.stop();
        movie.stop();
    }

private:
    void replay() {
        if (movie.isPlaying())
            movie.stop();
        movie.gotoBeginning();
        start();
    }
    eggtimer::Movie& movie;
    QTimer timer;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s loops file...\n", argv[0]);
        return 2;
    }
    const int loops = std::max(2, std::atoi(argv[1]));
    SinkRecorder recorder;
    if (!recorder.start()) {
        std::fprintf(stderr, "cannot record the sound server\n");
        return 1;
    }
    eggtimer::GstMediaLibrary library;
    bool allWithin = true;
    for (int file = 2; file < argc; ++file) {
        const char* name = std::strrchr(argv[file], '/');
        name = name ? name + 1 : argv[file];
        std::unique_ptr<eggtimer::Movie> movie = library.movieWithPath(argv[file]);
        if (!movie) {
            std::printf("loop-pause %-10s no movie\n", name);
            allWithin = false;
            continue;
        }
        const std::size_t from = recorder.sampleCount();
        LoopingView view(*movie);
        view.start();
        const double length = double(movie->duration()) / movie->timeScale();
        spinFor(std::chrono::milliseconds(static_cast<int>(((length + 1.0) * loops - 0.5) * 1000)));
        view.stop();
        spinFor(300ms);
        const std::vector<Stretch> stretches = soundingStretches(recorder.samplesFrom(from));
        std::vector<double> pauses;
        for (std::size_t i = 1; i < stretches.size(); ++i)
            pauses.push_back(double(stretches[i].first - stretches[i - 1].last) * 1000.0 /
                             SinkRecorder::kRate);
        if (pauses.empty()) {
            std::printf("loop-pause %-10s duration %5d ms: fewer than two plays heard\n", name,
                        movie->duration());
            allWithin = false;
            continue;
        }
        const auto [low, high] = std::minmax_element(pauses.begin(), pauses.end());
        double sum = 0;
        for (double pause : pauses)
            sum += pause;
        if (std::getenv("EGGTIMER_BENCH_VERBOSE"))
            for (double pause : pauses)
                std::printf("  %.1f\n", pause);
        const bool within = *low >= 970.0 && *high <= 1030.0;
        allWithin = allWithin && within;
        std::printf(
            "loop-pause %-10s duration %5d ms, heard %5.0f ms: pause mean %6.1f min %6.1f max %6.1f ms "
            "(%zu pauses) %s\n",
            name, movie->duration(),
            double(stretches[0].last - stretches[0].first) * 1000.0 / SinkRecorder::kRate,
            sum / double(pauses.size()), *low, *high, pauses.size(), within ? "ok" : "OUTSIDE 1000+-30");
    }
    return allWithin ? 0 : 1;
}
