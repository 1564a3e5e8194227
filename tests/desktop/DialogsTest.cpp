// The alert panel and the open-file dialog as our code sets them up, read and
// answered the way a user would: a timer finds the modal dialog. Opening a
// file with its default application through GIO: the default application is
// a recorder set up in this session's XDG folders, which writes down the
// arguments it was started with.

#include "platform/desktop/OpenFile.h"
#include "platform/desktop/QtPanels.h"

#include "platform/system/Utf8.h"
#include "support/Wait.h"
#include "tests/support/ScratchFolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace eggtimer::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Calls `answer` with the modal dialog of type T, up by the time the event
// loop runs. Should another be up, it is closed so that the test cannot hang.
template <typename T> void whenModal(std::function<void(T*)> answer) {
    QTimer::singleShot(0, [answer] {
        QWidget* shown = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<T*>(shown))
            return answer(dialog);
        ADD_FAILURE() << "the expected dialog is not up";
        if (auto* other = qobject_cast<QDialog*>(shown))
            other->reject();
    });
}

class Dialogs : public ::testing::Test {
protected:
    QWidget window;
    QtPanels panels{[this] { return &window; }};
};

// The user's text is shown as typed: never as markup, '&' never a shortcut.
// A text longer than a few lines goes into a scrollable view of a readable
// size, whole; the panel stays on the screen.
struct Alert {
    const char* name;
    std::string title;
    bool scrolls;
};

void PrintTo(const Alert& alert, std::ostream* out) {
    *out << alert.name;
}

std::string repeated(const char* text, qsizetype times) {
    return QString::fromLatin1(text).repeated(times).toStdString();
}

class AlertPanel : public Dialogs, public ::testing::WithParamInterface<Alert> {};

TEST_P(AlertPanel, ShowsTheTextsLiterallyWithOneButtonOnTheScreen) {
    const QString title = fromUtf8(GetParam().title);
    bool answered = false;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        answered = true;
        EXPECT_EQ(box->parentWidget(), &window);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("eggtimer"));
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
        ASSERT_TRUE(label && informative);
        EXPECT_EQ(informative->textFormat(), Qt::PlainText);
        EXPECT_EQ(informative->text(), QStringLiteral("<i>now</i>\n"));
        auto* view = box->findChild<QPlainTextEdit*>();
        if (GetParam().scrolls) {
            ASSERT_NE(view, nullptr);
            EXPECT_TRUE(view->isVisible() && view->isReadOnly());
            // Broken into lines at its spaces: the same words, in the same order.
            EXPECT_EQ(view->toPlainText().replace(u'\n', u' '), QString(title).replace(u'\n', u' '));
            EXPECT_GT(view->verticalScrollBar()->maximum(), 0);
            EXPECT_FALSE(label->isVisible());
        } else {
            EXPECT_EQ(view, nullptr);
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
            EXPECT_EQ(label->text(), title);
        }
        ASSERT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->buttons().front()->text(), QStringLiteral("OK && go"));
        EXPECT_TRUE(box->screen()->availableGeometry().contains(box->frameGeometry()))
            << box->frameGeometry().width() << "x" << box->frameGeometry().height();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    panels.runAlertPanel(GetParam().title, "<i>now</i>\n", "OK & go");
    EXPECT_TRUE(answered);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the panel is still up";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AlertPanel,
    ::testing::Values(Alert{"Short", "<b>Tea</b> & caf\xc3\xa9 %@ %1\n<img src=x>", false},
                      Alert{"ALongParagraph", repeated("Take the <b>bread</b> out & let it cool. ", 40),
                            true},
                      Alert{"ManyLines", repeated("Feed the cat.\n", 30), true}),
    [](const auto& info) { return std::string(info.param.name); });

// Without types nothing is filtered, and cancelling gives nothing even with a
// file selected.
TEST_F(Dialogs, TheOpenPanelOffersTheUsableTypesAndGivesTheChosenAbsolutePath) {
    test::ScratchFolder scratch;
    test::writeFile(scratch / "Song Title.mp3", "x");
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->nameFilters(), QFileDialog().nameFilters());
        dialog->selectFile(fromUtf8(scratch / "Song Title.mp3"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(panels.runOpenPanel("Select file", nullptr), std::nullopt);

    const std::vector<std::string> types{"mp3", "a b", "*", "", "x)(y", "aif"};
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select music file"));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        // Extensions that would break the filter's syntax are left out.
        EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("Supported files (*.mp3 *.aif)")});
        dialog->setDirectory(fromUtf8(scratch.path()));
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        edit->setText(QStringLiteral("Song Title.mp3"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(panels.runOpenPanel("Select music file", &types), scratch / "Song Title.mp3");
}

// Nothing in the name has a meaning: no shell, no URI, no field codes, and
// bytes that are not UTF-8 stay as they are. Paths that name no file open
// nothing.
TEST(OpenFile, OpensExactlyThatFileWithNoShell) {
    const std::string data = std::getenv("XDG_DATA_HOME"), calls = data + "/recorder.calls";
    writeFile(data + "/recorder", "#!/bin/sh\nprintf '%s\\0' \"$@\" >>\"$0.calls\"\n");
    fs::permissions(data + "/recorder", fs::perms::owner_all);
    fs::create_directories(data + "/applications");
    writeFile(data + "/applications/eggtimer-test-recorder.desktop",
              "[Desktop Entry]\nType=Application\nName=Recorder\nNoDisplay=true\nExec=" + data +
                  "/recorder %f\nMimeType=text/plain;\n");
    writeFile(std::string(std::getenv("XDG_CONFIG_HOME")) + "/mimeapps.list",
              "[Default Applications]\ntext/plain=eggtimer-test-recorder.desktop\n");
    test::ScratchFolder scratch;
    const std::string path = scratch / "-$(touch pwned) 'q\"`touch pwned`;%f 100%20% #?\n\xff\xfe.txt";
    writeFile(path, "some text\n");
    GioFileOpener opener;
    EXPECT_FALSE(opener.openFile(""));
    EXPECT_FALSE(opener.openFile(path + std::string("\0.gone", 6)));
    EXPECT_FALSE(opener.openFile(scratch / "missing.txt"));
    // Whatever a shell would run lands in the current folder.
    const fs::path previous = fs::current_path();
    fs::current_path(scratch.path());

    EXPECT_TRUE(opener.openFile(path));
    // The arguments the recorder was started with, NUL after each.
    std::string recorded;
    test::waitUntil([&] { return !(recorded = readFile(calls)).empty(); }, 20s);
    EXPECT_EQ(recorded, path + '\0') << "the default application was not started with just that file";
    fs::current_path(previous);
    EXPECT_FALSE(fs::exists(scratch / "pwned")) << "a shell ran part of the name";
    // The application is nobody's child here: no zombie is left behind.
    siginfo_t child{};
    EXPECT_EQ(::waitid(P_ALL, 0, &child, WEXITED | WNOHANG | WNOWAIT), -1);
    EXPECT_EQ(errno, ECHILD);
}

} // namespace
} // namespace eggtimer::test
