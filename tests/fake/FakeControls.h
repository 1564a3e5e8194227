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
    FakeMatrix(std::string name, Journal& journal, int rows, int columns, int row, int column)
        : FakeControl(std::move(name), journal)
        , rows(rows)
        , columns(columns)
        , row(row)
        , column(column) {}
    int selectedRow() const override { return row; }
    int selectedColumn() const override { return column; }
    void selectCell(int r, int c) override;
    void setEnabled(bool on) override { enabled = on, note(on ? "enable" : "disable"); }
    bool isEnabled() const override { return enabled; }

    int rows, columns, row, column;
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
    FakeButton(std::string name, Journal& journal, int tag = 0)
        : FakeControl(std::move(name), journal)
        , tagValue(tag) {}
    int tag() const override { return tagValue; }
    std::string title() const override { return titleText; }
    void setTitle(const std::string& value) override { titleText = value, note("title " + value); }
    void setEnabled(bool on) override { enabled = on, note(on ? "enable" : "disable"); }
    bool isEnabled() const override { return enabled; }

    int tagValue;
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
    FakeTabView(std::string name, Journal& journal, int count)
        : FakeControl(std::move(name), journal)
        , count(count) {}
    int indexOfSelectedItem() const override { return index; }
    int numberOfItems() const override { return count; }
    void selectItemAtIndex(int i) override;
    void selectFirstItem() override { selectItemAtIndex(0); }
    void selectNextItem() override { selectItemAtIndex(index + 1); }
    void selectLastItem() override { selectItemAtIndex(count - 1); }
    void selectPreviousItem() override { selectItemAtIndex(index - 1); }

    int count;
    int index = 0;
};

class FakeDrawer final : public Drawer, public FakeControl {
public:
    using FakeControl::FakeControl;
    void close() override { open = false, note("close"); }
    bool isOpen() const override { return open; }
    bool open = true;
};

class FakeView final : public View {};

// The window as the interface file lays it out when it opens: three tabs,
// five presets in one row, four targets and AM/PM in one column each.
struct FakeWindow {
    FakeWindow();
    Outlets outlets() const;

    Journal journal;
    FakeMatrix modeAlcAMPMSelecter{"modeAlcAMPMSelecter", journal, 2, 1, 0, 0};
    FakeTextField modeAlcHour{"modeAlcHour", journal};
    FakeTextField modeAlcMin{"modeAlcMin", journal};
    FakeTextField modeDhmDay{"modeDhmDay", journal};
    FakeTextField modeDhmHour{"modeDhmHour", journal};
    FakeTextField modeDhmMin{"modeDhmMin", journal};
    FakeMatrix modeMinSelecter{"modeMinSelecter", journal, 1, 5, 0, 1};
    FakeButton modeNext{"modeNext", journal};
    FakeButton modePrev{"modePrev", journal};
    FakeTabView modeTab{"modeTab", journal, 3};
    FakeTextField statFireTarget{"statFireTarget", journal};
    FakeTextField statFireTime{"statFireTime", journal};
    FakeTextField statSeconds{"statSeconds", journal};
    FakeTextField statTimer{"statTimer", journal};
    FakeTextField targetAlertMessage{"targetAlertMessage", journal};
    FakeDrawer targetDrawer{"targetDrawer", journal};
    FakeTextField targetFileName{"targetFileName", journal};
    FakeButton targetFileSelect{"targetFileSelect", journal};
    FakeTextField targetMusicName{"targetMusicName", journal};
    FakeButton targetMusicSelect{"targetMusicSelect", journal};
    FakeMatrix targetSelecter{"targetSelecter", journal, 4, 1, 0, 0};
    FakeView targetSelectView;
    FakePopUpButton targetSoundPopup{"targetSoundPopup", journal};
    FakeButton targetToggleButton{"targetToggleButton", journal};
    FakeButton timerButton{"timerButton", journal};
    FakeButton timerRepeat{"timerRepeat", journal};
};

} // namespace eggtimer::fake
