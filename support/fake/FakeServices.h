#pragma once
// Fakes of the desktop, the beep, the log, media, settings and file system
// that record what was asked of them in the window's journal.

#include "platform/Platform.h"
#include "support/fake/FakeControls.h"
#include "support/fake/FakeRunLoop.h"

#include <cmath>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace eggtimer::fake {

// A fake that also works on the run loop's clock.
struct TimedRecorder : Recorder {
    TimedRecorder(Journal& journal, FakeRunLoop& runLoop)
        : Recorder(journal)
        , runLoop(runLoop) {}
    FakeRunLoop& runLoop;
};

// The value under a key, or nothing.
template <typename Map>
std::optional<typename Map::mapped_type> valueIn(const Map& map, const std::string& key) {
    auto found = map.find(key);
    return found == map.end() ? std::nullopt : std::optional(found->second);
}

// The desktop's duties the controller asks for, all journalled in turn.
class FakeDesktop final : public Attention,
                          public DesktopProgress,
                          public Panels,
                          public FileOpener,
                          public Beeper,
                          public Logger,
                          public TimedRecorder {
public:
    using TimedRecorder::TimedRecorder;
    void requestUserAttention(const std::string& whatFired, std::function<void()> stop) override {
        journal.push_back("desktop.attention " + whatFired + (stop ? " (stoppable)" : ""));
        lastStop = std::move(stop);
    }
    void withdrawAttention() override { journal.push_back("desktop.withdrawAttention"); }
    void bringWindowForward() override { journal.push_back("desktop.bringWindowForward"); }
    void showProgress(const TimerProgress& progress) override { shown.push_back(progress); }
    // As the real desktop, acts on a change only; the journal has the changes.
    void keepAwake(bool awake) override {
        if (awake != keptAwake)
            journal.push_back(awake ? "desktop.keepAwake" : "desktop.letSleep");
        keptAwake = awake;
    }
    void runAlertPanel(const std::string& title, const std::string& message,
                       const std::string& button) override {
        journal.push_back("desktop.alert " + title + "|" + message + "|" + button);
        if (whileAlertShows)
            whileAlertShows();
        runLoop.advanceBy(alertOpenFor);
        journal.push_back("desktop.alert dismissed");
    }
    std::optional<std::string> runOpenPanel(const std::string& title,
                                            const std::vector<std::string>* extensions) override {
        journal.push_back("desktop.openPanel " + title);
        lastOpenPanelExtensions = extensions ? *extensions : std::vector<std::string>{};
        if (openPanelAnswers.empty())
            return std::nullopt;
        std::optional<std::string> answer = openPanelAnswers.front();
        openPanelAnswers.pop_front();
        return answer;
    }
    bool openFile(const std::string& path) override {
        journal.push_back("desktop.open " + path);
        return !unopenable.contains(path);
    }
    void beep() override { journal.push_back("beep"); }
    void log(const std::string& line) override { journal.push_back("log " + line); }

    std::function<void()> lastStop;
    std::vector<TimerProgress> shown;
    bool keptAwake = false;
    // Like the real modal panel, the alert runs a nested loop: timers that
    // fall due while it is open run, for as long as the user leaves it up.
    double alertOpenFor = 5.0;
    std::function<void()> whileAlertShows; // runs inside the modal panel
    // What the next open-file dialogs answer, in turn; cancelled when empty.
    std::deque<std::optional<std::string>> openPanelAnswers;
    std::vector<std::string> lastOpenPanelExtensions;
    // Files that no application opens, or that are gone.
    std::set<std::string> unopenable;
};

