// A timer firing in the running application, heard through the sound server:
//   firing [replays=200] [cycles=50] [rounds=5]
// - from the main timer's fire date to the first audible sample of its sound;
// - the pauses between plays of a repeating sound, from the recording: the
//   first (after the pipeline's first play) apart from the later ones;
// - from STOP to silence;
// - from the fire date to the first audible sample of the default sound,
//   chosen as the sound or the music, and standing in for a sound or music
//   that cannot be played;
// - resident memory over many re-plays and many START / fire / STOP cycles.
// Run it inside support/with-session.sh --x --pulse --dbus. With
// replays and cycles both 0 it measures the sound alone, not the memory.

#include "platform/system/AppIdentity.h"
#include "platform/system/SoundFolders.h"
#include "support/AppHarness.h"
#include "support/SinkRecorder.h"

#include <QProcess>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <thread>

using eggtimer::test::SinkRecorder;
using namespace std::chrono_literals;

namespace {

constexpr float kAudible = 0.01f;

struct Figures {
    std::vector<double> values;
    void add(double v) { values.push_back(v); }
    std::string text() {
        if (values.empty())
            return "n/a";
        std::sort(values.begin(), values.end());
        char line[128];
        std::snprintf(line, sizeof line, "median %.1f ms, min %.1f, max %.1f (%zu)",
                      values[values.size() / 2], values.front(), values.back(), values.size());
        return line;
    }
};

double residentMB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    double kb = 0;
    while (status >> key)
        if (key == "VmRSS:" && status >> kb)
            break;
    return kb / 1024.0;
}

// The steady-clock instant of a wall-clock date.
SinkRecorder::Clock::time_point steadyOf(double wall, double wallNow) {
    return SinkRecorder::Clock::now() +
           std::chrono::nanoseconds(static_cast<long long>((wall - wallNow) * 1e9));
}

void makeSound(const QString& path, const char* seconds) {
    QProcess::execute("sox", {"-n", "-r", "48000", "-b", "16", "-c", "1", path, "synth", seconds, "sine",
                              "880", "vol", "0.5"});
}

// Milliseconds from the fire date of a four-second timer started with
// `settings` to the first audible sample of its ring; `beforeTheRing` runs
// just after START. Nothing when nothing was heard.
std::optional<double> firstSoundOfRing(const SinkRecorder& recorder, const QVariantMap& settings,
                                       const std::function<void()>& beforeTheRing) {
    QVariantMap timer = settings;
    timer.insert({{"mode", 1}, {"modeDhmMin", "0.0667"}});
    eggtimer::test::writeSettings(timer);
    eggtimer::test::App app;
    app.click("timerButton");
    const auto fireAt = steadyOf(app.controller().mainTimer()->fireDate(), app.services().runLoop.now());
    beforeTheRing();
    const std::size_t from = recorder.sampleAt(fireAt - 200ms);
    app.waitFor([&] { return app.button() == "STOP"; }, 10);
    app.waitFor([] { return false; }, 1.0);
    app.click("timerButton");
    const auto first = SinkRecorder::firstAbove(recorder.samplesFrom(from), kAudible);
    if (!first)
        return std::nullopt;
    return std::chrono::duration<double, std::milli>(recorder.timeOfSample(from + *first) - fireAt).count();
}

