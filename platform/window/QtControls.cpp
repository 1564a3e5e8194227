#include "platform/window/QtControls.h"

#include "platform/system/LongText.h"
#include "platform/system/Utf8.h"
#include "platform/window/OneLineLabel.h"
#include "platform/window/WindowGeometry.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>

namespace eggtimer {

namespace {

// How much of a value too long for a line field it shows.
constexpr int kShownOfLongValue = 1000;

bool isExactly(const QWidget* widget, const QMetaObject& type) {
    return widget->metaObject() == &type;
}

} // namespace

int tagOf(const QObject* object) {
    if (object == nullptr) {
        return 0;
    }
    bool ok = false;
    const int tag = object->property("tag").toInt(&ok);
    return ok ? tag : 0;
}

// --- QtMatrix

bool QtMatrix::accepts(const QWidget* widget) {
    if (qobject_cast<const QAbstractButton*>(widget) != nullptr) {
        return false;
    }
    const auto* grid = qobject_cast<const QGridLayout*>(widget->layout());
    if (grid == nullptr) {
        return false;
    }
    for (int i = 0; i < grid->count(); ++i) {
        if (qobject_cast<QRadioButton*>(grid->itemAt(i)->widget()) != nullptr) {
            return true;
        }
    }
    return false;
}

QtMatrix::QtMatrix(QWidget* container)
    : QtEnablableControl(container)
    , group(new QButtonGroup(container)) {
    const auto* grid = qobject_cast<const QGridLayout*>(container->layout());
    for (int i = 0; grid != nullptr && i < grid->count(); ++i) {
        auto* button = qobject_cast<QRadioButton*>(grid->itemAt(i)->widget());
        if (button == nullptr) {
            continue;
        }
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        cells.push_back({button, row, column});
        group->addButton(button);
    }
    group->setExclusive(true);
}

const QtMatrix::Cell* QtMatrix::selectedCell() const {
    for (const Cell& cell : cells) {
        if (cell.button->isChecked()) {
            return &cell;
        }
    }
    return nullptr;
}

int QtMatrix::selectedRow() const {
    const Cell* cell = selectedCell();
    return cell != nullptr ? cell->row : -1;
}

int QtMatrix::selectedColumn() const {
    const Cell* cell = selectedCell();
    return cell != nullptr ? cell->column : -1;
}

void QtMatrix::selectCell(int row, int column) {
    if (row == -1 || column == -1) {
        clearSelection();
        return;
    }
    for (const Cell& cell : cells) {
        if (cell.row == row && cell.column == column) {
            cell.button->setChecked(true);
            return;
        }
    }
}

void QtMatrix::clearSelection() {
    // An exclusive group refuses to uncheck its checked button.
    group->setExclusive(false);
    for (const Cell& cell : cells) {
        cell.button->setChecked(false);
    }
    group->setExclusive(true);
}

// --- QtTextField

bool QtTextField::accepts(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) != nullptr ||
           qobject_cast<const QLabel*>(widget) != nullptr;
}

QtTextField::QtTextField(QWidget* widget)
    : QtEnablableControl(widget)
    , lineEdit(qobject_cast<QLineEdit*>(widget)) {
    if (auto* shown = qobject_cast<QLabel*>(widget)) {
        // Status lines and file names are never markup.
        shown->setTextFormat(Qt::PlainText);
        label = new OneLineLabel(shown);
    }
}

QString QtTextField::text() const {
    return label != nullptr ? label->line() : lineEdit->text();
}

std::string QtTextField::stringValue() const {
    const QString shown = text();
    if (shown == lastSetShown) {
        return lastSet;
    }
    return shown.toStdString();
}

void QtTextField::setStringValue(const std::string& text) {
    // The status lines are rewritten every second, mostly with what they
    // already show: leave those alone rather than repaint and re-announce.
    if (text == lastSet && this->text() == lastSetShown)
        return;
    lastSet = text;
    lastSetShown = fromUtf8(text);
    if (label != nullptr) {
        label->setLine(lastSetShown);
        return;
    }
    // Of a value too long for the field, its beginning, with room left to type.
    if (lastSetShown.size() > lineEdit->maxLength())
        lastSetShown = cutWithEllipsis(lastSetShown, std::min(kShownOfLongValue, lineEdit->maxLength() / 2));
    lineEdit->setText(lastSetShown);
    // A text wider than the field shows its beginning, not its end.
    lineEdit->setCursorPosition(0);
}

// --- QtButton