// A sound on the run loop's clock. As a real one, a play that cannot be
// heard is told on the run loop, never inside play(): each play while
// `cannotPlay` holds a reason (its file gone, no sound server), and the play
// under way that fail() breaks off.
class FakeSound final : public Sound, public TimedRecorder {
public:
    FakeSound(std::string name, Journal& journal, FakeRunLoop& runLoop)
        : TimedRecorder(journal, runLoop)
        , soundName(std::move(name)) {}
    const std::string& name() const override { return soundName; }
    void play() override {
        journal.push_back("sound." + soundName + ".play");
        if (playing)
            return;
        ++plays;
        playing = !cannotPlay;
        if (cannotPlay)
            runLoop.scheduleTimer(0.0, false, [this, why = *cannotPlay](Timer&) {
                if (delegate)
                    delegate->soundCouldNotPlay(*this, why);
            });
    }
    void stop() override {
        journal.push_back("sound." + soundName + ".stop");
        if (playing)
            finish(false);
    }
    bool isPlaying() const override { return playing; }
    void setDelegate(SoundDelegate* d) override { delegate = d; }
    void prepare() override { ++prepares, journal.push_back("sound." + soundName + ".prepare"); }
    // The sound reaches its end, or is stopped, as the media framework would
    // report it.
    void finish(bool finished = true) {
        playing = false;
        if (delegate)
            delegate->soundDidFinishPlaying(*this, finished);
    }
    // The play under way breaks off, as the media framework would report it.
    void fail(const std::string& why) {
        if (!std::exchange(playing, false))
            return;
        if (delegate)
            delegate->soundCouldNotPlay(*this, why);
    }

    std::string soundName;
    SoundDelegate* delegate = nullptr;
    std::optional<std::string> cannotPlay;
    bool playing = false;
    int plays = 0; // plays begun or tried
    int prepares = 0;
};

// As the real registry, keeps every sound it made alive: one whose file is
// removed is no longer found, and its plays tell that it is gone.
class FakeSoundRegistry final : public SoundRegistry, public TimedRecorder {
public:
    using TimedRecorder::TimedRecorder;
    Sound* soundNamed(const std::string& name) override {
        auto found = sounds.find(name);
        return found == sounds.end() ? nullptr : found->second.get();
    }
    Sound& defaultSound() override { return fallback; }
    FakeSound& add(const std::string& name) {
        return *(sounds[name] = std::make_unique<FakeSound>(name, journal, runLoop));
    }
    void removeFile(const std::string& name) {
        sounds.at(name)->cannotPlay = "it is gone or cannot be read";
        removed.push_back(std::move(sounds.at(name)));
        sounds.erase(name);
    }

    std::map<std::string, std::unique_ptr<FakeSound>> sounds;
    std::vector<std::unique_ptr<FakeSound>> removed;
    FakeSound fallback{"default", journal, runLoop};
};

// A movie on the run loop's clock. As a real one, it begins to sound some
// time after play() (startDelay, virtual seconds; never inside play()), tells
// its delegate so a little later still (reportLatency, passed on as the
// seconds heard), and ends by itself once its sound has been heard (heardFor
// seconds from its first sample, by default its length; for ever without a
// positive time scale or when infinite). stop() and the destructor cancel the
// start, its report and the end.
class FakeMovie final : public Movie, public TimedRecorder {
public:
    FakeMovie(std::int32_t duration, std::int32_t timeScale, Journal& journal, FakeRunLoop& runLoop)
        : TimedRecorder(journal, runLoop)
        , length(duration)
        , scale(timeScale) {}
    ~FakeMovie() override { cancelPending(); }
    std::int32_t duration() const override { return length; }
    std::int32_t timeScale() const override { return scale; }
    void play() override {
        journal.push_back("movie.play");
        ++plays;
        if (playing)
            return; // as the real one: a play while playing does nothing
        playing = true;
        // The first sample sounds at startDelay; its report comes
        // reportLatency later, which is when this runs.
        pendingStart = runLoop.scheduleTimer(startDelay + reportLatency, false, [this](Timer&) { begin(); });
    }
    void stop() override {
        journal.push_back("movie.stop");
        playing = false;
        cancelPending();
    }
    void gotoBeginning() override { journal.push_back("movie.rewind"); }
    bool isPlaying() const override { return playing; }
    void setDelegate(MovieDelegate* d) override { delegate = d; }
    // The play under way, begun or on its way, cannot go on, as the media
    // framework would report it.
    void fail(const std::string& why) {
        if (!std::exchange(playing, false))
            return;
        cancelPending();
        if (delegate)
            delegate->movieCouldNotPlay(*this, why);
    }