void writeNoise(const QString& path) {
    std::mt19937 generator(20240229);
    QByteArray noise(64 * 1024, '\0');
    std::generate(noise.begin(), noise.end(), [&] { return static_cast<char>(generator()); });
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(noise);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    eggtimer::nameApplication();
    const int replays = argc > 1 ? std::atoi(argv[1]) : 200;
    const int cycles = argc > 2 ? std::atoi(argv[2]) : 50;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;

    // The user's own sounds: a tone of known length, and a short blip.
    const QString userSounds =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/sounds";
    QDir().mkpath(userSounds);
    makeSound(userSounds + "/Tone.aiff", "0.4");
    makeSound(userSounds + "/Blip.aiff", "0.03");

    SinkRecorder recorder;
    if (!recorder.start()) {
        std::fprintf(stderr, "firing: cannot record the sound server\n");
        return 1;
    }
    Figures fireToSound, firstPause, laterPause, stopToSilence;

    for (int round = 0; round < rounds; ++round) {
        eggtimer::test::writeSettings({{"mode", 1},
                                       {"targetSelecter", 0},
                                       {"targetSound", "Tone"},
                                       {"modeDhmMin", "0.0667"}}); // four seconds
        eggtimer::test::App app;
        app.click("timerButton");
        const double fireDate = app.controller().mainTimer()->fireDate();
        const auto fireAt = steadyOf(fireDate, app.services().runLoop.now());
        const std::size_t from = recorder.sampleAt(fireAt - 200ms);
        app.waitFor([&] { return app.button() == "STOP"; }, 10);
        app.waitFor([] { return false; }, 3.2); // 0.4 s of sound, 0.5 s of pause, three times more
        auto samples = recorder.samplesFrom(from);
        if (auto first = SinkRecorder::firstAbove(samples, kAudible)) {
            auto heard = recorder.timeOfSample(from + *first);
            fireToSound.add(std::chrono::duration<double, std::milli>(heard - fireAt).count());
            // The tone ends sharply: each pause runs from its last sample to the next start.
            std::optional<std::size_t> start = first;
            for (int pause = 0; start; ++pause) {
                std::size_t end = *start;
                for (;;) {
                    auto next = SinkRecorder::firstAbove(samples, kAudible, end + 1);
                    if (!next || *next > end + 240)
                        break;
                    end = *next;
                }
                start = SinkRecorder::firstAbove(samples, kAudible, end + 2400);
                if (start)
                    (pause == 0 ? firstPause : laterPause)
                        .add((double(*start) - double(end)) * 1000.0 / SinkRecorder::kRate);
            }
        }
        // STOP in the middle of a play.
        app.waitFor(
            [&] {
                auto recent = recorder.samplesFrom(recorder.sampleCount() - 240);
                return SinkRecorder::firstAbove(recent, kAudible).has_value();
            },
            2);
        app.waitFor([] { return false; }, 0.1);
        app.click("timerButton");
        const auto stopped = SinkRecorder::Clock::now();
        std::this_thread::sleep_for(500ms);
        // Counted only when it was still sounding as STOP was pressed.
        auto before = recorder.samplesSince(stopped - 30ms);
        before.resize(std::min<std::size_t>(before.size(), SinkRecorder::kRate * 30 / 1000));
        auto after = recorder.samplesSince(stopped);
        auto last = SinkRecorder::lastAbove(after, kAudible);
        if (SinkRecorder::firstAbove(before, kAudible))
            stopToSilence.add(last ? *last * 1000.0 / SinkRecorder::kRate : 0.0);
    }
    std::printf("fire date to first audible sample: %s (target 150 ms)\n", fireToSound.text().c_str());
    std::printf("sound re-play pause, the first: %s (target 500 +- 30 ms)\n", firstPause.text().c_str());
    std::printf("sound re-play pause, later ones: %s (target 500 +- 30 ms)\n", laterPause.text().c_str());
    std::printf("STOP to silence: %s (target 100 ms)\n", stopToSilence.text().c_str());

    // The default sound (GentleAlarm) rung as chosen and standing in, one of
    // each a round, so that a busy spell weighs on all alike.
    const QString alarm = QString::fromStdString(eggtimer::installedSoundFolder()) + "GentleAlarm.aiff";
    const QString music = QString::fromUtf8(qgetenv("EGGTIMER_SESSION_DIR")) + "/ring.aiff";
    const QString noise = QString::fromUtf8(qgetenv("EGGTIMER_SESSION_DIR")) + "/ring.mp3";
    const QString gone = userSounds + "/Gone.aiff";
    struct Ring {
        const char* label;
        QVariantMap settings;
        QString copyOfTheAlarm; // made afresh before each ring
        std::function<void()> beforeTheRing;
        Figures figures;
    };
    const auto nothing = [] {};
    Ring rings[] = {
        {"chosen as the sound", {{"targetSelecter", 0}, {"targetSound", "GentleAlarm"}}, {}, nothing, {}},
        {"chosen as the music", {{"targetSelecter", 1}, {"targetMusicPath", music}}, music, nothing, {}},
        {"for a sound that is gone",
         {{"targetSelecter", 0}, {"targetSound", "Gone"}},
         gone,
         [&] { QFile::remove(gone); },
         {}},
        {"for music that is gone",
         {{"targetSelecter", 1}, {"targetMusicPath", music}},
         music,
         [&] { QFile::remove(music); },
         {}},
        {"for music that is noise",
         {{"targetSelecter", 1}, {"targetMusicPath", noise}},
         noise,
         [&] { writeNoise(noise); },
         {}},
    };
    for (int round = 0; round < rounds; ++round)
        for (Ring& ring : rings) {
            if (!ring.copyOfTheAlarm.isEmpty()) {
                QFile::remove(ring.copyOfTheAlarm);
                QFile::copy(alarm, ring.copyOfTheAlarm);
            }
            if (auto ms = firstSoundOfRing(recorder, ring.settings, ring.beforeTheRing))
                ring.figures.add(*ms);
        }
    std::printf("the default sound, fire date to first audible sample (goal: standing in, within 50 ms of "
                "chosen as the sound):\n");
    for (Ring& ring : rings)
        std::printf("  %s: %s\n", ring.label, ring.figures.text().c_str());

    // The recording grows by 96 kB a second: stop it, so that it is not what
    // the memory figures measure.
    recorder.stop();
    if (replays > 0 || cycles > 0) {
        eggtimer::test::writeSettings(
            {{"mode", 1}, {"targetSelecter", 0}, {"targetSound", "Blip"}, {"modeDhmMin", "0"}});
        eggtimer::test::App app;
        app.click("timerButton");
        const double period = 0.53;
        app.waitFor([] { return false; }, 20 * period);
        const double early = residentMB();
        app.waitFor([] { return false; }, (replays - 20) * period);
        const double late = residentMB();
        app.click("timerButton");
        std::printf("resident memory over %d sound re-plays: %.1f MB after 20, %.1f MB after %d: %+.2f MB "
                    "(target +-2 MB)\n",
                    replays, early, late, replays, late - early);

        double afterFirst = 0;
        for (int cycle = 1; cycle <= cycles; ++cycle) {
            app.click("timerButton"); // START a timer that fires at once
            app.waitFor([&] { return app.button() == "STOP"; }, 5);
            app.waitFor([] { return false; }, 0.1);
            app.click("timerButton"); // STOP
            if (cycle == 5)
                afterFirst = residentMB();
        }
        std::printf("resident memory over %d START / fire / STOP cycles: %.1f MB after 5, %.1f MB after %d: "
                    "%+.2f MB (target +-2 MB)\n",
                    cycles, afterFirst, residentMB(), cycles, residentMB() - afterFirst);
    }
    return 0;
}
