// The program refuses an interface file it cannot work with: one line on
// standard error naming what is wrong, exit status 1, no window.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

QByteArray shippedInterfaceFile() {
    QFile file(QStringLiteral(EGGTIMER_UI_SOURCE));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << EGGTIMER_UI_SOURCE;
    return file.readAll();
}

struct Outcome {
    bool finished;
    int exitCode;
    QByteArray out, err;
};

Outcome runWithInterfaceFile(const QString& path, int waitMs = 30000) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("EGGTIMER_INTERFACE_FILE"), path);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(EGGTIMER_BINARY), {});
    EXPECT_TRUE(process.waitForStarted(30000));
    const bool finished = process.waitForFinished(waitMs);
    if (!finished) {
        process.kill();
        process.waitForFinished(30000);
    }
    return {finished, process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

struct Breakage {
    const char* what;
    const char* from; // replaced where it first occurs
    const char* to;
    const char* message;
};

void PrintTo(const Breakage& breakage, std::ostream* out) {
    *out << breakage.what;
}

class BrokenInterfaceFile : public testing::TestWithParam<Breakage> {};

TEST_P(BrokenInterfaceFile, EndsTheProgramWithOneMessage) {
    const Breakage& breakage = GetParam();
    QByteArray contents = shippedInterfaceFile();
    const qsizetype at = contents.indexOf(breakage.from);
    ASSERT_GE(at, 0) << "the shipped file no longer holds " << breakage.from;
    contents.replace(at, qsizetype(qstrlen(breakage.from)), breakage.to);

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile broken(folder.filePath(QStringLiteral("broken.ui")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(contents);
    broken.close();

    const Outcome run = runWithInterfaceFile(broken.fileName());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.toStdString(), std::string("eggtimer: ") + breakage.message + "\n");
    EXPECT_TRUE(run.out.isEmpty());
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
        Breakage{"MatrixWithoutGrid", "<layout class=\"QGridLayout\" name=\"modeAlcAMPMSelecterLayout\">",
                 "<layout class=\"QVBoxLayout\" name=\"modeAlcAMPMSelecterLayout\">",
                 "the control \"modeAlcAMPMSelecter\" in the interface file is a QWidget, where a matrix (a "
                 "widget "
                 "whose grid layout holds QRadioButtons) is needed"},
        Breakage{"ButtonSendsTheWrongAction", "<string>startStopButton:</string>",
                 "<string>testPlayTargetSound:</string>",
                 "the control \"timerButton\" in the interface file must send \"startStopButton:\""},
        Breakage{"ModeSelectorWithoutTag", "<property name=\"tag\" stdset=\"0\">\n    <number>0</number>",
                 "<property name=\"notag\" stdset=\"0\">\n    <number>0</number>",
                 "the control \"actionPreset\" in the interface file sends changeModeWithSenderTag: without "
                 "an int "
                 "property \"tag\""},
        Breakage{
            "UnknownDrawer", "<string>targetDrawer</string>", "<string>sideDrawer</string>",
            "the control \"targetToggleButton\" in the interface file toggles \"sideDrawer\", which is no "
            "drawer"}),
    [](const testing::TestParamInfo<Breakage>& info) { return std::string(info.param.what); });

TEST(BrokenInterfaceFileUnreadable, MissingFileIsNamed) {
    const Outcome run = runWithInterfaceFile(QStringLiteral("/nonexistent/eggtimer.ui"));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(
        run.err.toStdString(),
        "eggtimer: cannot read the interface file \"/nonexistent/eggtimer.ui\": No such file or directory\n");
}

TEST(BrokenInterfaceFileUnreadable, NotAnInterfaceFile) {
    QTemporaryDir folder;
    QFile notUi(folder.filePath(QStringLiteral("notes.ui")));
    ASSERT_TRUE(notUi.open(QIODevice::WriteOnly));
    notUi.write("<ui version=\"4.0\"><widget class=\"QMainWindow\"");
    notUi.close();
    const Outcome run = runWithInterfaceFile(notUi.fileName());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith("eggtimer: cannot load the interface file \"" + notUi.fileName().toUtf8() +
                                   "\": "))
        << run.err.toStdString();
}

// The shipped file, read from disk through the same variable, passes every
// check: the program is still running when we stop it.
TEST(InterfaceFileOverride, TheShippedFileFromDiskPasses) {
    const Outcome run = runWithInterfaceFile(QStringLiteral(EGGTIMER_UI_SOURCE), 3000);
    EXPECT_FALSE(run.finished) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("eggtimer: ")) << run.err.toStdString();
}

} // namespace
