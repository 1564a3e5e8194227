// The user's choices, written to the settings store at each accepted START
// and put back into the window once at start-up.

#include "controller/KRMaster.h"

#include "controller/NumberText.h"
#include "controller/PathText.h"

namespace eggtimer {

void KRMaster::saveToUserDefaults() {
    SettingsStore& store = platform.settings;
    store.setInteger("targetSelecter", outlet.targetSelecter->selectedRow());
    store.setString("targetFilePath", targetFilePath);
    store.setString("targetMusicPath", targetMusicPath);
    store.setString("targetMessage", outlet.targetAlertMessage->stringValue());
    store.setString("targetSound", outlet.targetSoundPopup->selectedItemTitle());
    store.setInteger("mode", outlet.modeTab->indexOfSelectedItem());
    store.setInteger("modeMinSelecter", outlet.modeMinSelecter->selectedColumn());
    store.setString("modeDhmDay", outlet.modeDhmDay->stringValue());
    store.setString("modeDhmHour", outlet.modeDhmHour->stringValue());
    store.setString("modeDhmMin", outlet.modeDhmMin->stringValue());
    store.setString("modeAlcHour", outlet.modeAlcHour->stringValue());
    store.setString("modeAlcMin", outlet.modeAlcMin->stringValue());
    store.setInteger("modeAlcAMPMSelecter", outlet.modeAlcAMPMSelecter->selectedRow());
}

void KRMaster::loadFromUserDefaults() {
    const SettingsStore& store = platform.settings;
    // Each key that has a value is applied; an absent one leaves its control
    // as the window made it.
    auto restore = [&store](const char* key, auto apply) {
        if (std::optional<std::string> value = store.stringForKey(key))
            apply(*value);
    };
    auto restorePath = [&restore](const char* key, std::optional<std::string>& path, TextField* name) {
        restore(key, [&](const std::string& value) {
            path = value;
            name->setStringValue(lastPathComponent(value));
        });
    };
    auto restoreText = [&restore](const char* key, TextField* field) {
        restore(key, [field](const std::string& value) { field->setStringValue(value); });
    };

    restore("targetSelecter",
            [this](const std::string& v) { outlet.targetSelecter->selectCell(intValueOf(v), 0); });
    restorePath("targetFilePath", targetFilePath, outlet.targetFileName);
    restorePath("targetMusicPath", targetMusicPath, outlet.targetMusicName);
    restoreText("targetMessage", outlet.targetAlertMessage);
    restore("targetSound", [this](const std::string& v) { outlet.targetSoundPopup->selectItemWithTitle(v); });
    restore("mode", [this](const std::string& v) { outlet.modeTab->selectItemAtIndex(intValueOf(v)); });
    restore("modeMinSelecter",
            [this](const std::string& v) { outlet.modeMinSelecter->selectCell(0, intValueOf(v)); });
    restoreText("modeDhmDay", outlet.modeDhmDay);
    restoreText("modeDhmHour", outlet.modeDhmHour);
    restoreText("modeDhmMin", outlet.modeDhmMin);
    restoreText("modeAlcHour", outlet.modeAlcHour);
    restoreText("modeAlcMin", outlet.modeAlcMin);
    restore("modeAlcAMPMSelecter",
            [this](const std::string& v) { outlet.modeAlcAMPMSelecter->selectCell(intValueOf(v), 0); });
}

} // namespace eggtimer
