// Lines of any length in a window of fixed size: a label draws its line on
// one row, shortened with "…", and never asks the window for room; the whole
// line stays with the screen reader, the tooltip and copying. Text broken
// into lines for tooltips and the alert panel.

#include "platform/system/LongText.h"
#include "platform/window/OneLineLabel.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace eggtimer::test {
namespace {

struct Line {
    const char* name;
    QString text;
};

void PrintTo(const Line& line, std::ostream* out) {
    *out << line.name;
}

QString sentence() {
    return QStringLiteral("[Alert] Take the bread out of the oven, switch the oven off, and let it cool on "
                          "the rack for ten minutes before you slice it; then put the butter out so that it "
                          "softens in time for tea.");
}

class OneLineLabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        label = new QLabel(QStringLiteral("[Sound] Chime"));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
        layout->addWidget(new QPushButton(QStringLiteral("Something of a button")));
        line = new OneLineLabel(label);
        shortLineSize = window.sizeHint();
        shortLineMinimum = window.minimumSizeHint();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QWidget window;
    QLabel* label = nullptr;
    OneLineLabel* line = nullptr;
    QSize shortLineSize;
    QSize shortLineMinimum;
};

class OneLineLabelLines : public OneLineLabelTest, public ::testing::WithParamInterface<Line> {};

TEST_P(OneLineLabelLines, DrawsOneRowInTheRoomItHasAndKeepsTheWholeLine) {
    const QString& text = GetParam().text;
    line->setLine(text);
    EXPECT_EQ(window.sizeHint(), shortLineSize) << "the line asks for room";
    EXPECT_EQ(window.minimumSizeHint(), shortLineMinimum) << "the line asks for room";
    const QString shown = label->text();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), label->contentsRect().width());
    if (line->isShortened()) {
        ASSERT_TRUE(shown.endsWith(kEllipsis)) << shown.toStdString();
        EXPECT_TRUE(onOneRow(text).startsWith(shown.chopped(1))) << shown.toStdString();
        EXPECT_FALSE(shown.chopped(1).back().isHighSurrogate());
    } else {
        EXPECT_EQ(shown, onOneRow(text));
    }
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(label);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), text);
    // The tooltip of a shortened line: the line, in lines a tooltip can show
    // (broken at spaces, or within a word too long for one).
    const QString tip = label->toolTip();
    const auto letters = [](QString text) { return text.remove(u'\n').remove(u' '); };
    if (!line->isShortened()) {
        EXPECT_TRUE(tip.isEmpty()) << tip.toStdString();
    } else if (text.size() <= 1000) {
        EXPECT_EQ(letters(tip), letters(text));
    } else {
        EXPECT_TRUE(tip.endsWith(kEllipsis));
        EXPECT_TRUE(letters(text).startsWith(letters(tip.chopped(1))));
    }
    for (const QString& tipLine : tip.split(u'\n'))
        EXPECT_LE(tipLine.size(), 80) << tipLine.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Lines, OneLineLabelLines,
    ::testing::Values(Line{"Short", QStringLiteral("[Sound] Chime")}, Line{"Sentence", sentence()},
                      Line{"LineBreaksAndTabs", QStringLiteral("[Alert] Tea\nis\tready\r\n")},
                      Line{"Megabyte",
                           QStringLiteral("[Alert] ") + QStringLiteral("Tea is ready. ").repeated(75000)},
                      Line{"SurrogatePairs", QStringLiteral("\U0001F95A").repeated(2000)}),
    [](const auto& info) { return std::string(info.param.name); });

// The shown row follows the label's width, both ways.
TEST_F(OneLineLabelTest, FollowsTheWidthTheLayoutGives) {
    line->setLine(sentence());
    window.resize(200, window.height());
    QApplication::processEvents();
    const QString narrow = label->text();
    window.resize(600, window.height());
    QApplication::processEvents();
    EXPECT_GT(label->text().size(), narrow.size());
    EXPECT_TRUE(label->text().endsWith(kEllipsis));
    window.resize(2000, window.height());
    QApplication::processEvents();
    EXPECT_EQ(label->text(), sentence());
    EXPECT_FALSE(line->isShortened());
}

// A selection that takes in the "…" stands for the rest of the line; others
// copy what they cover, with the line's own characters.
TEST_F(OneLineLabelTest, CopiesTheWholeLineThroughTheEllipsis) {
    const QString text = QStringLiteral("Tea\tis ready. ") + sentence();
    line->setLine(text);
    ASSERT_TRUE(line->isShortened());
    label->setFocus();
    label->setSelection(0, int(label->text().size()));
    QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), text);
    label->setSelection(4, int(label->text().size()) - 4);
    QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), text.mid(4));
    label->setSelection(0, 6);
    QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Tea\tis"));
}

struct Breaking {
    const char* name;
    QString text;
    int columns;
    QString lines;
};

void PrintTo(const Breaking& breaking, std::ostream* out) {
    *out << breaking.name;
}

class BrokenIntoLines : public ::testing::TestWithParam<Breaking> {};

TEST_P(BrokenIntoLines, BreaksAtSpacesWithinWordsOnlyWhenTheyAreTooLong) {
    EXPECT_EQ(brokenIntoLines(GetParam().text, GetParam().columns), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BrokenIntoLines,
    ::testing::Values(Breaking{"AtTheLastSpace", "tea is ready now", 10, "tea is\nready now"},
                      Breaking{"AtASpaceThatFallsAtTheEnd", "ready now", 5, "ready\nnow"},
                      Breaking{"KeepingItsOwnLineBreaks", "tea\nis ready", 5, "tea\nis\nready"},
                      Breaking{"WithinAWordTooLong", "abcdefgh ij", 3, "abc\ndef\ngh\nij"},
                      Breaking{"NeverWithinASurrogatePair", QStringLiteral("ab\U0001F95A"), 3,
                               QStringLiteral("ab\n\U0001F95A")}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace eggtimer::test
