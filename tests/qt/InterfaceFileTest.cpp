// The interface file the program ships: everything the controller relies on
// is there, of the right class, wired to the right action, in its first state.

#include "app/Binding.h"
#include "controller/Actions.h"
#include "platform/qt/QtControls.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace eggtimer {
namespace {

struct InterfaceFile : testing::Test {
    std::string error;
    std::unique_ptr<LoadedInterface> ui;
    Outlets boundOutlets;
    const Outlets* outlets = &boundOutlets;

    void SetUp() override {
        qunsetenv("EGGTIMER_INTERFACE_FILE");
        ui = loadControllerWindow(LoadedInterface::defaultPath(), error);
        ASSERT_NE(ui, nullptr) << error;
        boundOutlets = outletsOf(*ui);
    }

    template <class T = QWidget> T* widget(const char* name) const {
        auto* found = ui->window()->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QList<QAction*> actions() const { return ui->window()->findChildren<QAction*>(); }

    static QString plainText(QString text) { return text.remove(QLatin1Char('&')); }
};

TEST_F(InterfaceFile, IsTheCompiledInMainWindowWithEveryOutletBound) {
    EXPECT_EQ(LoadedInterface::defaultPath(), QStringLiteral(":/eggtimer.ui"));
    EXPECT_NE(qobject_cast<QMainWindow*>(ui->window()), nullptr);
    forEachOutlet(*outlets, [](const char* name, auto* field) { EXPECT_NE(field, nullptr) << name; });
}

TEST_F(InterfaceFile, TextFieldsAreEditableExactlyWhereTheUserTypes) {
    const std::set<std::string> typed = {"modeAlcHour", "modeAlcMin", "modeDhmDay",
                                         "modeDhmHour", "modeDhmMin", "targetAlertMessage"};
    for (const OutletDescription& outlet : kOutletDescriptions) {
        if (outlet.kind != OutletKind::TextField) {
            continue;
        }
        auto* found = widget(outlet.name);
        ASSERT_NE(found, nullptr);
        if (typed.count(outlet.name) != 0) {
            EXPECT_NE(qobject_cast<QLineEdit*>(found), nullptr) << outlet.name;
        } else {
            auto* label = qobject_cast<QLabel*>(found);
            ASSERT_NE(label, nullptr) << outlet.name;
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << outlet.name;
            EXPECT_TRUE(label->textInteractionFlags() & Qt::TextSelectableByMouse) << outlet.name;
        }
    }
}

TEST_F(InterfaceFile, ModeTabsAreInOrderAndHoldTheirControls) {
    auto* tabs = widget<QTabWidget>("modeTab");
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    const std::vector<std::vector<const char*>> contents = {
        {"modeMinSelecter"},
        {"modeDhmDay", "modeDhmHour", "modeDhmMin"},
        {"modeAlcHour", "modeAlcMin", "modeAlcAMPMSelecter"},
    };
    const QStringList titles = {QStringLiteral("Preset"), QStringLiteral("Duration"),
                                QStringLiteral("Alarm")};
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(plainText(tabs->tabText(index)), titles[index]);
        for (const char* name : contents[size_t(index)]) {
            EXPECT_TRUE(tabs->widget(index)->isAncestorOf(widget(name))) << name << " on tab " << index;
        }
    }
    EXPECT_EQ(outlets->modeTab->indexOfSelectedItem(), 0);
}

TEST_F(InterfaceFile, MatricesHaveTheirShapesAndOneSelectedCell) {
    struct Shape {
        const char* name;
        Matrix* matrix;
        int rows, columns;
        QStringList texts; // top to bottom, left to right
    };
    const Shape shapes[] = {
        {"modeMinSelecter", outlets->modeMinSelecter, 1, 5, {"1", "3", "4", "5", "10"}},
        {"targetSelecter", outlets->targetSelecter, 4, 1, {"Sound", "Music", "File", "Alert"}},
        {"modeAlcAMPMSelecter", outlets->modeAlcAMPMSelecter, 2, 1, {"AM", "PM"}},
    };
    for (const Shape& shape : shapes) {
        Matrix* matrix = shape.matrix;
        EXPECT_NE(matrix->selectedRow(), -1) << shape.name;
        const QList<QRadioButton*> cells = widget(shape.name)->findChildren<QRadioButton*>();
        EXPECT_EQ(cells.size(), shape.rows * shape.columns) << shape.name;
        int checked = 0;
        for (const QRadioButton* cell : cells) {
            checked += cell->isChecked() ? 1 : 0;
        }
        EXPECT_EQ(checked, 1) << shape.name;
        // Each cell's text at its grid position.
        for (int i = 0; i < shape.texts.size(); ++i) {
            const int row = shape.rows == 1 ? 0 : i;
            const int column = shape.rows == 1 ? i : 0;
            matrix->selectCell(row, column);
            const QRadioButton* selected = nullptr;
            for (const QRadioButton* cell : cells) {
                selected = cell->isChecked() ? cell : selected;
            }
            ASSERT_NE(selected, nullptr);
            EXPECT_EQ(plainText(selected->text()), shape.texts[i])
                << shape.name << " cell " << row << "," << column;
            EXPECT_EQ(matrix->selectedRow(), row) << shape.name;
            EXPECT_EQ(matrix->selectedColumn(), column) << shape.name;
        }
        // No cell lies beyond the last row or column.
        matrix->selectCell(shape.rows, 0);
        matrix->selectCell(0, shape.columns);
        EXPECT_EQ(matrix->selectedRow(), shape.rows - 1) << shape.name;
        EXPECT_EQ(matrix->selectedColumn(), shape.columns - 1) << shape.name;
    }
}

TEST_F(InterfaceFile, OpensReadyToStart) {
    EXPECT_EQ(outlets->timerButton->title(), "START");
    for (const EnablableControl* control : std::initializer_list<const EnablableControl*>{
             outlets->targetSelecter, outlets->targetSoundPopup, outlets->targetFileSelect,
             outlets->targetMusicSelect, outlets->targetAlertMessage}) {
        EXPECT_TRUE(control->isEnabled());
    }
    EXPECT_TRUE(outlets->targetDrawer->isOpen());
    EXPECT_TRUE(widget<QAbstractButton>("targetToggleButton")->isChecked());
    EXPECT_EQ(outlets->targetSelecter->selectedRow(), 0);
    // The name fields start empty: the status line shows a bare "[Music] " then.
    EXPECT_EQ(outlets->targetMusicName->stringValue(), "");
    EXPECT_EQ(outlets->targetFileName->stringValue(), "");
    EXPECT_EQ(outlets->targetAlertMessage->stringValue(), "");
    // The timer never repeats; nothing may suggest it does.
    auto* repeat = widget<QAbstractButton>("timerRepeat");
    EXPECT_TRUE(repeat->isHidden());
    EXPECT_FALSE(repeat->isEnabled());
}

TEST_F(InterfaceFile, EveryActionIsKnownAndEveryOneIsSent) {
    std::map<std::string, int> sent;
    for (const LoadedInterface::Sender& sender : ui->senders()) {
        ASSERT_LT(sender.action, kActionDescriptions.size());
        EXPECT_EQ(sender.actionName, kActionDescriptions[sender.action].name);
        ++sent[sender.actionName];
    }
    for (const char* name : {"startStopButton:", "changeModeWithSenderTag:", "nextMode:", "prevMode:",
                             "selectTargetFile:", "selectTargetMusic:", "testPlayTargetSound:"}) {
        EXPECT_GE(sent[name], 1) << name;
    }
    EXPECT_EQ(sent.size(), 7U);
}

TEST_F(InterfaceFile, NamedControlsSendTheirActions) {
    const std::pair<Control*, const char*> pairs[] = {
        {outlets->timerButton, "startStopButton:"},
        {outlets->targetFileSelect, "selectTargetFile:"},
        {outlets->targetMusicSelect, "selectTargetMusic:"},
        {outlets->modeNext, "nextMode:"},
        {outlets->modePrev, "prevMode:"},
    };
    for (const auto& [control, action] : pairs) {
        bool found = false;
        for (const LoadedInterface::Sender& sender : ui->senders()) {
            found = found || (sender.control == control && sender.actionName == action);
        }
        EXPECT_TRUE(found) << action;
    }
}

TEST_F(InterfaceFile, ModeSelectorsCarryTheIndexOfTheirTab) {
    auto* tabs = widget<QTabWidget>("modeTab");
    std::set<int> tags;
    for (const LoadedInterface::Sender& sender : ui->senders()) {
        if (sender.actionName != "changeModeWithSenderTag:") {
            continue;
        }
        const int tag = sender.control->tag();
        ASSERT_GE(tag, 0);
        ASSERT_LT(tag, tabs->count());
        tags.insert(tag);
        // A menu entry names the tab it selects.
        if (auto* action = qobject_cast<QAction*>(sender.object)) {
            EXPECT_EQ(plainText(action->text()), plainText(tabs->tabText(tag)));
        }
    }
    EXPECT_EQ(tags, (std::set<int>{0, 1, 2}));
}

TEST_F(InterfaceFile, EverySenderReachesTheControllerAsItsOwnAdapter) {
    std::vector<std::pair<std::size_t, Control*>> performed;
    ui->connectActions([&](std::size_t action, Control* sender) { performed.emplace_back(action, sender); });
    for (const LoadedInterface::Sender& sender : ui->senders()) {
        performed.clear();
        if (auto* button = qobject_cast<QAbstractButton*>(sender.object)) {
            button->click();
        } else {
            qobject_cast<QAction*>(sender.object)->trigger();
        }
        ASSERT_EQ(performed.size(), 1U) << sender.actionName;
        EXPECT_EQ(performed.front().first, sender.action);
        EXPECT_EQ(performed.front().second, sender.control);
    }
    // Outlets send as themselves, so the controller may compare them.
    performed.clear();
    widget<QAbstractButton>("timerButton")->click();
    ASSERT_EQ(performed.size(), 1U);
    EXPECT_EQ(performed.front().second, outlets->timerButton);
}

TEST_F(InterfaceFile, TheTargetToggleAndTheMenuOpenAndCloseTheDrawer) {
    auto* toggle = widget<QAbstractButton>("targetToggleButton");
    QAction* menuEntry = nullptr;
    for (QAction* action : actions()) {
        menuEntry = action->property("toggles").isValid() ? action : menuEntry;
    }
    ASSERT_NE(menuEntry, nullptr);
    toggle->click();
    EXPECT_FALSE(outlets->targetDrawer->isOpen());
    EXPECT_FALSE(menuEntry->isChecked());
    menuEntry->trigger();
    EXPECT_TRUE(outlets->targetDrawer->isOpen());
    EXPECT_TRUE(toggle->isChecked());
    // The lock closes it; the toggle must then offer to open it again.
    outlets->targetDrawer->close();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(widget("targetSelecter")->isVisibleTo(ui->window()));
}

TEST_F(InterfaceFile, TheWindowNarrowsWhileTheDrawerIsClosed) {
    ui->window()->show();
    // As in use: the window has been laid out and drawn before the drawer moves.
    QApplication::processEvents();
    const int open = ui->window()->width();
    const int drawerWidth = widget("targetDrawer")->width();
    outlets->targetDrawer->close();
    EXPECT_LE(ui->window()->width(), open - drawerWidth);
    widget<QAbstractButton>("targetToggleButton")->click();
    EXPECT_EQ(ui->window()->width(), open);
}

TEST_F(InterfaceFile, TheDrawerHoldsTheTargetControls) {
    QWidget* drawer = widget("targetDrawer");
    for (const char* name :
         {"targetSelecter", "targetSoundPopup", "targetMusicName", "targetMusicSelect", "targetFileName",
          "targetFileSelect", "targetAlertMessage", "targetSelectView"}) {
        EXPECT_TRUE(drawer->isAncestorOf(widget(name))) << name;
    }
}

TEST_F(InterfaceFile, ShortcutsAreUniqueAndTheUsualOnesAreThere) {
    std::map<QString, int> uses;
    std::map<std::string, QKeySequence> byAction;
    for (QAction* action : actions()) {
        if (!action->shortcut().isEmpty()) {
            ++uses[action->shortcut().toString()];
        }
        byAction[action->property("action").toString().toStdString()] = action->shortcut();
    }
    for (const auto& [shortcut, count] : uses) {
        EXPECT_EQ(count, 1) << shortcut.toStdString();
    }
    EXPECT_EQ(uses.count(QKeySequence(QKeySequence::Quit).toString()) + uses.count(QStringLiteral("Ctrl+Q")),
              1U);
    EXPECT_FALSE(byAction["startStopButton:"].isEmpty());
    EXPECT_FALSE(byAction["nextMode:"].isEmpty());
    EXPECT_FALSE(byAction["prevMode:"].isEmpty());
}

// Every control a user acts on says what it is: by its text, a label that
// names it as its buddy, or an accessible name.
TEST_F(InterfaceFile, EveryControlIsNamedForAssistiveTechnology) {
    std::set<const QWidget*> buddies;
    for (const QLabel* label : ui->window()->findChildren<QLabel*>()) {
        if (label->buddy() != nullptr && !plainText(label->text()).trimmed().isEmpty()) {
            buddies.insert(label->buddy());
        }
    }
    QList<QWidget*> controls;
    for (QWidget* control : ui->window()->findChildren<QWidget*>()) {
        if (control->objectName().startsWith(QLatin1String("qt_"))) {
            continue; // Qt's own, such as the menu bar's overflow button
        }
        if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control) ||
            qobject_cast<QComboBox*>(control)) {
            controls.append(control);
        }
    }
    ASSERT_GT(controls.size(), 20);
    for (const QWidget* control : controls) {
        const auto* button = qobject_cast<const QAbstractButton*>(control);
        const bool named = !control->accessibleName().isEmpty() || buddies.count(control) != 0 ||
                           (button != nullptr && !plainText(button->text()).trimmed().isEmpty());
        EXPECT_TRUE(named) << control->objectName().toStdString();
    }
}

