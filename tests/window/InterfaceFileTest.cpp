// The interface file the program ships: what LoadedInterface::load() cannot
// check by itself (texts, layout, first state, shortcuts, accessibility) and
// the way its controls reach the controller.

#include "app/Binding.h"
#include "controller/Actions.h"
#include "platform/window/QtControls.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace eggtimer::test {
namespace {

struct InterfaceFile : testing::Test {
    std::string error;
    std::unique_ptr<LoadedInterface> ui;
    Outlets outlets;

    void SetUp() override {
        qunsetenv("EGGTIMER_INTERFACE_FILE");
        ui = loadControllerWindow(LoadedInterface::defaultPath(), error);
        ASSERT_NE(ui, nullptr) << error;
        outlets = outletsOf(*ui);
    }

    template <class T = QWidget> T* widget(const char* name) const {
        auto* found = ui->window()->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static QString plainText(QString text) { return text.remove(QLatin1Char('&')); }
};

// The controller leaves a control as the window made it where no setting says
// otherwise.
TEST_F(InterfaceFile, OpensReadyToStart) {
    forEachOutlet(outlets, [](const char* name, auto* field) { ASSERT_NE(field, nullptr) << name; });
    for (const EnablableControl* control : std::initializer_list<const EnablableControl*>{
             outlets.targetSelecter, outlets.targetSoundPopup, outlets.targetFileSelect,
             outlets.targetMusicSelect, outlets.targetAlertMessage}) {
        EXPECT_TRUE(control->isEnabled());
    }
    EXPECT_TRUE(outlets.targetDrawer->isOpen());
    EXPECT_EQ(outlets.targetSelecter->selectedRow(), 0);
    EXPECT_EQ(outlets.modeTab->indexOfSelectedItem(), 0);
    // The name fields start empty: the status line shows a bare "[Music] " then.
    EXPECT_EQ(outlets.targetMusicName->stringValue(), "");
    EXPECT_EQ(outlets.targetFileName->stringValue(), "");
    EXPECT_EQ(outlets.targetAlertMessage->stringValue(), "");
    // The timer never repeats; nothing may suggest it does.
    auto* repeat = widget<QAbstractButton>("timerRepeat");
    EXPECT_TRUE(repeat->isHidden());
    EXPECT_FALSE(repeat->isEnabled());
}

// The tab's index is the controller's mode; its menu entry carries it as tag.
TEST_F(InterfaceFile, ModeTabsAreInOrderWithTheirControlsAndMenuEntries) {
    auto* tabs = widget<QTabWidget>("modeTab");
    const std::vector<std::pair<QString, std::vector<const char*>>> expected = {
        {"Preset", {"modeMinSelecter"}},
        {"Duration", {"modeDhmDay", "modeDhmHour", "modeDhmMin"}},
        {"Alarm", {"modeAlcHour", "modeAlcMin", "modeAlcAMPMSelecter"}},
    };
    ASSERT_EQ(tabs->count(), int(expected.size()));
    for (int index = 0; index < tabs->count(); ++index) {
        EXPECT_EQ(plainText(tabs->tabText(index)), expected[size_t(index)].first);
        for (const char* name : expected[size_t(index)].second) {
            EXPECT_TRUE(tabs->widget(index)->isAncestorOf(widget(name))) << name << " on tab " << index;
        }
    }
    std::set<int> tags;
    for (const LoadedInterface::Sender& sender : ui->senders()) {
        if (sender.actionName == "changeModeWithSenderTag:") {
            const int tag = sender.control->tag();
            ASSERT_TRUE(tag >= 0 && tag < tabs->count()) << tag;
            tags.insert(tag);
            EXPECT_EQ(plainText(qobject_cast<QAction*>(sender.object)->text()),
                      plainText(tabs->tabText(tag)));
        }
    }
    EXPECT_EQ(tags, (std::set<int>{0, 1, 2}));
}

TEST_F(InterfaceFile, MatricesShowTheirCellsAtTheirGridPositions) {
    struct Shape {
        Matrix* matrix;
        const char* name;
        bool oneRow;
        QStringList texts; // top to bottom, left to right
    };
    const Shape shapes[] = {
        {outlets.modeMinSelecter, "modeMinSelecter", true, {"1", "3", "4", "5", "10"}},
        {outlets.targetSelecter, "targetSelecter", false, {"Sound", "Music", "File", "Alert"}},
        {outlets.modeAlcAMPMSelecter, "modeAlcAMPMSelecter", false, {"AM", "PM"}},
    };
    for (const auto& [matrix, name, oneRow, texts] : shapes) {
        const QList<QRadioButton*> cells = widget(name)->findChildren<QRadioButton*>();
        const auto checked = [&] {
            return std::count_if(cells.begin(), cells.end(), [](auto* cell) { return cell->isChecked(); });
        };
        EXPECT_EQ(cells.size(), texts.size()) << name;
        EXPECT_EQ(checked(), 1) << name;
        for (int i = 0; i < texts.size(); ++i) {
            matrix->selectCell(oneRow ? 0 : i, oneRow ? i : 0);
            const auto selected =
                std::find_if(cells.begin(), cells.end(), [](auto* c) { return c->isChecked(); });
            ASSERT_NE(selected, cells.end()) << name << " cell " << i;
            EXPECT_EQ(plainText((*selected)->text()), texts[i]) << name << " cell " << i;
        }
    }
}

// Each sender dispatches the action its file entry names, once, as the
// control the controller knows (load() checks that an outlet sends as itself).
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
        const QString named = sender.object->property("action").toString();
        ASSERT_EQ(performed.size(), 1U) << named.toStdString();
        EXPECT_EQ(kActionDescriptions[performed.front().first].name, named.toStdString());
        EXPECT_EQ(performed.front().second, sender.control);
    }
}