    std::int32_t length, scale;
    MovieDelegate* delegate = nullptr;
    double startDelay = 0.0;
    double reportLatency = 0.0;
    std::optional<double> heardFor;
    bool playing = false;
    int plays = 0; // calls to play()
    // Virtual instants each play began to sound and ended by itself.
    std::vector<WallTime> startedAt, endedAt;

private:
    void begin() {
        pendingStart.reset();
        startedAt.push_back(runLoop.now() - reportLatency);
        const double heard = heardFor.value_or(scale > 0 ? double(length) / scale : INFINITY);
        if (std::isfinite(heard))
            pendingEnd = runLoop.scheduleTimer(heard - reportLatency, false, [this](Timer&) {
                pendingEnd.reset();
                playing = false;
                endedAt.push_back(runLoop.now());
            });
        if (delegate)
            delegate->movieDidStartPlaying(*this, reportLatency);
    }
    void cancelPending() {
        for (auto* timer : {&pendingStart, &pendingEnd})
            if (*timer)
                std::exchange(*timer, nullptr)->invalidate();
    }
    std::shared_ptr<Timer> pendingStart, pendingEnd;
};

class FakeMediaLibrary final : public MediaLibrary, public TimedRecorder {
public:
    using TimedRecorder::TimedRecorder;
    std::unique_ptr<Movie> movieWithPath(const std::string& path, std::string* whyNot = nullptr) override {
        journal.push_back("media.open " + path);
        auto found = media.find(path);
        if (found == media.end()) {
            if (whyNot)
                *whyNot = "it is gone or cannot be read";
            return nullptr;
        }
        auto movie = std::make_unique<FakeMovie>(found->second.first, found->second.second, journal, runLoop);
        lastMovie = movie.get();
        return movie;
    }

    // Paths that read as media, with their duration and time scale; the
    // others are "gone or cannot be read".
    std::map<std::string, std::pair<std::int32_t, std::int32_t>> media;
    FakeMovie* lastMovie = nullptr;
};

class FakeSettingsStore final : public SettingsStore {
public:
    void setInteger(const std::string& key, int value) override { setString(key, std::to_string(value)); }
    void setString(const std::string& key, const std::optional<std::string>& value) override {
        writtenKeys.push_back(key);
        if (value)
            values[key] = *value;
        else
            values.erase(key);
    }
    std::optional<std::string> stringForKey(const std::string& key) const override {
        return valueIn(values, key);
    }

    std::map<std::string, std::string> values;
    std::vector<std::string> writtenKeys;
};

class FakeFileSystem final : public FileSystem {
public:
    std::optional<std::vector<std::string>> directoryContents(const std::string& path) const override {
        return valueIn(folders, path);
    }
    std::string systemSoundFolder() const override { return "/usr/share/eggtimer/sounds/"; }
    std::string userSoundFolder() const override { return "/home/user/.local/share/sounds/"; }

    // Folders that can be read, with their entries in listing order.
    std::map<std::string, std::vector<std::string>> folders;
};

// A controller's whole fake world: window, clock and services.
struct FakeWorld {
    explicit FakeWorld(WallTime start = 1'800'000'000.0)
        : runLoop(start) {}
    Services services() {
        return {runLoop, desktop, desktop, desktop,  desktop, desktop,
                desktop, sounds,  media,   settings, files};
    }

    FakeWindow window;
    FakeRunLoop runLoop;
    FakeDesktop desktop{window.journal, runLoop};
    // The desktop under the name of each duty, as Services has them.
    FakeDesktop &attention = desktop, &progress = desktop, &panels = desktop, &opener = desktop;
    FakeDesktop &beeper = desktop, &logger = desktop;
    FakeSoundRegistry sounds{window.journal, runLoop};
    FakeMediaLibrary media{window.journal, runLoop};
    FakeSettingsStore settings;
    FakeFileSystem files;
};

} // namespace eggtimer::fake
