// The Qt adapters keep the promises of platform/Controls.h, in particular the
// no-op cases the controller relies on. The drawer is tested on the shipped
// window (InterfaceFileTest.cpp).

#include "platform/window/QtControls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace eggtimer::test {
namespace {

// A cell the grid does not have changes nothing (a hole, a row below minus
// one); minus one in either place clears the selection, after which the
// cells are exclusive again.
TEST(QtMatrix, SelectsOnlyCellsOfTheGridAndMinusOneClears) {
    // A 2x3 grid of cells with the cell at row 1, column 2 missing.
    QWidget container;
    auto* grid = new QGridLayout(&container);
    for (int cell = 0; cell < 5; ++cell)
        grid->addWidget(new QRadioButton, cell / 3, cell % 3);
    const QList<QRadioButton*> cells = container.findChildren<QRadioButton*>();
    QtMatrix matrix(&container);
    const auto selected = [&] { return std::pair(matrix.selectedRow(), matrix.selectedColumn()); };
    const auto checked = [&] {
        return std::count_if(cells.begin(), cells.end(), [](auto* c) { return c->isChecked(); });
    };

    EXPECT_EQ(selected(), std::pair(-1, -1));
    matrix.selectCell(0, 1);
    for (const auto& [row, column] : {std::pair(1, 2), std::pair(-2, 0)}) {
        matrix.selectCell(row, column);
        EXPECT_EQ(selected(), std::pair(0, 1)) << row << "," << column;
    }
    matrix.selectCell(-1, 0);
    EXPECT_EQ(selected(), std::pair(-1, -1));
    EXPECT_EQ(checked(), 0);
    matrix.selectCell(0, 2);
    matrix.selectCell(0, -1);
    EXPECT_EQ(selected(), std::pair(-1, -1));
    matrix.selectCell(1, 1);
    EXPECT_EQ(selected(), std::pair(1, 1));
    cells.at(4)->click(); // the user's click
    EXPECT_EQ(checked(), 1);
}

// File names need not be UTF-8; what the controller set must come back.
TEST(QtTextField, GivesBackTheBytesItWasGivenWhileTheyAreShown) {
    const std::string notUtf8 = "Bell\xe9 \xff.aiff";
    QLineEdit lineEdit;
    QLabel label;
    label.setTextFormat(Qt::RichText);
    for (QWidget* widget : {static_cast<QWidget*>(&lineEdit), static_cast<QWidget*>(&label)}) {
        QtTextField field(widget);
        field.setStringValue(notUtf8);
        EXPECT_EQ(field.stringValue(), notUtf8);
    }
    // Status lines and file names are never markup.
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
}

// A line field lays its text out whole at every key: a stored value longer
// than it takes is kept whole while the field shows its beginning, and once
// the user edits it the field gives what it shows, in UTF-8.
TEST(QtTextField, ALineFieldKeepsAValueTooLongForItUntilTheUserEditsIt) {
    QLineEdit lineEdit;
    QtTextField field(&lineEdit);
    const std::string held(32767, 'h');
    field.setStringValue(held);
    EXPECT_EQ(lineEdit.text().size(), 32767);

    const std::string message = "caf\xc3\xa9 " + std::string(1 << 20, 'x');
    field.setStringValue(message);
    EXPECT_EQ(lineEdit.text().size(), 1001);
    EXPECT_TRUE(lineEdit.text().startsWith(QStringLiteral("caf\u00e9 xx")));
    EXPECT_TRUE(lineEdit.text().endsWith(QChar(0x2026)));
    EXPECT_EQ(field.stringValue(), message);

    lineEdit.end(false);
    QTest::keyClick(&lineEdit, Qt::Key_A);
    EXPECT_EQ(field.stringValue(), message.substr(0, 1001) + "\xe2\x80\xa6"
                                                             "a");
    lineEdit.undo();
    EXPECT_EQ(field.stringValue(), message);
}

// Items are known by the bytes they were added with (two names that are not
// UTF-8 may show alike), items of the interface file by their text.
TEST(QtPopUpButton, SelectsTheFirstItemOfATitleAndIgnoresUnknownOnes) {
    QComboBox comboBox;
    comboBox.addItem(QStringLiteral("Tw\u00f6"));
    QtPopUpButton popUp(&comboBox);
    for (const char* title : {"Bell\xff", "Bell\xfe", "Ping", "Bell\xfe"}) {
        popUp.addItemWithTitle(title);
    }
    ASSERT_EQ(comboBox.itemText(1), comboBox.itemText(2));
    popUp.selectItemWithTitle("Bell\xfe");
    EXPECT_EQ(comboBox.currentIndex(), 2);
    EXPECT_EQ(popUp.selectedItemTitle(), "Bell\xfe");
    popUp.selectItemWithTitle("Pong");
    popUp.selectItemWithTitle("");
    EXPECT_EQ(popUp.selectedItemTitle(), "Bell\xfe");
    popUp.selectItemWithTitle("Tw\xc3\xb6");
    EXPECT_EQ(popUp.selectedItemTitle(), "Tw\xc3\xb6");
    popUp.removeAllItems();
    EXPECT_EQ(popUp.selectedItemTitle(), std::nullopt);
    popUp.selectItemWithTitle("Ping");
    EXPECT_EQ(popUp.selectedItemTitle(), std::nullopt);
}

TEST(QtTabView, StepsStopAtTheEndsAndIndicesBeyondThemChangeNothing) {
    QTabWidget tabWidget;
    QtTabView tabView(&tabWidget);
    tabView.selectLastItem();
    tabView.selectNextItem();
    EXPECT_EQ(tabView.indexOfSelectedItem(), -1);
    for (const char* title : {"Preset", "Duration", "Alarm"}) {
        tabWidget.addTab(new QWidget, QString::fromLatin1(title));
    }
    EXPECT_EQ(tabView.numberOfItems(), 3);
    tabView.selectLastItem();
    tabView.selectNextItem();
    EXPECT_EQ(tabView.indexOfSelectedItem(), 2);
    tabView.selectPreviousItem();
    for (int index : {3, -1, 42, -7}) {
        tabView.selectItemAtIndex(index);
        EXPECT_EQ(tabView.indexOfSelectedItem(), 1) << index;
    }
    tabView.selectFirstItem();
    tabView.selectPreviousItem();
    EXPECT_EQ(tabView.indexOfSelectedItem(), 0);
    tabView.selectNextItem();
    EXPECT_EQ(tabView.indexOfSelectedItem(), 1);
}

// The window's bar counts in hundredths: a change too small to see draws
// nothing, and a bar come to its end is full, not at 99.
TEST(QtProgressIndicator, CountsInTheBarsStepsUpToAFullBar) {
    QProgressBar bar;
    bar.setValue(0);
    QtProgressIndicator indicator(&bar);
    QSignalSpy changes(&bar, &QProgressBar::valueChanged);
    indicator.setDoubleValue(0.004);
    EXPECT_EQ(changes.count(), 0);
    indicator.setDoubleValue(0.5);
    EXPECT_EQ(bar.value(), bar.maximum() / 2);
    indicator.setDoubleValue(1.0);
    EXPECT_EQ(bar.value(), bar.maximum());
    indicator.setDoubleValue(0.0);
    EXPECT_EQ(bar.value(), 0);
}

} // namespace
} // namespace eggtimer::test
