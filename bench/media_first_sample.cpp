// How long from Sound::play() to its first audible sample at the sound
// server, for each sound given: the first play of a sound (GStreamer and the
// sound's pipeline are built then) and the later ones (prerolled). Target:
// 50 ms for the later ones. Run by bench/media.sh inside a test session.
//   media_first_sample <rounds> <sound.aiff>...

#include "platform/gstreamer/GstMedia.h"
#include "support/SinkRecorder.h"
#include "support/Wait.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

using eggtimer::test::SinkRecorder;
using namespace std::chrono_literals;

namespace {

struct EndWatcher final : eggtimer::SoundDelegate {
    bool ended = false;
    void soundDidFinishPlaying(eggtimer::Sound&, bool) override { ended = true; }
};

// Milliseconds from `played` to the first sample above -40 dBFS after it.
double latencyOf(const SinkRecorder& recorder, SinkRecorder::Clock::time_point played) {
    // Start looking a little early: the estimate of when a sample arrived can
    // only err late, never early, but the stamp of play() could be late too.
    const std::size_t from = recorder.sampleAt(played - 20ms);
    const std::vector<float> samples = recorder.samplesFrom(from);
    const auto first = SinkRecorder::firstAbove(samples, 0.01f);
    if (!first)
        return -1.0;
    return std::chrono::duration<double, std::milli>(recorder.timeOfSample(from + *first) - played).count();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s rounds sound.aiff...\n", argv[0]);
        return 2;
    }
    const int rounds = std::max(2, std::atoi(argv[1]));
    SinkRecorder recorder;
    if (!recorder.start()) {
        std::fprintf(stderr, "cannot record the sound server\n");
        return 1;
    }
    std::vector<double> later;
    for (int file = 2; file < argc; ++file) {
        std::unique_ptr<eggtimer::Sound> sound = eggtimer::makeSoundFromFile(argv[file], "bench");
        EndWatcher watcher;
        sound->setDelegate(&watcher);
        std::vector<double> latencies;
        for (int round = 0; round < rounds; ++round) {
            watcher.ended = false;
            const auto played = SinkRecorder::Clock::now();
            sound->play();
            eggtimer::test::waitUntil([&] { return watcher.ended; }, 5s);
            eggtimer::test::serveEventsFor(150ms);
            latencies.push_back(latencyOf(recorder, played));
        }
        std::vector<double> sorted(latencies.begin() + 1, latencies.end());
        std::sort(sorted.begin(), sorted.end());
        later.insert(later.end(), sorted.begin(), sorted.end());
        const char* name = std::strrchr(argv[file], '/');
        std::printf(
            "first-sample %-18s first play %6.1f ms; then min %5.1f median %5.1f max %5.1f ms (%zu plays)\n",
            name ? name + 1 : argv[file], latencies[0], sorted.front(), sorted[sorted.size() / 2],
            sorted.back(), sorted.size());
    }
    std::sort(later.begin(), later.end());
    const double p95 = later[std::min(later.size() - 1, later.size() * 95 / 100)];
    std::printf("first-sample ALL prerolled plays: median %.1f ms, 95th percentile %.1f ms, max %.1f ms "
                "(target 50 ms)\n",
                later[later.size() / 2], p95, later.back());
    return 0;
}