TEST_F(InterfaceFile, StatusLinesDescribeThemselvesAndReadOutTheirText) {
    const std::tuple<const char*, TextField*, const char*> lines[] = {
        {"statTimer", outlets->statTimer, "Timer state"},
        {"statSeconds", outlets->statSeconds, "Seconds"},
        {"statFireTime", outlets->statFireTime, "Fire time"},
        {"statFireTarget", outlets->statFireTarget, "Target"},
        {"targetMusicName", outlets->targetMusicName, "Music file"},
        {"targetFileName", outlets->targetFileName, "File"},
    };
    for (const auto& [name, field, description] : lines) {
        auto* label = widget<QLabel>(name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->accessibleDescription(), QString::fromLatin1(description)) << name;
        field->setStringValue("( 42 seconds after )");
        EXPECT_EQ(label->accessibleName(), QStringLiteral("( 42 seconds after )")) << name;
    }
}

// Designer's widget plugins would bring Qt Quick into every start.
TEST_F(InterfaceFile, LoadsNoDesignerPlugins) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    EXPECT_FALSE(mapped.contains("/designer/")) << "a designer plugin is loaded";
    EXPECT_FALSE(mapped.contains("libQt6Quick")) << "Qt Quick is loaded";
}

TEST_F(InterfaceFile, UsesNoOpenGlWidgets) {
    for (const QWidget* child : ui->window()->findChildren<QWidget*>()) {
        EXPECT_FALSE(QByteArray(child->metaObject()->className()).contains("OpenGL"))
            << child->objectName().toStdString();
    }
}

} // namespace
} // namespace eggtimer
