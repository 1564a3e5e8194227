#pragma once
// Sounds and movies played with GStreamer through the desktop's sound server.
//
// GStreamer does not hold up start-up: it starts on a thread of its own
// (gst::startInBackground) once the window is first on the screen
// (app/Application.cpp) or a sound is prepared, and at the latest at the
// first play or the first movie.
// Sounds report the end of their playing on the Qt event loop of the thread
// that made them (the main thread), always after play() or stop() has
// returned. A play that cannot be heard (its file gone, no sound server, a
// missing plug-in, damaged data) stays silent, logs one line (Log.h) once
// per kind of failure, and tells soundCouldNotPlay once, with that line's
// reason (its file gone: "it is gone or cannot be read").

#include "platform/Beeper.h"
#include "platform/FileSystem.h"
#include "platform/Media.h"

#include <map>
#include <memory>
#include <string>

namespace eggtimer {

// Finds the name with each of kSoundFileExtensions in turn (Media.h), in the
// system sound folder, then in the user's. A name that no longer names a
// readable file gives nothing, also when it did before; the sound handed out
// then stays alive but plays nothing. Names holding a '/' give nothing. The
// default sound is the shipped GentleAlarm.aiff of the system folder, a sound
// of its own even when the name "GentleAlarm" finds the same file.
class GstSoundRegistry final : public SoundRegistry {
public:
    explicit GstSoundRegistry(const FileSystem& files);
    ~GstSoundRegistry() override;
    GstSoundRegistry(const GstSoundRegistry&) = delete;
    GstSoundRegistry& operator=(const GstSoundRegistry&) = delete;

    Sound* soundNamed(const std::string& name) override;
    Sound& defaultSound() override;

private:
    const FileSystem& files;
    // By path: a name found in another folder later is another sound.
    std::map<std::string, std::unique_ptr<Sound>> sounds;
    std::unique_ptr<Sound> fallback; // made when first wanted
};

// Movies are measured with GStreamer's discoverer (at most a couple of
// seconds for a stubborn file); the first play builds the pipeline, which is
// kept prerolled between plays. Duration in milliseconds.
// Anything but a regular, readable media file gives nothing, at once for
// paths that are no regular file ("it is gone or cannot be read"); else the
// reason is the discoverer's. A play that cannot be heard is told to
// movieCouldNotPlay with the reason the log gives (see GstSound above).
class GstMediaLibrary final : public MediaLibrary {
public:
    std::unique_ptr<Movie> movieWithPath(const std::string& path, std::string* whyNot = nullptr) override;
};

// A sound playing the file at `path` under `name`, whatever its folder; for a
// beep shipped with the program. Like a registry's, once the file is gone its
// plays tell that it is.
std::unique_ptr<Sound> makeSoundFromFile(const std::string& path, const std::string& name);

// The beep shipped with the program, the file at `path`: each beep plays it
// from its start, cutting short one still sounding. Silent, as any sound,
// when it cannot be played.
class GstBeeper final : public Beeper {
public:
    explicit GstBeeper(const std::string& path);
    void beep() override;

private:
    std::unique_ptr<Sound> sound;
};

} // namespace eggtimer
