#pragma once
// Controls that behave as the window's do and remember what was done to them
// in one journal shared by a whole window, so that tests can check order.

#include "controller/Outlets.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace eggtimer::fake {

using Journal = std::vector<std::string>;

// What every fake shares: the journal it writes what it is asked into.
struct Recorder {
    explicit Recorder(Journal& journal)
        : journal(journal) {}
    Journal& journal;
};

// A control of the given kind, journalled under its outlet's name.
template <typename Kind> class FakeControl : public Kind, public Recorder {
public:
    FakeControl(std::string name, Journal& journal)
        : Recorder(journal)
        , name(std::move(name)) {}
    void note(const std::string& what) const { journal.push_back(name + "." + what); }
    std::string name;
};

// One that can be enabled and disabled, as every target control can.
template <typename Kind> class FakeEnablable : public FakeControl<Kind> {
public:
    using FakeControl<Kind>::FakeControl;
    void setEnabled(bool on) override { enabled = on, this->note(on ? "enable" : "disable"); }
    bool isEnabled() const override { return enabled; }
    bool enabled = true;
};

class FakeMatrix final : public FakeEnablable<Matrix> {
public:
    using FakeEnablable::FakeEnablable;
    int selectedRow() const override { return row; }
    int selectedColumn() const override { return column; }
    void selectCell(int r, int c) override {
        note("select " + std::to_string(r) + "," + std::to_string(c));
        if (r == -1 || c == -1) {
            row = column = -1;
        } else if (r >= 0 && r < rows && c >= 0 && c < columns) {
            row = r;
            column = c;
        }
    }
    int rows = 1, columns = 1, row = 0, column = 0;
};

class FakeTextField final : public FakeEnablable<TextField> {
public:
    using FakeEnablable::FakeEnablable;
    std::string stringValue() const override { return text; }
    void setStringValue(const std::string& value) override { text = value, note("set"); }
    std::string text;
};

class FakeButton final : public FakeEnablable<Button> {
public:
    FakeButton(std::string name, Journal& journal, int tag = 0)
        : FakeEnablable(std::move(name), journal)
        , tagValue(tag) {}
    int tag() const override { return tagValue; }
    std::string title() const override { return titleText; }
    void setTitle(const std::string& value) override { titleText = value, note("title " + value); }
    int tagValue;
    std::string titleText = "START";
};

class FakePopUpButton final : public FakeEnablable<PopUpButton> {
public:
    using FakeEnablable::FakeEnablable;
    void removeAllItems() override { items.clear(), selected = -1; }
    void addItemWithTitle(const std::string& title) override {
        items.push_back(title);
        selected = std::max(selected, 0);
    }
    std::optional<std::string> selectedItemTitle() const override {
        if (selected < 0 || selected >= std::ssize(items))
            return std::nullopt;
        return items[static_cast<std::size_t>(selected)];
    }
    void selectItemWithTitle(const std::string& title) override {
        if (auto found = std::ranges::find(items, title); found != items.end())
            selected = static_cast<int>(found - items.begin());
    }
    std::vector<std::string> items;
    int selected = -1;
};

class FakeTabView final : public FakeControl<TabView> {
public:
    using FakeControl::FakeControl;
    int indexOfSelectedItem() const override { return index; }
    int numberOfItems() const override { return count; }
    void selectItemAtIndex(int i) override {
        note("select " + std::to_string(i));
        if (i >= 0 && i < count)
            index = i;
    }
    void selectFirstItem() override { selectItemAtIndex(0); }
    void selectNextItem() override { selectItemAtIndex(index + 1); }
    void selectLastItem() override { selectItemAtIndex(count - 1); }
    void selectPreviousItem() override { selectItemAtIndex(index - 1); }
    int count = 1, index = 0;
};

class FakeDrawer final : public FakeControl<Drawer> {
public:
    using FakeControl::FakeControl;
    void close() override { open = false, note("close"); }
    bool isOpen() const override { return open; }
    bool open = true;
};

using FakeView = FakeControl<View>;

// Set at every tick, so left out of the journal.
class FakeProgressIndicator final : public FakeControl<ProgressIndicator> {
public:
    using FakeControl::FakeControl;
    void setDoubleValue(double set) override { value = set; }
    double value = 0.0;
};

// The window as the interface file lays it out when it opens: three tabs,
// five presets in one row, four targets and AM/PM in one column each. One
// fake control of the outlet's kind per outlet, named after it.
struct FakeWindow {
    FakeWindow() {
        modeAlcAMPMSelecter.rows = 2;
        modeMinSelecter.columns = 5;
        modeMinSelecter.column = 1;
        modeTab.count = 3;
        targetSelecter.rows = 4;
        targetFileName.text = targetMusicName.text = "(none)";
    }
    Outlets outlets() {
        Outlets o;
#define EGGTIMER_FAKE_OUTLET_ADDRESS(name, kind) o.name = &name;
        EGGTIMER_OUTLETS(EGGTIMER_FAKE_OUTLET_ADDRESS)
#undef EGGTIMER_FAKE_OUTLET_ADDRESS
        return o;
    }

    Journal journal;
#define EGGTIMER_FAKE_OUTLET(name, kind) Fake##kind name{#name, journal};
    EGGTIMER_OUTLETS(EGGTIMER_FAKE_OUTLET)
#undef EGGTIMER_FAKE_OUTLET
};

} // namespace eggtimer::fake
