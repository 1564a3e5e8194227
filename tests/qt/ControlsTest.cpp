// The Qt adapters keep the promises of platform/Controls.h, in particular the
// no-op cases the controller relies on.

#include "platform/qt/QtControls.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace eggtimer {
namespace {

// A 2x3 grid of cells with the cell at row 1, column 2 missing.
struct MatrixFixture : testing::Test {
    QWidget container;
    std::unique_ptr<QtMatrix> matrix;

    MatrixFixture() {
        auto* grid = new QGridLayout(&container);
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 3; ++column) {
                if (row == 1 && column == 2) {
                    continue;
                }
                grid->addWidget(new QRadioButton(QString("%1,%2").arg(row).arg(column)), row, column);
            }
        }
        matrix = std::make_unique<QtMatrix>(&container);
    }

    int checkedCount() const {
        int count = 0;
        for (const QRadioButton* button : container.findChildren<QRadioButton*>()) {
            count += button->isChecked() ? 1 : 0;
        }
        return count;
    }
};

TEST_F(MatrixFixture, StartsWithoutSelectionAndSelectsByGridPosition) {
    EXPECT_EQ(matrix->selectedRow(), -1);
    EXPECT_EQ(matrix->selectedColumn(), -1);
    matrix->selectCell(1, 1);
    EXPECT_EQ(matrix->selectedRow(), 1);
    EXPECT_EQ(matrix->selectedColumn(), 1);
    matrix->selectCell(0, 2);
    EXPECT_EQ(matrix->selectedRow(), 0);
    EXPECT_EQ(matrix->selectedColumn(), 2);
    EXPECT_EQ(checkedCount(), 1);
}

TEST_F(MatrixFixture, MinusOneInEitherCoordinateClearsTheSelection) {
    for (const auto& [row, column] : {std::pair{-1, 0}, std::pair{0, -1}, std::pair{-1, -1}}) {
        matrix->selectCell(1, 0);
        ASSERT_EQ(matrix->selectedRow(), 1);
        matrix->selectCell(row, column);
        EXPECT_EQ(matrix->selectedRow(), -1) << row << "," << column;
        EXPECT_EQ(matrix->selectedColumn(), -1) << row << "," << column;
        EXPECT_EQ(checkedCount(), 0);
    }
}

TEST_F(MatrixFixture, CellsStayExclusiveAfterAClear) {
    matrix->selectCell(0, 0);
    matrix->selectCell(-1, -1);
    matrix->selectCell(0, 1);
    matrix->selectCell(1, 0);
    EXPECT_EQ(checkedCount(), 1);
    // A user's click on the checked cell must not uncheck it either.
    container.findChildren<QRadioButton*>().at(3)->click();
    EXPECT_EQ(checkedCount(), 1);
}

TEST_F(MatrixFixture, ACellThatDoesNotExistChangesNothing) {
    for (const auto& [row, column] : {std::pair{1, 2}, std::pair{2, 0}, std::pair{0, 3}, std::pair{-2, 0}}) {
        matrix->selectCell(0, 1);
        matrix->selectCell(row, column);
        EXPECT_EQ(matrix->selectedRow(), 0) << row << "," << column;
        EXPECT_EQ(matrix->selectedColumn(), 1) << row << "," << column;
    }
}

TEST_F(MatrixFixture, ReportsItsOwnEnabledState) {
    matrix->setEnabled(false);
    EXPECT_FALSE(matrix->isEnabled());
    EXPECT_FALSE(container.findChildren<QRadioButton*>().front()->isEnabled());
    matrix->setEnabled(true);
    EXPECT_TRUE(matrix->isEnabled());
}

TEST(QtMatrixAccepts, OnlyAGridOfRadioButtons) {
    QWidget noLayout;
    EXPECT_FALSE(QtMatrix::accepts(&noLayout));
    QWidget rowOfRadios;
    (new QHBoxLayout(&rowOfRadios))->addWidget(new QRadioButton);
    EXPECT_FALSE(QtMatrix::accepts(&rowOfRadios));
    QWidget gridOfLabels;
    (new QGridLayout(&gridOfLabels))->addWidget(new QLabel, 0, 0);
    EXPECT_FALSE(QtMatrix::accepts(&gridOfLabels));
    QWidget gridOfRadios;
    (new QGridLayout(&gridOfRadios))->addWidget(new QRadioButton, 0, 0);
    EXPECT_TRUE(QtMatrix::accepts(&gridOfRadios));
}