bool QtButton::accepts(const QWidget* widget) {
    return qobject_cast<const QPushButton*>(widget) != nullptr ||
           qobject_cast<const QToolButton*>(widget) != nullptr ||
           qobject_cast<const QCheckBox*>(widget) != nullptr;
}

std::string QtButton::title() const {
    return widget->text().toStdString();
}
void QtButton::setTitle(const std::string& title) {
    widget->setText(fromUtf8(title));
}

// --- QtPopUpButton

bool QtPopUpButton::accepts(const QWidget* widget) {
    return qobject_cast<const QComboBox*>(widget) != nullptr;
}

void QtPopUpButton::removeAllItems() {
    widget->clear();
}

void QtPopUpButton::addItemWithTitle(const std::string& title) {
    widget->addItem(fromUtf8(title), QByteArray(title.data(), qsizetype(title.size())));
}

std::string QtPopUpButton::titleAt(int index) const {
    const QVariant bytes = widget->itemData(index);
    if (bytes.typeId() == QMetaType::QByteArray) {
        return bytes.toByteArray().toStdString();
    }
    // An item the interface file itself holds.
    return widget->itemText(index).toStdString();
}

std::optional<std::string> QtPopUpButton::selectedItemTitle() const {
    const int index = widget->currentIndex();
    if (index < 0) {
        return std::nullopt;
    }
    return titleAt(index);
}

void QtPopUpButton::selectItemWithTitle(const std::string& title) {
    for (int i = 0; i < widget->count(); ++i) {
        if (titleAt(i) == title) {
            widget->setCurrentIndex(i);
            return;
        }
    }
}

// --- QtTabView

bool QtTabView::accepts(const QWidget* widget) {
    return qobject_cast<const QTabWidget*>(widget) != nullptr;
}

int QtTabView::indexOfSelectedItem() const {
    return widget->currentIndex();
}
int QtTabView::numberOfItems() const {
    return widget->count();
}

void QtTabView::selectItemAtIndex(int index) {
    if (index >= 0 && index < widget->count()) {
        widget->setCurrentIndex(index);
    }
}

void QtTabView::selectFirstItem() {
    selectItemAtIndex(0);
}
void QtTabView::selectNextItem() {
    selectItemAtIndex(widget->currentIndex() + 1);
}
void QtTabView::selectLastItem() {
    selectItemAtIndex(widget->count() - 1);
}

void QtTabView::selectPreviousItem() {
    if (widget->currentIndex() > 0) {
        selectItemAtIndex(widget->currentIndex() - 1);
    }
}

// --- QtDrawer

bool QtDrawer::accepts(const QWidget* widget) {
    return qobject_cast<const QGroupBox*>(widget) != nullptr || isExactly(widget, QFrame::staticMetaObject);
}

bool QtDrawer::isOpen() const {
    return !widget->isHidden();
}

void QtDrawer::close() {
    if (isOpen()) {
        setOpen(false);
    }
}

void QtDrawer::open() {
    if (!isOpen()) {
        setOpen(true);
    }
}

void QtDrawer::setOpen(bool open) {
    // Opening gives back what closing took, so that the window comes back
    // as it was.
    if (!open)
        panelWidth = widget->width();
    showSidePanel(widget, open, panelWidth);
    for (const auto& button : buttons) {
        if (button != nullptr && button->isChecked() != open) {
            const QSignalBlocker blocker(button);
            button->setChecked(open);
        }
    }
    for (const auto& action : actions) {
        if (action != nullptr && action->isChecked() != open) {
            const QSignalBlocker blocker(action);
            action->setChecked(open);
        }
    }
}

void QtDrawer::addToggle(QAbstractButton* button) {
    button->setCheckable(true);
    button->setChecked(isOpen());
    buttons.emplace_back(button);
    QObject::connect(button, &QAbstractButton::toggled, widget, [this](bool on) { on ? open() : close(); });
}

void QtDrawer::addToggle(QAction* action) {
    action->setCheckable(true);
    action->setChecked(isOpen());
    actions.emplace_back(action);
    QObject::connect(action, &QAction::toggled, widget, [this](bool on) { on ? open() : close(); });
}

// --- QtView

bool QtView::accepts(const QWidget* widget) {
    return isExactly(widget, QWidget::staticMetaObject) || isExactly(widget, QFrame::staticMetaObject);
}

// --- QtProgressIndicator

bool QtProgressIndicator::accepts(const QWidget* widget) {
    return qobject_cast<const QProgressBar*>(widget) != nullptr;
}

void QtProgressIndicator::setDoubleValue(double value) {
    widget->setValue(static_cast<int>(value * widget->maximum()));
}

} // namespace eggtimer
