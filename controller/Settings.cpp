// The user's choices, written to the settings store at each accepted START
// and put back into the window once at start-up.

#include "controller/KRMaster.h"

#include "platform/LastPathComponent.h"
#include "text/NumberText.h"

#include <array>
#include <variant>

namespace eggtimer {
namespace {

// The kinds of choice saved, each with how it is saved under its key and put
// back from the key's value.
struct SelectedRow {
    Matrix* matrix;
    void save(SettingsStore& store, const char* key) const { store.setInteger(key, matrix->selectedRow()); }
    void restore(const std::string& value) const { matrix->selectCell(intValueOf(value), 0); }
};

struct SelectedColumn {
    Matrix* matrix;
    void save(SettingsStore& store, const char* key) const {
        store.setInteger(key, matrix->selectedColumn());
    }
    void restore(const std::string& value) const { matrix->selectCell(0, intValueOf(value)); }
};

struct SelectedTab {
    TabView* tabs;
    void save(SettingsStore& store, const char* key) const {
        store.setInteger(key, tabs->indexOfSelectedItem());
    }
    void restore(const std::string& value) const { tabs->selectItemAtIndex(intValueOf(value)); }
};

struct SelectedTitle {
    PopUpButton* popup;
    void save(SettingsStore& store, const char* key) const {
        store.setString(key, popup->selectedItemTitle());
    }
    void restore(const std::string& value) const { popup->selectItemWithTitle(value); }
};

struct TypedText {
    TextField* field;
    void save(SettingsStore& store, const char* key) const { store.setString(key, field->stringValue()); }
    void restore(const std::string& value) const { field->setStringValue(value); }
};

// A chosen path, none until one is chosen, shown by its last component.
struct ChosenPath {
    std::optional<std::string>* path;
    TextField* name;
    void save(SettingsStore& store, const char* key) const { store.setString(key, *path); }
    void restore(const std::string& value) const {
        *path = value;
        name->setStringValue(lastPathComponent(value));
    }
};

struct Setting {
    const char* key;
    std::variant<SelectedRow, SelectedColumn, SelectedTab, SelectedTitle, TypedText, ChosenPath> choice;
};

// Every saved choice with its key, in the order they are saved.
std::array<Setting, 13> settingsOf(const Outlets& outlet, std::optional<std::string>& filePath,
                                   std::optional<std::string>& musicPath) {
    return {{
        {"targetSelecter", SelectedRow{outlet.targetSelecter}},
        {"targetFilePath", ChosenPath{&filePath, outlet.targetFileName}},
        {"targetMusicPath", ChosenPath{&musicPath, outlet.targetMusicName}},
        {"targetMessage", TypedText{outlet.targetAlertMessage}},
        {"targetSound", SelectedTitle{outlet.targetSoundPopup}},
        {"mode", SelectedTab{outlet.modeTab}},
        {"modeMinSelecter", SelectedColumn{outlet.modeMinSelecter}},
        {"modeDhmDay", TypedText{outlet.modeDhmDay}},
        {"modeDhmHour", TypedText{outlet.modeDhmHour}},
        {"modeDhmMin", TypedText{outlet.modeDhmMin}},
        {"modeAlcHour", TypedText{outlet.modeAlcHour}},
        {"modeAlcMin", TypedText{outlet.modeAlcMin}},
        {"modeAlcAMPMSelecter", SelectedRow{outlet.modeAlcAMPMSelecter}},
    }};
}

} // namespace

void KRMaster::saveToUserDefaults() {
    for (const Setting& setting : settingsOf(outlet, targetFilePath, targetMusicPath))
        std::visit([&](const auto& choice) { choice.save(platform.settings, setting.key); }, setting.choice);
}

void KRMaster::loadFromUserDefaults() {
    // Each key that has a value is applied; an absent one leaves its control
    // as the window made it.
    for (const Setting& setting : settingsOf(outlet, targetFilePath, targetMusicPath))
        if (std::optional<std::string> value = platform.settings.stringForKey(setting.key))
            std::visit([&](const auto& choice) { choice.restore(*value); }, setting.choice);
}

} // namespace eggtimer
