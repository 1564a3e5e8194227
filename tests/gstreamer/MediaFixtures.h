#pragma once
// Media files made on the spot for the tests, folders standing in for the
// sound folders, a delegate that records what it is told, and what the test
// session's null sink heard of a play.

#include "controller/MusicFiles.h"
#include "platform/FileSystem.h"
#include "platform/Media.h"
#include "platform/gstreamer/GstMedia.h"
#include "support/SinkRecorder.h"
#include "support/Wait.h"
#include "tests/support/MediaFiles.h"
#include "tests/support/ScratchFolder.h"

#include <chrono>
#include <string>
#include <vector>

namespace eggtimer::test {

class FolderFileSystem final : public FileSystem {
public:
    FolderFileSystem(std::string system, std::string user)
        : system(std::move(system))
        , user(std::move(user)) {}
    std::optional<std::vector<std::string>> directoryContents(const std::string&) const override {
        return std::nullopt;
    }
    std::string systemSoundFolder() const override { return system; }
    std::string userSoundFolder() const override { return user; }

private:
    std::string system;
    std::string user;
};

// Whether each play it was told the end of had finished.
struct RecordingDelegate final : SoundDelegate {
    std::vector<bool> ends;
    void soundDidFinishPlaying(Sound&, bool finished) override { ends.push_back(finished); }
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
    FolderFileSystem files{folder.path(), folder / "none"};
    GstSoundRegistry registry{files};
    RecordingDelegate delegate;
};

// Records when each play of a movie began, as the movie tells it: the
// instant of the report less the seconds it says were heard by then.
struct RecordingMovieDelegate final : MovieDelegate {
    std::vector<std::chrono::steady_clock::time_point> began;
    void movieDidStartPlaying(Movie&, double secondsHeard) override {
        began.push_back(std::chrono::steady_clock::now() -
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(secondsHeard)));
    }
};

// -34 dBFS: well above the silence of a null sink, well below every fixture
// (-13 dBFS RMS for the tones, about -26 for the MIDI note).
constexpr float kAudible = 0.02f;

struct Heard {
    double seconds = 0.0;                    // from the first to the last audible sample
    double rms = 0.0;                        // over that stretch
    SinkRecorder::Clock::time_point began{}; // when the first was played into the sink
};

// What the recording holds from `since` on.
Heard measure(const SinkRecorder& recorder, SinkRecorder::Clock::time_point since);

// One play to the end, noticed within ten seconds (a sound's reported once,
// as finished), and what was heard of it.
Heard playToTheEnd(Sound& sound, const SinkRecorder& recorder);
Heard playToTheEnd(Movie& movie, const SinkRecorder& recorder);

} // namespace eggtimer::test
