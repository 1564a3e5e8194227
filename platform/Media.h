#pragma once
// Sounds found by name and movies made from a file, played through the
// desktop's sound server.

#include <cstdint>
#include <memory>
#include <string>

namespace eggtimer {

class Sound;

class SoundDelegate {
public:
    virtual ~SoundDelegate() = default;
    // Called on the main loop each time a play stops sounding: at its end
    // (finished = true) and when stop() ends it (finished = false).
    virtual void soundDidFinishPlaying(Sound& sound, bool finished) = 0;
    // Called on the main loop, never inside play(), when a play could not
    // begin (its file is gone or unreadable, is not a sound, has no decoder
    // here, the media framework or the sound server is not there) or broke
    // off midway; `why` says which, in a few words. Such a play reports no
    // soundDidFinishPlaying.
    virtual void soundCouldNotPlay(Sound& /*sound*/, const std::string& /*why*/) {}
};

class Sound {
public:
    virtual ~Sound() = default;
    virtual const std::string& name() const = 0;
    // Starts playing from the beginning and returns at once. Playing a sound
    // that is already playing does nothing.
    virtual void play() = 0;
    // Stopping a sound that is not playing does nothing.
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;
    virtual void setDelegate(SoundDelegate* delegate) = 0;
    // Gets ready so that a later play starts at once. A hint: doing nothing
    // is correct, only slower.
    virtual void prepare() {}
};

// The endings of a sound's file: a sound's name is the name of a file in a
// sound folder without one of these.
inline constexpr const char* kSoundFileExtensions[] = {".aiff", ".aif"};

// Finds sounds by name in the sound folders and keeps every sound it has
// handed out alive for the whole run.
class SoundRegistry {
public:
    virtual ~SoundRegistry() = default;
    // Nothing when no sound of that name exists.
    virtual Sound* soundNamed(const std::string& name) = 0;
    // The program's own sound, rung when the one chosen cannot be played.
    // Always the same sound, whatever the user's folders hold; when even it
    // cannot play, its delegate hears why.
    virtual Sound& defaultSound() = 0;
};

class Movie;

class MovieDelegate {
public:
    virtual ~MovieDelegate() = default;
    // Called on the main loop when a play has really begun: its first sample
    // has been heard (a movie without sound: its clock has begun to run).
    // That can be well after play() returned: a media pipeline's first start
    // is slow on a busy machine. The news takes a moment to reach the main
    // loop; `secondsHeard` (zero or more) says how long ago the first sample
    // was heard. Called at most once per play(), and never inside play(),
    // stop() or the movie's destructor. Not called for a play that stop()
    // ended before it began, nor for one that never begins (no sound server,
    // damaged data): that is reported by movieCouldNotPlay.
    virtual void movieDidStartPlaying(Movie& movie, double secondsHeard) = 0;
    // Called on the main loop, never inside play(), when a play could not
    // begin (no media framework or sound server, damaged data, no decoder
    // here) or broke off midway; `why` says which, in a few words. The movie
    // is no longer playing then. Not called for a play that stop() ended.
    virtual void movieCouldNotPlay(Movie& /*movie*/, const std::string& /*why*/) {}
};

class Movie {
public:
    virtual ~Movie() = default;
    // Length in time-scale units, and units per second.
    virtual std::int32_t duration() const = 0;
    virtual std::int32_t timeScale() const = 0;
    // Starts playing from the present position and returns at once; the
    // delegate hears when the sound really begins.
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void gotoBeginning() = 0;
    // False before the first play, after stop and once the end is reached;
    // true from play() on, also while the start is still on its way.
    virtual bool isPlaying() const = 0;
    // Not owned; nothing is reported without one.
    virtual void setDelegate(MovieDelegate* delegate) = 0;
};

class MediaLibrary {
public:
    virtual ~MediaLibrary() = default;
    // Nothing when the file cannot be read as media; then `whyNot`, when
    // given, says why in a few words ("it is gone or cannot be read", what
    // the media framework found). Never blocks the window for long, whatever
    // the path names.
    virtual std::unique_ptr<Movie> movieWithPath(const std::string& path, std::string* whyNot = nullptr) = 0;
};

} // namespace eggtimer
