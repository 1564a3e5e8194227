// What the user writes or picks, of any length, stored from an earlier run:
// the window opens at the size it has with a short message, draws the long
// line shortened with "…" while a screen reader reads it whole, and START and
// CLEAR work as ever. On Wayland a message of megabytes once made a window so
// wide that the program crashed at every start.

#include "support/AppHarness.h"

#include <QAccessible>

#include <gtest/gtest.h>

namespace eggtimer::test {
namespace {

struct Stored {
    const char* name;
    QVariantMap settings;
    const char* shortenedLabel; // the label that cannot show its line whole
    QString targetLine;         // the status area's target line
};

void PrintTo(const Stored& stored, std::ostream* out) {
    *out << stored.name;
}

QString sentence(qsizetype length) {
    return QStringLiteral("Take the bread out of the oven, switch the oven off and let it cool. ")
        .repeated(length / 70 + 1)
        .left(length);
}

const QString kLongSong =
    QStringLiteral("07 - An Even Longer Song Title Featuring Someone (Remastered 2011).mp3");
const QString kLongFile = QStringLiteral("Quarterly report of the garden allotment society, final version "
                                         "with the treasurer's corrections (2).pdf");

std::vector<Stored> storedTexts() {
    const QString megabyte = sentence(1 << 20);
    const QString tenMegabytes = sentence(10 << 20);
    const QString longName = QString(1 << 20, u'f');
    return {
        {"SentenceOf200Characters",
         {{"targetSelecter", 3}, {"targetMessage", sentence(200)}},
         "statFireTarget",
         "[Alert] " + sentence(200)},
        {"LongMusicFileName",
         {{"targetSelecter", 1}, {"targetMusicPath", "/home/me/Music/Album/" + kLongSong}},
         "targetMusicName",
         "[Music] " + kLongSong},
        {"LongFileName",
         {{"targetSelecter", 2}, {"targetFilePath", "/home/me/Documents/" + kLongFile}},
         "targetFileName",
         "[File] " + kLongFile},
        {"FileNameOf1MB",
         {{"targetSelecter", 2}, {"targetFilePath", "/tmp/" + longName}},
         "statFireTarget",
         "[File] " + longName},
        {"MessageOf1MB",
         {{"targetSelecter", 3}, {"targetMessage", megabyte}},
         "statFireTarget",
         "[Alert] " + megabyte},
        {"MessageOf10MB",
         {{"targetSelecter", 3}, {"targetMessage", tenMegabytes}},
         "statFireTarget",
         "[Alert] " + tenMegabytes},
    };
}

class LongTextTest : public ::testing::TestWithParam<Stored> {};

TEST_P(LongTextTest, KeepsTheWindowsSizeAndTheWholeTextAndStartsAndClears) {
    // An alert due in an hour, so that nothing fires.
    const QVariantMap timer{{"mode", 1}, {"modeDhmHour", "1"}, {"modeDhmMin", "0"}};
    QSize shortMessage;
    {
        writeSettings({{"targetSelecter", 3}, {"targetMessage", "Tea"}});
        App app;
        shortMessage = app.window()->size();
    }
    QVariantMap settings = GetParam().settings;
    settings.insert(timer);
    writeSettings(settings);
    App app;
    EXPECT_EQ(app.window()->size(), shortMessage);

    auto* shortened = app.find<QLabel>(GetParam().shortenedLabel);
    EXPECT_TRUE(shortened->text().endsWith(QChar(0x2026))) << shortened->text().toStdString();
    EXPECT_FALSE(shortened->toolTip().isEmpty());
    auto* target = app.find<QLabel>("statFireTarget");
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(target);
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(read->text(QAccessible::Name) == GetParam().targetLine) << "not read whole";

    app.click("timerButton");
    ASSERT_EQ(app.button(), "CLEAR");
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(target)->text(QAccessible::Name) ==
                GetParam().targetLine);
    app.click("timerButton");
    EXPECT_EQ(app.button(), "START");
    EXPECT_EQ(app.controller().status(), TimerStatusNotSet);
}

INSTANTIATE_TEST_SUITE_P(Texts, LongTextTest, ::testing::ValuesIn(storedTexts()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace eggtimer::test
