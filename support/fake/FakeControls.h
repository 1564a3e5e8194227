#pragma once
// Controls that behave as the window's do and remember what was done to them
// in one journal shared by a whole window, so that tests can check order.

#include "controller/Outlets.h"

#include <memory>
#include <string>
#include <vector>

namespace eggtimer::fake {

using Journal = std::vector<std::string>;

class FakeControl {
public:
    FakeControl(std::string name, Journal& journal)
        : name(std::move(name))
        , journal(journal) {}
    void note(const std::string& what) const { journal.push_back(name + "." + what); }

    std::string name;
    Journal& journal;
};

class FakeMatrix final : public Matrix, public FakeControl {
public:
    using FakeControl::FakeControl;
    int selectedRow() const override { return row; }
    int selectedColumn() const override { return column; }
    void selectCell(int r, int c) override;
    void setEnabled(bool on) override { enabled = on, note(on ? "enable" : "disable"); }
    bool isEnabled() const override { return enabled; }

    int rows = 1, columns = 1, row = 0, column = 0;
    bool enabled = true;
};

class FakeTextField final : public TextField, public FakeControl {
public:
    using FakeControl::FakeControl;
    std::string stringValue() const override { return text; }
    void setStringValue(const std::string& value) override { text = value, note("set"); }
    void setEnabled(bool on) override { enabled = on, note(on ? "enable" : "disable"); }
    bool isEnabled() const override { return enabled; }

    std::string text;
    bool enabled = true;
};

class FakeButton final : public Button, public FakeControl {
public:
    using FakeControl::FakeControl;
    FakeButton(std::string name, Journal& journal, int tag)
        : FakeControl(std::move(name), journal)
        , tagValue(tag) {}
    int tag() const override { return tagValue; }
    std::string title() const override { return titleText; }
    void setTitle(const std::string& value) override { titleText = value, note("title " + value); }
    void setEnabled(bool on) override { enabled = on, note(on ? "enable" : "disable"); }
    bool isEnabled() const override { return enabled; }

    int tagValue = 0;
    std::string titleText = "START";
    bool enabled = true;
};

class FakePopUpButton final : public PopUpButton, public FakeControl {
public:
    using FakeControl::FakeControl;
    void removeAllItems() override { items.clear(), selected = -1; }
    void addItemWithTitle(const std::string& title) override;
    std::optional<std::string> selectedItemTitle() const override;
    void selectItemWithTitle(const std::string& title) override;
    void setEnabled(bool on) override { enabled = on, note(on ? "enable" : "disable"); }
    bool isEnabled() const override { return enabled; }

    std::vector<std::string> items;
    int selected = -1;
    bool enabled = true;
};

class FakeTabView final : public TabView, public FakeControl {
public:
    using FakeControl::FakeControl;
    int indexOfSelectedItem() const override { return index; }
    int numberOfItems() const override { return count; }
    void selectItemAtIndex(int i) override;
    void selectFirstItem() override { selectItemAtIndex(0); }
    void selectNextItem() override { selectItemAtIndex(index + 1); }
    void selectLastItem() override { selectItemAtIndex(count - 1); }
    void selectPreviousItem() override { selectItemAtIndex(index - 1); }

    int count = 1;
    int index = 0;
};

class FakeDrawer final : public Drawer, public FakeControl {
public:
    using FakeControl::FakeControl;
    void close() override { open = false, note("close"); }
    bool isOpen() const override { return open; }
    bool open = true;
};

class FakeView final : public View, public FakeControl {
public:
    using FakeControl::FakeControl;
};

// Set at every tick, so left out of the journal.
class FakeProgressIndicator final : public ProgressIndicator, public FakeControl {
public:
    using FakeControl::FakeControl;
    void setDoubleValue(double set) override { value = set; }
    double value = 0.0;
};

// The window as the interface file lays it out when it opens: three tabs,
// five presets in one row, four targets and AM/PM in one column each. One
// fake control of the outlet's kind per outlet, named after it.
struct FakeWindow {
    FakeWindow();
    Outlets outlets() const;

    Journal journal;
#define EGGTIMER_FAKE_OUTLET(name, kind) Fake##kind name{#name, journal};
    EGGTIMER_OUTLETS(EGGTIMER_FAKE_OUTLET)
#undef EGGTIMER_FAKE_OUTLET
};

} // namespace eggtimer::fake
