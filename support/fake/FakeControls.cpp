#include "support/fake/FakeControls.h"

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
    modeAlcAMPMSelecter.rows = 2;
    modeMinSelecter.columns = 5;
    modeMinSelecter.column = 1;
    modeTab.count = 3;
    targetSelecter.rows = 4;
    targetFileName.text = targetMusicName.text = "(none)";
}

Outlets FakeWindow::outlets() {
    Outlets o;
#define EGGTIMER_FAKE_OUTLET_ADDRESS(name, kind) o.name = &name;
    EGGTIMER_OUTLETS(EGGTIMER_FAKE_OUTLET_ADDRESS)
#undef EGGTIMER_FAKE_OUTLET_ADDRESS
    return o;
}

} // namespace eggtimer::fake
