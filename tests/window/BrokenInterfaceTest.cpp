// The program refuses an interface file it cannot work with: one line on
// standard error naming what is wrong, exit status 1, no window.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

namespace {

// What the program writes on standard error when it refuses the interface file
// at `path`; it must end at once with status 1 and write nothing else.
std::string refusalOf(const QString& path) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("EGGTIMER_INTERFACE_FILE"), path);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(EGGTIMER_BINARY), {});
    if (!process.waitForFinished(30000)) {
        ADD_FAILURE() << "the program did not end";
        process.kill();
        process.waitForFinished(30000);
    }
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
    return process.readAllStandardError().toStdString();
}

QString written(const QTemporaryDir& folder, const QByteArray& contents) {
    QFile file(folder.filePath(QStringLiteral("eggtimer.ui")));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
    return file.fileName();
}

struct Breakage {
    const char* what;
    const char* from; // replaced where it first occurs
    const char* to;
    const char* message;
    friend void PrintTo(const Breakage& breakage, std::ostream* out) { *out << breakage.what; }
};

class BrokenInterfaceFile : public testing::TestWithParam<Breakage> {};

TEST_P(BrokenInterfaceFile, EndsTheProgramWithOneMessage) {
    const Breakage& breakage = GetParam();
    QFile shipped(QStringLiteral(EGGTIMER_UI_SOURCE));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    QByteArray contents = shipped.readAll();
    const qsizetype at = contents.indexOf(breakage.from);
    ASSERT_GE(at, 0) << "the shipped file no longer holds " << breakage.from;
    contents.replace(at, qsizetype(qstrlen(breakage.from)), breakage.to);
    QTemporaryDir folder;
    EXPECT_EQ(refusalOf(written(folder, contents)), std::string("eggtimer: ") + breakage.message + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Breakages, BrokenInterfaceFile,
    testing::Values(
        Breakage{"OutletRemoved", "name=\"statSeconds\"", "name=\"statSecondsGone\"",
                 "the interface file has no control named \"statSeconds\""},
        Breakage{"OutletTwice", "name=\"presetLabel\"", "name=\"statTimer\"",
                 "the interface file has more than one control named \"statTimer\""},
        Breakage{
            "UnknownAction", "<string>testPlayTargetSound:</string>", "<string>testPlay:</string>",
            "the control \"testPlayButton\" in the interface file sends \"testPlay:\", which is no action of "
            "eggtimer"},
        Breakage{
            "WrongClass", "class=\"QLabel\" name=\"statTimer\"", "class=\"QPushButton\" name=\"statTimer\"",
            "the control \"statTimer\" in the interface file is a QPushButton, where a text field (QLineEdit "
            "or QLabel) is needed"},
        Breakage{
            "ProgressBarOfAnotherClass", "class=\"QProgressBar\" name=\"timerProgress\"",
            "class=\"QSlider\" name=\"timerProgress\"",
            "the control \"timerProgress\" in the interface file is a QSlider, where a progress indicator "
            "(QProgressBar) is needed"},
        Breakage{"MatrixWithoutGrid", "<layout class=\"QGridLayout\" name=\"modeAlcAMPMSelecterLayout\">",
                 "<layout class=\"QVBoxLayout\" name=\"modeAlcAMPMSelecterLayout\">",
                 "the control \"modeAlcAMPMSelecter\" in the interface file is a QWidget, where a matrix (a "
                 "widget whose grid layout holds QRadioButtons) is needed"},
        Breakage{"ButtonSendsTheWrongAction", "<string>startStopButton:</string>",
                 "<string>testPlayTargetSound:</string>",
                 "the control \"timerButton\" in the interface file must send \"startStopButton:\""},
        Breakage{"ModeSelectorWithoutTag", "<property name=\"tag\" stdset=\"0\">\n    <number>0</number>",
                 "<property name=\"notag\" stdset=\"0\">\n    <number>0</number>",
                 "the control \"actionPreset\" in the interface file sends changeModeWithSenderTag: without "
                 "an int property \"tag\""},
        Breakage{
            "UnknownDrawer", "<string>targetDrawer</string>", "<string>sideDrawer</string>",
            "the control \"targetToggleButton\" in the interface file toggles \"sideDrawer\", which is no "
            "drawer"}),
    [](const testing::TestParamInfo<Breakage>& info) { return std::string(info.param.what); });

TEST(UnreadableInterfaceFile, AFileThatCannotBeReadOrLoadedIsNamed) {
    EXPECT_EQ(
        refusalOf(QStringLiteral("/nonexistent/eggtimer.ui")),
        "eggtimer: cannot read the interface file \"/nonexistent/eggtimer.ui\": No such file or directory\n");
    QTemporaryDir folder;
    const QString notUi = written(folder, "<ui version=\"4.0\"><widget class=\"QMainWindow\"");
    const std::string refusal = refusalOf(notUi);
    EXPECT_EQ(refusal.rfind("eggtimer: cannot load the interface file \"" + notUi.toStdString() + "\": ", 0),
              0U)
        << refusal;
    EXPECT_EQ(std::count(refusal.begin(), refusal.end(), '\n'), 1) << refusal;
}

} // namespace
