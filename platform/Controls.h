#pragma once
// The window's controls as the controller sees them: only the operations the
// logic performs, with the results it relies on. Text is UTF-8 throughout.

#include <optional>
#include <string>

namespace eggtimer {

class Control {
public:
    virtual ~Control() = default;
    // The integer tag a control carries in the interface file; 0 when it has none.
    virtual int tag() const { return 0; }
};

class EnablableControl : public Control {
public:
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
};

// A grid of cells of which at most one is selected.
class Matrix : public EnablableControl {
public:
    // -1 when no cell is selected.
    virtual int selectedRow() const = 0;
    virtual int selectedColumn() const = 0;
    // A row or column of -1 clears the selection; a cell that does not exist
    // changes nothing.
    virtual void selectCell(int row, int column) = 0;
};

class TextField : public EnablableControl {
public:
    virtual std::string stringValue() const = 0;
    virtual void setStringValue(const std::string& text) = 0;
};

class Button : public EnablableControl {
public:
    virtual std::string title() const = 0;
    virtual void setTitle(const std::string& title) = 0;
};

class PopUpButton : public EnablableControl {
public:
    virtual void removeAllItems() = 0;
    // Appends an item at the end.
    virtual void addItemWithTitle(const std::string& title) = 0;
    // The selected item's title; nothing when no item is selected.
    virtual std::optional<std::string> selectedItemTitle() const = 0;
    // Selects the first item bearing the title; an unknown title changes nothing.
    virtual void selectItemWithTitle(const std::string& title) = 0;
};

// Tabs indexed from 0.
class TabView : public Control {
public:
    // -1 when no tab is selected.
    virtual int indexOfSelectedItem() const = 0;
    virtual int numberOfItems() const = 0;
    // An index that names no tab leaves the selection unchanged.
    virtual void selectItemAtIndex(int index) = 0;
    virtual void selectFirstItem() = 0;
    virtual void selectNextItem() = 0;
    virtual void selectLastItem() = 0;
    virtual void selectPreviousItem() = 0;
};

// A side panel of the window; closing a closed drawer does nothing.
class Drawer : public Control {
public:
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

// A plain view the logic never acts on.
class View : public Control {};

// A bar that fills as something comes to its end.
class ProgressIndicator : public Control {
public:
    // From 0, empty, to 1, full. The bar shows it in steps of its own and
    // is drawn again only when the step changes.
    virtual void setDoubleValue(double value) = 0;
};

} // namespace eggtimer