// The button and the menu entry both toggle the drawer, which takes the target
// controls and their room with it; the lock closes it as the user would.
TEST_F(InterfaceFile, TheDrawerHidesTheTargetControlsAndTheirRoom) {
    ui->window()->show();
    // As in use: the window has been laid out and drawn before the drawer moves.
    QApplication::processEvents();
    auto* toggle = widget<QAbstractButton>("targetToggleButton");
    const QList<QAction*> actions = ui->window()->findChildren<QAction*>();
    const auto menuEntry = std::find_if(actions.begin(), actions.end(), [](QAction* action) {
        return action->property("toggles").isValid();
    });
    ASSERT_NE(menuEntry, actions.end());
    const int open = ui->window()->width();
    const int drawerWidth = widget("targetDrawer")->width();

    toggle->click();
    EXPECT_FALSE(outlets.targetDrawer->isOpen());
    EXPECT_FALSE((*menuEntry)->isChecked());
    EXPECT_LE(ui->window()->width(), open - drawerWidth);
    for (const char* name :
         {"targetSelecter", "targetSoundPopup", "targetMusicName", "targetMusicSelect", "targetFileName",
          "targetFileSelect", "targetAlertMessage", "targetSelectView"}) {
        EXPECT_FALSE(widget(name)->isVisibleTo(ui->window())) << name;
    }
    (*menuEntry)->trigger();
    EXPECT_TRUE(outlets.targetDrawer->isOpen());
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_EQ(ui->window()->width(), open);

    outlets.targetDrawer->close();
    const int closed = ui->window()->width();
    outlets.targetDrawer->close();
    EXPECT_EQ(ui->window()->width(), closed);
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE((*menuEntry)->isChecked());
}

TEST_F(InterfaceFile, ShortcutsAreUniqueAndTheUsualOnesAreThere) {
    std::map<QString, int> uses;
    std::map<QString, QKeySequence> byAction;
    for (QAction* action : ui->window()->findChildren<QAction*>()) {
        if (!action->shortcut().isEmpty()) {
            EXPECT_EQ(++uses[action->shortcut().toString()], 1)
                << action->shortcut().toString().toStdString();
        }
        byAction[action->property("action").toString()] = action->shortcut();
    }
    EXPECT_EQ(uses.count(QKeySequence(QKeySequence::Quit).toString()) + uses.count(QStringLiteral("Ctrl+Q")),
              1U);
    for (const char* action : {"startStopButton:", "nextMode:", "prevMode:"}) {
        EXPECT_FALSE(byAction[action].isEmpty()) << action;
    }
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
    int controls = 0;
    for (QWidget* control : ui->window()->findChildren<QWidget*>()) {
        const auto* button = qobject_cast<const QAbstractButton*>(control);
        // Qt's own, such as the menu bar's overflow button, are not ours to name.
        if (control->objectName().startsWith(QLatin1String("qt_")) ||
            (!button && !qobject_cast<QLineEdit*>(control) && !qobject_cast<QComboBox*>(control))) {
            continue;
        }
        ++controls;
        const bool named = !control->accessibleName().isEmpty() || buddies.count(control) != 0 ||
                           (button != nullptr && !plainText(button->text()).trimmed().isEmpty());
        EXPECT_TRUE(named) << control->objectName().toStdString();
    }
    EXPECT_GT(controls, 20);
}

// The status lines and file names are labels the user may select and copy
// but not edit, each described for a screen reader (which reads their whole
// line as it is: OneLineLabel's and QtTextField's tests).
TEST_F(InterfaceFile, StatusLinesAreSelectableAndDescribeThemselves) {
    const std::pair<const char*, const char*> lines[] = {
        {"statTimer", "Timer state"}, {"statSeconds", "Seconds"},        {"statFireTime", "Fire time"},
        {"statFireTarget", "Target"}, {"targetMusicName", "Music file"}, {"targetFileName", "File"},
    };
    for (const auto& [name, description] : lines) {
        auto* label = widget<QLabel>(name);
        ASSERT_NE(label, nullptr);
        EXPECT_TRUE(label->textInteractionFlags() & Qt::TextSelectableByMouse) << name;
        EXPECT_EQ(label->accessibleDescription(), QString::fromLatin1(description)) << name;
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

} // namespace
} // namespace eggtimer::test
