#pragma once
// Sounds and movies played with GStreamer through the desktop's sound server.
//
// GStreamer starts at the first play or the first movie, never at start-up.
// Sounds report the end of their playing on the Qt event loop of the thread
// that made them (the main thread), always after play() or stop() has
// returned. A sound that cannot be played (no sound server, a missing
// plug-in, damaged data) stays silent, logs one line (Log.h) once per kind
// of failure, and reports its end (finished = false) once.

#include "platform/FileSystem.h"
#include "platform/Media.h"

#include <map>
#include <memory>
#include <string>

namespace eggtimer {

// Finds "<name>.aiff", then "<name>.aif", in the system sound folder, then in
// the user's. A name that no longer names a readable file gives nothing, also
// when it did before; the sound handed out then stays alive but plays
// nothing. Names holding a '/' give nothing.
class GstSoundRegistry final : public SoundRegistry {
public:
    explicit GstSoundRegistry(const FileSystem& files);
    ~GstSoundRegistry() override;
    GstSoundRegistry(const GstSoundRegistry&) = delete;
    GstSoundRegistry& operator=(const GstSoundRegistry&) = delete;

    Sound* soundNamed(const std::string& name) override;

private:
    const FileSystem& files;
    // By path: a name found in another folder later is another sound.
    std::map<std::string, std::unique_ptr<Sound>> sounds;
};

// Movies are measured with GStreamer's discoverer (at most a couple of
// seconds for a stubborn file); the first play builds the pipeline, which is
// kept prerolled between plays. Duration in milliseconds.
// Anything but a regular, readable media file gives nothing, at once for
// paths that are no regular file.
class GstMediaLibrary final : public MediaLibrary {
public:
    std::unique_ptr<Movie> movieWithPath(const std::string& path) override;
};

// A sound playing the file at `path` under `name`, whatever its folder; for a
// beep shipped with the program. Like a registry's, it plays nothing once the
// file is gone.
std::unique_ptr<Sound> makeSoundFromFile(const std::string& path, const std::string& name);

} // namespace eggtimer
