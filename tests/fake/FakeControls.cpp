#include "FakeControls.h"

#include <algorithm>

namespace eggtimer::fake {

void FakeMatrix::selectCell(int r, int c) {
    note("select " + std::to_string(r) + "," + std::to_string(c));
    if (r == -1 || c == -1) {
        row = column = -1;
    } else if (r >= 0 && r < rows && c >= 0 && c < columns) {
        row = r;
        column = c;
    }
}

void FakePopUpButton::addItemWithTitle(const std::string& title) {
    items.push_back(title);
    if (selected < 0)
        selected = 0;
}

std::optional<std::string> FakePopUpButton::selectedItemTitle() const {
    if (selected < 0 || selected >= static_cast<int>(items.size()))
        return std::nullopt;
    return items[static_cast<std::size_t>(selected)];
}

void FakePopUpButton::selectItemWithTitle(const std::string& title) {
    auto found = std::find(items.begin(), items.end(), title);
    if (found != items.end())
        selected = static_cast<int>(found - items.begin());
}

void FakeTabView::selectItemAtIndex(int i) {
    note("select " + std::to_string(i));
    if (i >= 0 && i < count)
        index = i;
}

FakeWindow::FakeWindow() {
    targetFileName.text = targetMusicName.text = "(none)";
}

Outlets FakeWindow::outlets() const {
    auto* self = const_cast<FakeWindow*>(this);
    Outlets o;
    o.modeAlcAMPMSelecter = &self->modeAlcAMPMSelecter;
    o.modeAlcHour = &self->modeAlcHour;
    o.modeAlcMin = &self->modeAlcMin;
    o.modeDhmDay = &self->modeDhmDay;
    o.modeDhmHour = &self->modeDhmHour;
    o.modeDhmMin = &self->modeDhmMin;
    o.modeMinSelecter = &self->modeMinSelecter;
    o.modeNext = &self->modeNext;
    o.modePrev = &self->modePrev;
    o.modeTab = &self->modeTab;
    o.statFireTarget = &self->statFireTarget;
    o.statFireTime = &self->statFireTime;
    o.statSeconds = &self->statSeconds;
    o.statTimer = &self->statTimer;
    o.targetAlertMessage = &self->targetAlertMessage;
    o.targetDrawer = &self->targetDrawer;
    o.targetFileName = &self->targetFileName;
    o.targetFileSelect = &self->targetFileSelect;
    o.targetMusicName = &self->targetMusicName;
    o.targetMusicSelect = &self->targetMusicSelect;
    o.targetSelecter = &self->targetSelecter;
    o.targetSelectView = &self->targetSelectView;
    o.targetSoundPopup = &self->targetSoundPopup;
    o.targetToggleButton = &self->targetToggleButton;
    o.timerButton = &self->timerButton;
    o.timerRepeat = &self->timerRepeat;
    return o;
}

} // namespace eggtimer::fake
