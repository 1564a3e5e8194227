// Preparing what a timer does: the list of sounds, the file and music
// choosers, and hearing a sound before choosing it.

#include "controller/KRMaster.h"

#include "controller/MusicFiles.h"
#include "platform/LastPathComponent.h"
#include "platform/Media.h"
#include "text/PathText.h"

#include <algorithm>

namespace eggtimer {

void KRMaster::readySoundPopup() {
    // An unreadable system folder must not hide the user's own sounds.
    std::vector<std::string> entries = platform.files.directoryContents(platform.files.systemSoundFolder())
                                           .value_or(std::vector<std::string>{});
    std::vector<std::string> userEntries = platform.files.directoryContents(platform.files.userSoundFolder())
                                               .value_or(std::vector<std::string>{});
    entries.insert(entries.end(), userEntries.begin(), userEntries.end());

    PopUpButton& popup = *outlet.targetSoundPopup;
    popup.removeAllItems();
    for (const std::string& entry : entries)
        if (std::ranges::any_of(kSoundFileExtensions,
                                [&](const char* extension) { return entry.ends_with(extension); }))
            popup.addItemWithTitle(deletingPathExtension(entry));
}

void KRMaster::chooseTargetPath(const char* title, const std::vector<std::string>* extensions,
                                std::optional<std::string>& path, TextField* nameField, Target target) {
    std::optional<std::string> chosen = platform.panels.runOpenPanel(title, extensions);
    if (!chosen)
        return;
    path = std::move(chosen);
    nameField->setStringValue(lastPathComponent(*path));
    outlet.targetSelecter->selectCell(descriptionOf(target).selecterRow, 0);
}

void KRMaster::selectTargetFile(Control*) {
    chooseTargetPath("Select file", nullptr, targetFilePath, outlet.targetFileName, Target::File);
}

void KRMaster::selectTargetMusic(Control*) {
    chooseTargetPath("Select music file", &kMusicExtensions, targetMusicPath, outlet.targetMusicName,
                     Target::Music);
}

void KRMaster::testPlayTargetSound(Control*) {
    std::optional<std::string> title = outlet.targetSoundPopup->selectedItemTitle();
    if (!title)
        return;
    if (Sound* sound = platform.sounds.soundNamed(*title))
        sound->play();
}

} // namespace eggtimer