// File names need not be UTF-8; what the controller set must come back.
const std::string kNotUtf8 = "Bell\xe9 \xff.aiff";

TEST(QtTextField, GivesBackTheBytesItWasGivenWhileTheyAreShown) {
    QLineEdit lineEdit;
    QLabel label;
    for (QWidget* widget : {static_cast<QWidget*>(&lineEdit), static_cast<QWidget*>(&label)}) {
        QtTextField field(widget);
        field.setStringValue(kNotUtf8);
        EXPECT_EQ(field.stringValue(), kNotUtf8);
        field.setStringValue("caf\xc3\xa9");
        EXPECT_EQ(field.stringValue(), "caf\xc3\xa9");
    }
}

TEST(QtTextField, ATypedFieldHoldsAStoredValueOfAnyLengthWhole) {
    QLineEdit lineEdit;
    QtTextField field(&lineEdit);
    const std::string message(100'000, 'x');
    field.setStringValue(message + "!");
    EXPECT_EQ(lineEdit.text().size(), 100'001);
    lineEdit.end(false);
    QTest::keyClick(&lineEdit, Qt::Key_Backspace); // the user edits it: read back what is shown
    EXPECT_EQ(field.stringValue(), message);
}

TEST(QtTextField, ReadsWhatTheUserTypedAfterASet) {
    QLineEdit lineEdit;
    QtTextField field(&lineEdit);
    field.setStringValue(kNotUtf8);
    lineEdit.setText(QStringLiteral("Wake up, caf\u00e9"));
    EXPECT_EQ(field.stringValue(), "Wake up, caf\xc3\xa9");
}

TEST(QtTextField, ALabelShowsMarkupLiterallyAndNamesItselfByItsText) {
    QLabel label;
    label.setTextFormat(Qt::RichText);
    QtTextField field(&label);
    field.setStringValue("<b>[Alert] </b>&amp;");
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(label.accessibleName(), QStringLiteral("<b>[Alert] </b>&amp;"));
    field.setStringValue("");
    EXPECT_EQ(label.accessibleName(), QString());
}

TEST(QtPopUpButton, NoItemMeansNoTitle) {
    QComboBox comboBox;
    QtPopUpButton popUp(&comboBox);
    EXPECT_EQ(popUp.selectedItemTitle(), std::nullopt);
    popUp.addItemWithTitle("Glass");
    EXPECT_EQ(popUp.selectedItemTitle(), "Glass");
    popUp.removeAllItems();
    EXPECT_EQ(popUp.selectedItemTitle(), std::nullopt);
    popUp.selectItemWithTitle("Glass");
    EXPECT_EQ(popUp.selectedItemTitle(), std::nullopt);
}

TEST(QtPopUpButton, AnUnknownTitleLeavesTheSelectionAlone) {
    QComboBox comboBox;
    QtPopUpButton popUp(&comboBox);
    for (const char* title : {"Basso", "Glass", "Ping", "Glass"}) {
        popUp.addItemWithTitle(title);
    }
    popUp.selectItemWithTitle("Ping");
    popUp.selectItemWithTitle("Pong");
    EXPECT_EQ(popUp.selectedItemTitle(), "Ping");
    popUp.selectItemWithTitle("");
    EXPECT_EQ(comboBox.currentIndex(), 2);
    // The first item of that title.
    popUp.selectItemWithTitle("Glass");
    EXPECT_EQ(comboBox.currentIndex(), 1);
}

TEST(QtPopUpButton, TitlesThatAreNotUtf8RoundTripAndStayDistinct) {
    QComboBox comboBox;
    QtPopUpButton popUp(&comboBox);
    // Both show as the same replacement characters.
    const std::string first = "Bell\xff";
    const std::string second = "Bell\xfe";
    popUp.addItemWithTitle(first);
    popUp.addItemWithTitle(second);
    ASSERT_EQ(comboBox.itemText(0), comboBox.itemText(1));
    popUp.selectItemWithTitle(second);
    EXPECT_EQ(popUp.selectedItemTitle(), second);
    popUp.selectItemWithTitle(first);
    EXPECT_EQ(popUp.selectedItemTitle(), first);
}

TEST(QtPopUpButton, ItemsOfTheInterfaceFileAreKnownByTheirText) {
    QComboBox comboBox;
    comboBox.addItems({QStringLiteral("One"), QStringLiteral("Tw\u00f6")});
    QtPopUpButton popUp(&comboBox);
    popUp.selectItemWithTitle("Tw\xc3\xb6");
    EXPECT_EQ(popUp.selectedItemTitle(), "Tw\xc3\xb6");
}

struct TabViewFixture : testing::Test {
    QTabWidget tabWidget;
    QtTabView tabView{&tabWidget};
    TabViewFixture() {
        for (const char* title : {"Preset", "Duration", "Alarm"}) {
            tabWidget.addTab(new QWidget, QString::fromLatin1(title));
        }
    }
};

TEST_F(TabViewFixture, AnIndexThatNamesNoTabChangesNothing) {
    tabView.selectItemAtIndex(1);
    for (int index : {3, -1, 42, -7}) {
        tabView.selectItemAtIndex(index);
        EXPECT_EQ(tabView.indexOfSelectedItem(), 1) << index;
    }
}

TEST_F(TabViewFixture, StepsStopAtTheEnds) {
    EXPECT_EQ(tabView.numberOfItems(), 3);
    tabView.selectLastItem();
    EXPECT_EQ(tabView.indexOfSelectedItem(), 2);
    tabView.selectNextItem();
    EXPECT_EQ(tabView.indexOfSelectedItem(), 2);
    tabView.selectPreviousItem();
    EXPECT_EQ(tabView.indexOfSelectedItem(), 1);
    tabView.selectFirstItem();
    tabView.selectPreviousItem();
    EXPECT_EQ(tabView.indexOfSelectedItem(), 0);
    tabView.selectNextItem();
    EXPECT_EQ(tabView.indexOfSelectedItem(), 1);
}

TEST(QtTabViewEmpty, SelectsNothing) {
    QTabWidget tabWidget;
    QtTabView tabView(&tabWidget);
    tabView.selectFirstItem();
    tabView.selectLastItem();
    tabView.selectNextItem();
    EXPECT_EQ(tabView.indexOfSelectedItem(), -1);
}

struct DrawerFixture : testing::Test {
    QWidget window;
    QGroupBox* panel = new QGroupBox(&window);
    QPushButton* toggle = new QPushButton(&window);
    QAction* menuEntry = new QAction(&window);
    QtDrawer drawer{panel};
    int toggled = 0;

    DrawerFixture() {
        auto* layout = new QHBoxLayout(&window);
        layout->addWidget(toggle);
        layout->addWidget(panel);
        drawer.addToggle(toggle);
        drawer.addToggle(menuEntry);
        QObject::connect(toggle, &QPushButton::toggled, [this] { ++toggled; });
        QObject::connect(menuEntry, &QAction::toggled, [this] { ++toggled; });
        window.show();
    }
};

TEST_F(DrawerFixture, TogglesFollowThePanel) {
    EXPECT_TRUE(drawer.isOpen());
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_TRUE(menuEntry->isChecked());
    drawer.close();
    EXPECT_FALSE(drawer.isOpen());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(menuEntry->isChecked());
}

TEST_F(DrawerFixture, ClosingAClosedDrawerDoesNothing) {
    drawer.close();
    const int widthClosed = window.width();
    drawer.close();
    EXPECT_FALSE(drawer.isOpen());
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(window.width(), widthClosed);
}

TEST_F(DrawerFixture, EitherToggleOpensAndClosesIt) {
    toggle->click();
    EXPECT_FALSE(drawer.isOpen());
    EXPECT_FALSE(menuEntry->isChecked());
    menuEntry->trigger();
    EXPECT_TRUE(drawer.isOpen());
    EXPECT_TRUE(toggle->isChecked());
    menuEntry->trigger();
    EXPECT_FALSE(drawer.isOpen());
    toggle->click();
    EXPECT_TRUE(drawer.isOpen());
}

TEST_F(DrawerFixture, TheWindowGivesBackThePanelsRoom) {
    const int open = window.width();
    drawer.close();
    EXPECT_LT(window.width(), open);
    drawer.open();
    EXPECT_EQ(window.width(), open);
}

TEST(QtTags, ComeFromTheIntPropertyTag) {
    QPushButton button;
    QtButton adapter(&button);
    EXPECT_EQ(adapter.tag(), 0);
    button.setProperty("tag", 2);
    EXPECT_EQ(adapter.tag(), 2);
    QAction action;
    QtSenderControl sender(&action);
    action.setProperty("tag", QStringLiteral("two"));
    EXPECT_EQ(sender.tag(), 0);
    action.setProperty("tag", 1);
    EXPECT_EQ(sender.tag(), 1);
}

} // namespace
} // namespace eggtimer
