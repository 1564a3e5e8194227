#include "support/fake/FakeServices.h"

#include <cmath>

namespace eggtimer::fake {

void FakeAttention::requestUserAttention(const std::string& whatFired, std::function<void()> stop) {
    journal.push_back("desktop.attention " + whatFired + (stop ? " (stoppable)" : ""));
    lastStop = std::move(stop);
}

void FakeDesktopProgress::keepAwake(bool awake) {
    if (awake != keptAwake)
        journal.push_back(awake ? "desktop.keepAwake" : "desktop.letSleep");
    keptAwake = awake;
}

bool FakeFileOpener::openFile(const std::string& path) {
    journal.push_back("desktop.open " + path);
    return !unopenable.contains(path);
}

void FakePanels::runAlertPanel(const std::string& title, const std::string& message,
                               const std::string& button) {
    journal.push_back("desktop.alert " + title + "|" + message + "|" + button);
    if (whileAlertShows)
        whileAlertShows();
    runLoop.advanceBy(alertOpenFor);
    journal.push_back("desktop.alert dismissed");
}

std::optional<std::string> FakePanels::runOpenPanel(const std::string& title,
                                                    const std::vector<std::string>* extensions) {
    journal.push_back("desktop.openPanel " + title);
    lastOpenPanelExtensions = extensions ? *extensions : std::vector<std::string>{};
    if (openPanelAnswers.empty())
        return std::nullopt;
    std::optional<std::string> answer = openPanelAnswers.front();
    openPanelAnswers.pop_front();
    return answer;
}

void FakeSound::play() {
    journal.push_back("sound." + soundName + ".play");
    if (playing)
        return;
    ++plays;
    if (!cannotPlay) {
        playing = true;
        return;
    }
    runLoop.scheduleTimer(0.0, false, [this, why = *cannotPlay](Timer&) {
        if (delegate)
            delegate->soundCouldNotPlay(*this, why);
    });
}

void FakeSound::fail(const std::string& why) {
    if (!playing)
        return;
    playing = false;
    if (delegate)
        delegate->soundCouldNotPlay(*this, why);
}

void FakeSound::stop() {
    journal.push_back("sound." + soundName + ".stop");
    if (!playing)
        return;
    playing = false;
    if (delegate)
        delegate->soundDidFinishPlaying(*this, false);
}

void FakeSound::finish() {
    playing = false;
    if (delegate)
        delegate->soundDidFinishPlaying(*this, true);
}

Sound* FakeSoundRegistry::soundNamed(const std::string& name) {
    auto found = sounds.find(name);
    return found == sounds.end() ? nullptr : found->second.get();
}

FakeSound& FakeSoundRegistry::add(const std::string& name) {
    auto& slot = sounds[name];
    slot = std::make_unique<FakeSound>(name, journal, runLoop);
    return *slot;
}

void FakeSoundRegistry::removeFile(const std::string& name) {
    auto found = sounds.find(name);
    if (found == sounds.end())
        return;
    found->second->cannotPlay = "it is gone or cannot be read";
    removed.push_back(std::move(found->second));
    sounds.erase(found);
}

void FakeMovie::play() {
    journal.push_back("movie.play");
    ++plays;
    if (playing)
        return; // as the real one: a play while playing does nothing
    playing = true;
    // The first sample sounds at startDelay; its report comes reportLatency
    // later, which is when this runs.
    pendingStart = runLoop.scheduleTimer(startDelay + reportLatency, false, [this](Timer&) { begin(); });
}

void FakeMovie::begin() {
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

void FakeMovie::fail(const std::string& why) {
    if (!playing)
        return;
    playing = false;
    cancelPending();
    if (delegate)
        delegate->movieCouldNotPlay(*this, why);
}

void FakeMovie::stop() {
    journal.push_back("movie.stop");
    playing = false;
    cancelPending();
}

void FakeMovie::cancelPending() {
    for (auto* timer : {&pendingStart, &pendingEnd})
        if (*timer) {
            (*timer)->invalidate();
            timer->reset();
        }
}

std::unique_ptr<Movie> FakeMediaLibrary::movieWithPath(const std::string& path, std::string* whyNot) {
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

void FakeSettingsStore::setInteger(const std::string& key, int value) {
    writtenKeys.push_back(key);
    values[key] = std::to_string(value);
}

void FakeSettingsStore::setString(const std::string& key, const std::optional<std::string>& value) {
    writtenKeys.push_back(key);
    if (value)
        values[key] = *value;
    else
        values.erase(key);
}

std::optional<std::string> FakeSettingsStore::stringForKey(const std::string& key) const {
    auto found = values.find(key);
    return found == values.end() ? std::nullopt : std::optional<std::string>(found->second);
}

std::optional<std::vector<std::string>> FakeFileSystem::directoryContents(const std::string& path) const {
    auto found = folders.find(path);
    return found == folders.end() ? std::nullopt : std::optional<std::vector<std::string>>(found->second);
}

} // namespace eggtimer::fake
