// The alert panel and the open-file dialog, driven the way a user would:
// a timer finds the modal dialog, reads it and answers it.

#include "controller/MusicFiles.h"
#include "platform/qt/QtDesktop.h"

#include "tests/desktop/Support.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace eggtimer {
namespace {

using test::q;
using test::ScratchFolder;
using test::waitFor;
using test::writeFile;

// Calls `answer` with the modal dialog of type T once it shows. Should it
// never show, the dialog that did is closed so that the test cannot hang.
template <typename T> void whenModal(std::function<void(T*)> answer) {
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [answer, started, poll] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<T*>(modal); dialog && dialog->isVisible()) {
            answer(dialog);
            return;
        }
        if (started->elapsed() > 20000) {
            ADD_FAILURE() << "the expected dialog never showed";
            if (auto* other = qobject_cast<QDialog*>(modal))
                other->reject();
            return;
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

class Dialogs : public ::testing::Test {
protected:
    QWidget window;
    QtDesktop desktop{[this] { return &window; }, [] {}};
};

struct AlertText {
    const char* name;
    std::string title;
};

class AlertPanel : public Dialogs, public ::testing::WithParamInterface<AlertText> {};

TEST_P(AlertPanel, ShowsTheTextLiterallyWithOneButton) {
    const std::string& title = GetParam().title;
    bool answered = false;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        answered = true;
        EXPECT_NE(box->windowModality(), Qt::NonModal);
        EXPECT_EQ(box->parentWidget(), &window);

        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_EQ(label->text(), q(title));

        auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
        ASSERT_NE(informative, nullptr);
        EXPECT_EQ(informative->textFormat(), Qt::PlainText);
        EXPECT_EQ(informative->text(), QStringLiteral("Time has come.\n"));

        const auto buttons = box->findChildren<QAbstractButton*>();
        ASSERT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->buttons().front()->text(), QStringLiteral("OK"));
        int visibleButtons = 0;
        for (QAbstractButton* button : buttons)
            visibleButtons += button->isVisible();
        EXPECT_EQ(visibleButtons, 1);
        QTest::mouseClick(box->buttons().front(), Qt::LeftButton);
    });
    desktop.runAlertPanel(title, "Time has come.\n", "OK");
    EXPECT_TRUE(answered);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the panel is still up";
}

INSTANTIATE_TEST_SUITE_P(Titles, AlertPanel,
                         ::testing::Values(AlertText{"Plain", "Tea is ready"},
                                           AlertText{"ObjectFormat", "%@"}, AlertText{"CountFormat", "%n"},
                                           AlertText{"StringFormat", "%s %d %%"},
                                           AlertText{"Markup", "<b>x</b> <img src=x> &amp;"},
                                           AlertText{"Newlines", "one\ntwo\n\nthree"},
                                           AlertText{"Ampersand", "Tea & cake"}, AlertText{"Empty", ""},
                                           AlertText{"NonAscii", "caf\xc3\xa9 \xe2\x8f\xb0"},
                                           AlertText{"TenThousand", std::string(10000, 'w')},
                                           AlertText{"TenThousandWords",
                                                     [] {
                                                         std::string words;
                                                         while (words.size() < 10000)
                                                             words += "tea <i>time</i> % ";
                                                         return words;
                                                     }()}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Dialogs, TheButtonTitleIsShownAsGiven) {
    whenModal<QMessageBox>([&](QMessageBox* box) {
        ASSERT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->buttons().front()->text(), QStringLiteral("Tea && cake"))
            << "'&' must not be a shortcut";
        QTest::keyClick(box, Qt::Key_Escape);
    });
    desktop.runAlertPanel("x", "y", "Tea & cake");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(Dialogs, AlertPanelWithoutAWindow) {
    QtDesktop windowless{[] { return nullptr; }, [] {}};
    bool answered = false;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        answered = true;
        EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
        QTest::keyClick(box, Qt::Key_Return);
    });
    windowless.runAlertPanel("x", "y", "OK");
    EXPECT_TRUE(answered);
}

class OpenPanel : public Dialogs {
protected:
    void SetUp() override {
        for (const char* name : {"Song Title.mp3", "notes.txt", "Tune.aif"})
            writeFile(scratch / name, "x");
    }
    // Types `name` into the dialog's file name field and presses Return.
    static void type(QFileDialog* dialog, const QString& name) {
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        edit->setText(name);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    // The names the dialog lists, once it has read the folder.
    static QStringList listed(QFileDialog* dialog) {
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        if (!view)
            return {};
        QStringList names;
        waitFor([&] { return view->model()->rowCount(view->rootIndex()) > 0; });
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            names << view->model()->index(row, 0, view->rootIndex()).data().toString();
        return names;
    }

    ScratchFolder scratch;
    const std::vector<std::string>& music = kMusicExtensions;
};

TEST_F(OpenPanel, OffersOnlyTheGivenTypesAndGivesTheChosenAbsolutePath) {
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select music file"));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog->nameFilters(),
                  QStringList{QStringLiteral(
                      "Supported files (*.aif *.aiff *.mp3 *.m4a *.mpa *.mid *.mov *.mpg *.mp4)")});
        dialog->setDirectory(q(scratch.path()));
        const QStringList names = listed(dialog);
        EXPECT_TRUE(names.contains(QStringLiteral("Song Title.mp3"))) << names.join(", ").toStdString();
        EXPECT_TRUE(names.contains(QStringLiteral("Tune.aif")));
        EXPECT_FALSE(names.contains(QStringLiteral("notes.txt")));
        type(dialog, QStringLiteral("Song Title.mp3"));
    });
    EXPECT_EQ(desktop.runOpenPanel("Select music file", &music), scratch / "Song Title.mp3");
}

TEST_F(OpenPanel, WithoutTypesAnyFileIsOffered) {
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select file"));
        dialog->setDirectory(q(scratch.path()));
        EXPECT_TRUE(listed(dialog).contains(QStringLiteral("notes.txt")));
        type(dialog, q(scratch / "notes.txt"));
    });
    EXPECT_EQ(desktop.runOpenPanel("Select file", nullptr), scratch / "notes.txt");
}

TEST_F(OpenPanel, CancellingGivesNothing) {
    whenModal<QFileDialog>([&](QFileDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    EXPECT_EQ(desktop.runOpenPanel("Select file", nullptr), std::nullopt);
}

TEST_F(OpenPanel, AFileThatDoesNotExistCannotBeChosen) {
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        dialog->setDirectory(q(scratch.path()));
        // The dialog says so in a box of its own.
        bool warned = false;
        whenModal<QMessageBox>([&](QMessageBox* warning) {
            warned = true;
            QTest::keyClick(warning, Qt::Key_Escape);
        });
        type(dialog, QStringLiteral("missing.mp3"));
        EXPECT_TRUE(warned);
        EXPECT_TRUE(dialog->isVisible()) << "the dialog accepted a file that does not exist";
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(desktop.runOpenPanel("Select file", nullptr), std::nullopt);
}

TEST_F(OpenPanel, ExtensionsThatWouldBreakTheFilterAreLeftOut) {
    const std::vector<std::string> odd{"mp3", "a b", "*", "", "x)(y", "aif"};
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("Supported files (*.mp3 *.aif)")});
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(desktop.runOpenPanel("Select music file", &odd), std::nullopt);
}

} // namespace
} // namespace eggtimer
