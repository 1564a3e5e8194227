// Choosing the mode tab directly, or stepping through the tabs with wrap-around.

#include "controller/KRMaster.h"

namespace eggtimer {

void KRMaster::changeModeWithSenderTag(Control* sender) {
    if (sender)
        outlet.modeTab->selectItemAtIndex(sender->tag());
}

void KRMaster::nextMode(Control*) {
    TabView& tabs = *outlet.modeTab;
    if (tabs.indexOfSelectedItem() + 1 == tabs.numberOfItems())
        tabs.selectFirstItem();
    else
        tabs.selectNextItem();
}

void KRMaster::prevMode(Control*) {
    TabView& tabs = *outlet.modeTab;
    if (tabs.indexOfSelectedItem() == 0)
        tabs.selectLastItem();
    else
        tabs.selectPreviousItem();
}

} // namespace eggtimer
