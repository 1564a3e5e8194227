#include "platform/window/QtControls.h"

#include "platform/system/LongText.h"
#include "platform/system/Utf8.h"
#include "platform/window/OneLineLabel.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>

namespace eggtimer {

namespace {

// The enabled state the controller set on the widget itself; isEnabled()
// would also report a disabled parent.
bool enabledFlag(const QWidget* widget) {
    return !widget->testAttribute(Qt::WA_ForceDisabled);
}

// How much of a value too long for a line field it shows.
constexpr int kShownOfLongValue = 1000;

// Moves a window that has grown past its screen's right edge back left, as
// far as its left edge allows. (A Wayland compositor places windows itself
// and ignores the move.)
void keepOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (screen == nullptr)
        return;
    const QRect room = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    const int shift = std::max(std::min(room.right() - frame.right(), 0), room.left() - frame.left());
    if (shift < 0)
        window->move(window->pos() + QPoint(shift, 0));
}

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

// --- QtSenderControl

QtSenderControl::QtSenderControl(QObject* object)
    : object(object) {}

int QtSenderControl::tag() const {
    return tagOf(object);
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
    : container(container)
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

int QtMatrix::tag() const {
    return tagOf(container);
}
void QtMatrix::setEnabled(bool enabled) {
    container->setEnabled(enabled);
}
bool QtMatrix::isEnabled() const {
    return enabledFlag(container);
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
    : lineEdit(qobject_cast<QLineEdit*>(widget))
    , widget(widget) {
    if (auto* shown = qobject_cast<QLabel*>(widget)) {
        // Status lines and file names are never markup.
        shown->setTextFormat(Qt::PlainText);
        label = new OneLineLabel(shown);
    }
}

int QtTextField::tag() const {
    return tagOf(widget);
}

void QtTextField::setEnabled(bool enabled) {
    widget->setEnabled(enabled);
}

bool QtTextField::isEnabled() const {
    return enabledFlag(widget);
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

QtButton::QtButton(QAbstractButton* button)
    : button(button) {}

int QtButton::tag() const {
    return tagOf(button);
}
void QtButton::setEnabled(bool enabled) {
    button->setEnabled(enabled);
}
bool QtButton::isEnabled() const {
    return enabledFlag(button);
}
std::string QtButton::title() const {
    return button->text().toStdString();
}
void QtButton::setTitle(const std::string& title) {
    button->setText(fromUtf8(title));
}

// --- QtPopUpButton

bool QtPopUpButton::accepts(const QWidget* widget) {
    return qobject_cast<const QComboBox*>(widget) != nullptr;
}

QtPopUpButton::QtPopUpButton(QComboBox* comboBox)
    : comboBox(comboBox) {}

int QtPopUpButton::tag() const {
    return tagOf(comboBox);
}
void QtPopUpButton::setEnabled(bool enabled) {
    comboBox->setEnabled(enabled);
}
bool QtPopUpButton::isEnabled() const {
    return enabledFlag(comboBox);
}
void QtPopUpButton::removeAllItems() {
    comboBox->clear();
}

void QtPopUpButton::addItemWithTitle(const std::string& title) {
    comboBox->addItem(fromUtf8(title), QByteArray(title.data(), qsizetype(title.size())));
}

std::string QtPopUpButton::titleAt(int index) const {
    const QVariant bytes = comboBox->itemData(index);
    if (bytes.typeId() == QMetaType::QByteArray) {
        return bytes.toByteArray().toStdString();
    }
    // An item the interface file itself holds.
    return comboBox->itemText(index).toStdString();
}

std::optional<std::string> QtPopUpButton::selectedItemTitle() const {
    const int index = comboBox->currentIndex();
    if (index < 0) {
        return std::nullopt;
    }
    return titleAt(index);
}

void QtPopUpButton::selectItemWithTitle(const std::string& title) {
    for (int i = 0; i < comboBox->count(); ++i) {
        if (titleAt(i) == title) {
            comboBox->setCurrentIndex(i);
            return;
        }
    }
}

// --- QtTabView

bool QtTabView::accepts(const QWidget* widget) {
    return qobject_cast<const QTabWidget*>(widget) != nullptr;
}

QtTabView::QtTabView(QTabWidget* tabWidget)
    : tabWidget(tabWidget) {}

int QtTabView::tag() const {
    return tagOf(tabWidget);
}
int QtTabView::indexOfSelectedItem() const {
    return tabWidget->currentIndex();
}
int QtTabView::numberOfItems() const {
    return tabWidget->count();
}

void QtTabView::selectItemAtIndex(int index) {
    if (index >= 0 && index < tabWidget->count()) {
        tabWidget->setCurrentIndex(index);
    }
}

void QtTabView::selectFirstItem() {
    selectItemAtIndex(0);
}
void QtTabView::selectNextItem() {
    selectItemAtIndex(tabWidget->currentIndex() + 1);
}
void QtTabView::selectLastItem() {
    selectItemAtIndex(tabWidget->count() - 1);
}

void QtTabView::selectPreviousItem() {
    if (tabWidget->currentIndex() > 0) {
        selectItemAtIndex(tabWidget->currentIndex() - 1);
    }
}

// --- QtDrawer

bool QtDrawer::accepts(const QWidget* widget) {
    return qobject_cast<const QGroupBox*>(widget) != nullptr || isExactly(widget, QFrame::staticMetaObject);
}

QtDrawer::QtDrawer(QWidget* panel)
    : panel(panel) {}

int QtDrawer::tag() const {
    return tagOf(panel);
}
bool QtDrawer::isOpen() const {
    return !panel->isHidden();
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
    // The window takes or gives back the panel's room, unless the user has
    // made it fill the screen.
    QWidget* window = panel->window();
    const bool resizeWindow = window != panel && window->isVisible() &&
                              !(window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
    const QLayout* layout = panel->parentWidget() != nullptr ? panel->parentWidget()->layout() : nullptr;
    const int spacing = layout != nullptr ? std::max(layout->spacing(), 0) : 0;
    // Opening gives back what closing took, so that the window comes back
    // as it was.
    if (!open) {
        panelWidth = panel->width();
    }
    const int room = (panelWidth > 0 ? panelWidth : panel->sizeHint().width()) + spacing;
    const int width = window->width() + (open ? room : -room);
    panel->setVisible(open);
    if (resizeWindow) {
        // The window's minimum size must already account for the change, so
        // the layouts settle now, innermost first; that may have grown the
        // window by itself.
        for (QWidget* widget = panel->parentWidget(); widget != nullptr; widget = widget->parentWidget()) {
            if (widget->layout() != nullptr) {
                widget->layout()->activate();
            }
            if (widget == window) {
                break;
            }
        }
        window->resize(width, window->height());
        if (open)
            keepOnScreen(window);
    }
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
    QObject::connect(button, &QAbstractButton::toggled, panel, [this](bool on) { on ? open() : close(); });
}

void QtDrawer::addToggle(QAction* action) {
    action->setCheckable(true);
    action->setChecked(isOpen());
    actions.emplace_back(action);
    QObject::connect(action, &QAction::toggled, panel, [this](bool on) { on ? open() : close(); });
}

// --- QtView

bool QtView::accepts(const QWidget* widget) {
    return isExactly(widget, QWidget::staticMetaObject) || isExactly(widget, QFrame::staticMetaObject);
}

QtView::QtView(QWidget* widget)
    : widget(widget) {}

int QtView::tag() const {
    return tagOf(widget);
}

// --- QtProgressIndicator

bool QtProgressIndicator::accepts(const QWidget* widget) {
    return qobject_cast<const QProgressBar*>(widget) != nullptr;
}

QtProgressIndicator::QtProgressIndicator(QProgressBar* bar)
    : bar(bar) {}

int QtProgressIndicator::tag() const {
    return tagOf(bar);
}

void QtProgressIndicator::setDoubleValue(double value) {
    bar->setValue(static_cast<int>(value * bar->maximum()));
}

} // namespace eggtimer
