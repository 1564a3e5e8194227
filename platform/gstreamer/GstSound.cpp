// Sounds: one kept-prerolled player per sound, built at its first play.

#include "platform/gstreamer/GstMedia.h"

#include "platform/gstreamer/GstPlayer.h"
#include "platform/mediafiles/GstSupport.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <chrono>

namespace eggtimer {

namespace {

constexpr std::chrono::milliseconds kKeptReadyAfterUse{10000};
// One of the sounds the program ships, in its own sound folder.
constexpr const char* kDefaultSound = "GentleAlarm";

class GstSound final : public Sound {
public:
    GstSound(std::string name, std::string path)
        : soundName(std::move(name))
        , path(std::move(path))
        , mainThread(std::make_unique<QObject>()) {
        // A prerolled pipeline keeps a stream open on the sound server, whose
        // upkeep wakes the program about once a second: let go of it once the
        // sound has rested a while (a repeating sound pauses half a second).
        idleRelease.setSingleShot(true);
        idleRelease.setInterval(kKeptReadyAfterUse);
        QObject::connect(&idleRelease, &QTimer::timeout, mainThread.get(), [this] {
            if (!playing && player)
                player->release();
        });
    }

    const std::string& name() const override { return soundName; }
    bool isPlaying() const override { return playing; }
    void setDelegate(SoundDelegate* newDelegate) override { delegate = newDelegate; }

    void play() override {
        if (playing)
            return;
        std::string why;
        if (!ready(why)) {
            // Told on the event loop, as a pipeline's failure is.
            QMetaObject::invokeMethod(
                mainThread.get(), [this, why] { tellCouldNotPlay(why); }, Qt::QueuedConnection);
            return;
        }
        idleRelease.stop();
        playing = true;
        player->play();
    }

    // Starts GStreamer, the slow part of a first play, without holding up
    // the window; the pipeline is built at the play (see GstPlayer::prepare()).
    void prepare() override { gst::startInBackground(); }

    void stop() override {
        if (!playing)
            return;
        playing = false;
        readyForNextPlay();
        QMetaObject::invokeMethod(
            mainThread.get(), [this] { tellDelegate(false); }, Qt::QueuedConnection);
    }

private:
    // A prerolled player for the file, made at first use; false, saying why,
    // when there can be none.
    bool ready(std::string& why) {
        if (!gst::isPlayableFile(path)) {
            // Gone or replaced by something else: let go of the old file too.
            // (Released, not destroyed: this may run inside its callback.)
            if (player)
                player->release();
            why = "it is gone or cannot be read";
            return false;
        }
        if (!player)
            player = std::make_unique<GstPlayer>(
                path, GstPlayer::Role::Event, true,
                GstPlayer::Callbacks{[this] { reachedEnd(); },
                                     [this](const std::string& failure) { failed(failure); }, nullptr});
        return player->prepare(&why);
    }

    void reachedEnd() {
        if (!playing)
            return;
        playing = false;
        readyForNextPlay();
        tellDelegate(true);
    }

    void failed(const std::string& why) {
        if (!playing)
            return;
        playing = false;
        idleRelease.start();
        tellCouldNotPlay(why);
    }

    void readyForNextPlay() {
        player->pause();
        player->rewind();
        idleRelease.start();
    }

    void tellDelegate(bool finished) {
        if (delegate)
            delegate->soundDidFinishPlaying(*this, finished);
    }

    void tellCouldNotPlay(const std::string& why) {
        if (delegate)
            delegate->soundCouldNotPlay(*this, why);
    }

    std::string soundName;
    std::string path;
    SoundDelegate* delegate = nullptr;
    bool playing = false;
    std::unique_ptr<GstPlayer> player;
    std::unique_ptr<QObject> mainThread;
    QTimer idleRelease;
};

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.ends_with('/'))
        return folder + name;
    return folder + "/" + name;
}

} // namespace

GstSoundRegistry::GstSoundRegistry(const FileSystem& files)
    : files(files) {}

GstSoundRegistry::~GstSoundRegistry() = default;

Sound* GstSoundRegistry::soundNamed(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
        return nullptr;
    const std::array folders{files.systemSoundFolder(), files.userSoundFolder()};
    for (const std::string& folder : folders) {
        if (folder.empty())
            continue;
        for (const char* extension : kSoundFileExtensions) {
            const std::string path = joinPath(folder, name + extension);
            if (!gst::isPlayableFile(path))
                continue;
            auto& sound = sounds[path];
            if (!sound)
                sound = makeSoundFromFile(path, name);
            return sound.get();
        }
    }
    return nullptr;
}

Sound& GstSoundRegistry::defaultSound() {
    if (!fallback)
        fallback = makeSoundFromFile(
            joinPath(files.systemSoundFolder(), std::string(kDefaultSound) + ".aiff"), kDefaultSound);
    return *fallback;
}

std::unique_ptr<Sound> makeSoundFromFile(const std::string& path, const std::string& name) {
    return std::make_unique<GstSound>(name, path);
}

GstBeeper::GstBeeper(const std::string& path)
    : sound(makeSoundFromFile(path, "beep")) {}

void GstBeeper::beep() {
    sound->stop();
    sound->play();
}

} // namespace eggtimer
