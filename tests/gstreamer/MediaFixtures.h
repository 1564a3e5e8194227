#pragma once
// Media files made on the spot for the tests, a scratch folder as the sound
// folder, a delegate that records what it is told, and what the test
// session's null sink heard of a play.

#include "controller/MusicFiles.h"
#include "platform/Media.h"
#include "platform/gstreamer/GstMedia.h"
#include "platform/system/PosixFileSystem.h"
#include "support/SinkRecorder.h"
#include "support/Wait.h"
#include "tests/support/MediaFiles.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace eggtimer::test {

using namespace std::chrono_literals;

// Whether each play it was told the end of had finished, and why each play
// it was told of could not play.
struct RecordingDelegate final : SoundDelegate {
    std::vector<bool> ends;
    std::vector<std::string> failures;
    void soundDidFinishPlaying(Sound&, bool finished) override { ends.push_back(finished); }
    void soundCouldNotPlay(Sound&, const std::string& why) override { failures.push_back(why); }
};

// A scratch folder as the only sound folder, with a registry over it and a
// delegate for the sounds found there.
struct SoundFolder {
    // The sound of that name among the files written into `folder`, telling
    // `delegate`; null when there is none.
    Sound* find(const std::string& name) {
        Sound* found = registry.soundNamed(name);
        if (found)
            found->setDelegate(&delegate);
        return found;
    }

    ScratchFolder folder;
    PosixFileSystem files{folder.path(), folder / "none"};
    GstSoundRegistry registry{files};
    RecordingDelegate delegate;
};

// Records when each play of a movie began, as the movie tells it: the
// instant of the report less the seconds it says were heard by then; and
// why each play it was told of could not play.
struct RecordingMovieDelegate final : MovieDelegate {
    std::vector<std::chrono::steady_clock::time_point> began;
    std::vector<std::string> failures;
    void movieDidStartPlaying(Movie&, double secondsHeard) override {
        began.push_back(std::chrono::steady_clock::now() -
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(secondsHeard)));
    }
    void movieCouldNotPlay(Movie&, const std::string& why) override { failures.push_back(why); }
};

// -34 dBFS: well above the silence of a null sink, well below every fixture
// (-13 dBFS RMS for the tones, about -26 for the MIDI note).
constexpr float kAudible = 0.02f;

struct Heard {
    double seconds = 0.0;                    // from the first to the last audible sample
    double rms = 0.0;                        // over that stretch
    SinkRecorder::Clock::time_point began{}; // when the first was played into the sink
};

// What the recording holds from `since` on, once it has caught up with now.
inline Heard measure(const SinkRecorder& recorder, SinkRecorder::Clock::time_point since) {
    EXPECT_TRUE(recorder.waitUntilRecorded(SinkRecorder::Clock::now(), 5s)) << "the recording fell behind";
    const std::size_t from = recorder.sampleAt(since);
    const std::vector<float> samples = recorder.samplesFrom(from);
    const auto first = SinkRecorder::firstAbove(samples, kAudible);
    const auto last = SinkRecorder::lastAbove(samples, kAudible);
    if (!first || !last)
        return {};
    return {double(*last - *first) / SinkRecorder::kRate, SinkRecorder::rms(samples, *first, *last),
            recorder.timeOfSample(from + *first)};
}

// One play to the end, noticed within ten seconds (a sound's reported once,
// as finished), and what was heard of it.
inline Heard playToTheEnd(Sound& sound, const SinkRecorder& recorder) {
    RecordingDelegate delegate;
    sound.setDelegate(&delegate);
    const auto started = SinkRecorder::Clock::now();
    sound.play();
    EXPECT_TRUE(sound.isPlaying());
    EXPECT_TRUE(waitUntil([&] { return !delegate.ends.empty(); }, 10s)) << "the end was never reported";
    serveEventsFor(300ms);
    sound.setDelegate(nullptr);
    EXPECT_EQ(delegate.ends, std::vector<bool>{true}) << "not once, or ended without playing";
    EXPECT_FALSE(sound.isPlaying());
    return measure(recorder, started);
}

inline Heard playToTheEnd(Movie& movie, const SinkRecorder& recorder) {
    const auto started = SinkRecorder::Clock::now();
    movie.play();
    EXPECT_TRUE(movie.isPlaying());
    EXPECT_TRUE(waitUntil([&] { return !movie.isPlaying(); }, 10s)) << "the end was never noticed";
    serveEventsFor(300ms);
    return measure(recorder, started);
}

} // namespace eggtimer::test
