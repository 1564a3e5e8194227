#pragma once
// The window's controls seen through platform/Controls.h. Each adapter wraps
// one widget of the loaded interface file and lives as long as the window; it
// never owns the widget. A control's tag is its int dynamic property "tag".

#include "platform/Controls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QPointer>
#include <QProgressBar>
#include <QString>
#include <QTabWidget>
#include <QWidget>

#include <string>
#include <vector>

class QAction;
class QButtonGroup;
class QLineEdit;
class QRadioButton;

namespace eggtimer {

class OneLineLabel;

// The tag of any widget or action: its int property "tag", 0 without one.
int tagOf(const QObject* object);

// What every adapter does alike: its tag is that of the widget it wraps, of
// class `Widget` (for a sender, a button or a menu entry), and one that can be
// disabled enables and disables that widget.
template <class Interface, class Widget = QWidget> class QtControl : public Interface {
public:
    using Wrapped = Widget;
    explicit QtControl(Widget* widget)
        : widget(widget) {}
    int tag() const override { return tagOf(widget); }

protected:
    Widget* const widget;
};

template <class Interface, class Widget = QWidget>
class QtEnablableControl : public QtControl<Interface, Widget> {
public:
    using QtControl<Interface, Widget>::QtControl;
    void setEnabled(bool enabled) override { this->widget->setEnabled(enabled); }
    // What the controller set on the widget itself; QWidget::isEnabled()
    // would also report a disabled parent.
    bool isEnabled() const override { return !this->widget->testAttribute(Qt::WA_ForceDisabled); }
};

// A control that sends an action but is no outlet (a menu entry, the test
// play button): only its tag matters to the controller.
class QtSenderControl final : public QtControl<Control, QObject> {
public:
    using QtControl::QtControl;
};

// A container widget whose QGridLayout holds QRadioButtons; a cell's row and
// column are its grid position. At most one cell is checked.
class QtMatrix final : public QtEnablableControl<Matrix> {
public:
    // The widget must have a QGridLayout holding at least one QRadioButton.
    static bool accepts(const QWidget* widget);
    explicit QtMatrix(QWidget* container);

    int selectedRow() const override;
    int selectedColumn() const override;
    void selectCell(int row, int column) override;

private:
    struct Cell {
        QRadioButton* button;
        int row;
        int column;
    };
    const Cell* selectedCell() const;
    void clearSelection();

    QButtonGroup* group; // owned by the container
    std::vector<Cell> cells;
};

// A QLineEdit where the user types, or a QLabel showing a line of status or a
// file name. A label shows plain text only, on one row of the width the
// window gives it (OneLineLabel.h), and carries the whole line as its
// accessible name, so that a screen reader reads what changes.
//
// A line field takes at most its maximum length (Qt's default, 32,767
// characters), which it lays out whole at every key. A longer value the
// controller sets (a stored message) is kept whole while the field shows its
// first 1,000 characters and "…"; once the user edits it, the field gives
// what it shows, and undoing the edit brings the whole value back.
class QtTextField final : public QtEnablableControl<TextField> {
public:
    static bool accepts(const QWidget* widget);
    explicit QtTextField(QWidget* widget);

    // The bytes last set come back unchanged while the widget still shows
    // them, even when they are not valid UTF-8 (a file name may not be).
    std::string stringValue() const override;
    void setStringValue(const std::string& text) override;

private:
    QString text() const;

    QLineEdit* lineEdit = nullptr;
    OneLineLabel* label = nullptr;
    std::string lastSet;
    QString lastSetShown;
};

// A QPushButton, QToolButton or QCheckBox.
class QtButton final : public QtEnablableControl<Button, QAbstractButton> {
public:
    static bool accepts(const QWidget* widget);
    using QtEnablableControl::QtEnablableControl;

    std::string title() const override;
    void setTitle(const std::string& title) override;
};

// A QComboBox whose items keep the exact bytes of their titles as item data:
// sound names come from file names, which need not be UTF-8.
class QtPopUpButton final : public QtEnablableControl<PopUpButton, QComboBox> {
public:
    static bool accepts(const QWidget* widget);
    using QtEnablableControl::QtEnablableControl;

    void removeAllItems() override;
    void addItemWithTitle(const std::string& title) override;
    std::optional<std::string> selectedItemTitle() const override;
    void selectItemWithTitle(const std::string& title) override;

private:
    std::string titleAt(int index) const;
};

class QtTabView final : public QtControl<TabView, QTabWidget> {
public:
    static bool accepts(const QWidget* widget);
    using QtControl::QtControl;

    int indexOfSelectedItem() const override;
    int numberOfItems() const override;
    void selectItemAtIndex(int index) override;
    void selectFirstItem() override;
    void selectNextItem() override;
    void selectLastItem() override;
    void selectPreviousItem() override;
};

// A side panel of the window (a QGroupBox or a plain QFrame) shown and hidden
// by checkable toggles: a button and menu entries. The toggles always show
// whether the panel is open. The window makes room for it (WindowGeometry.h).
class QtDrawer final : public QtControl<Drawer> {
public:
    static bool accepts(const QWidget* widget);
    using QtControl::QtControl;

    void close() override;
    bool isOpen() const override;

    void open();
    // Makes a checkable button or action open and close the panel.
    void addToggle(QAbstractButton* button);
    void addToggle(QAction* action);

private:
    void setOpen(bool open);

    int panelWidth = 0; // as it was when last closed
    std::vector<QPointer<QAbstractButton>> buttons;
    std::vector<QPointer<QAction>> actions;
};

// A plain QWidget or QFrame the logic never acts on.
class QtView final : public QtControl<View> {
public:
    static bool accepts(const QWidget* widget);
    using QtControl::QtControl;
};

// A QProgressBar counting from 0 to its maximum: the window's counts in
// hundredths, and a bar repaints only when its count changes.
class QtProgressIndicator final : public QtControl<ProgressIndicator, QProgressBar> {
public:
    static bool accepts(const QWidget* widget);
    using QtControl::QtControl;
    void setDoubleValue(double value) override;
};

} // namespace eggtimer
