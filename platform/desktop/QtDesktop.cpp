#include "platform/desktop/QtDesktop.h"
#include "platform/system/AppIdentity.h"

#include "platform/desktop/LauncherEntry.h"
#include "platform/desktop/Notifications.h"
#include "platform/desktop/OpenFile.h"
#include "platform/desktop/SleepInhibitor.h"
#include "platform/system/Log.h"
#include "platform/system/Utf8.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace eggtimer {
namespace {

// A button shows '&' as a shortcut marker unless it is doubled.
QString literalButtonText(const std::string& text) {
    return fromUtf8(text).replace('&', QStringLiteral("&&"));
}

// "Supported files (*.aif *.mp3)", leaving out extensions that would break
// the filter's syntax; nothing when none is left.
QString nameFilter(const std::vector<std::string>& extensions) {
    QStringList patterns;
    for (const std::string& extension : extensions) {
        const QString text = fromUtf8(extension);
        static const QString syntax = QStringLiteral(" ()*?[];\t\n");
        const bool usable = !text.isEmpty() && std::none_of(text.begin(), text.end(), [](QChar c) {
            return syntax.contains(c) || c.category() == QChar::Other_Control;
        });
        if (usable)
            patterns << QStringLiteral("*.") + text;
    }
    if (patterns.isEmpty())
        return {};
    return QObject::tr("Supported files") + QStringLiteral(" (") + patterns.join(' ') + ')';
}

} // namespace

QtDesktop::QtDesktop(std::function<QWidget*()> mainWindow, std::function<void()> beep)
    : mainWindow(std::move(mainWindow))
    , beepSound(std::move(beep)) {}

QtDesktop::~QtDesktop() = default;

void QtDesktop::beep() {
    if (beepSound)
        beepSound();
}

void QtDesktop::log(const std::string& line) {
    logLine(line);
}

void QtDesktop::requestUserAttention(const std::string& whatFired, std::function<void()> stop) {
    // Marks the window on X; Qt 6.4's Wayland platform does nothing for it,
    // so there the notification is all the user gets.
    if (QWidget* window = mainWindow ? mainWindow() : nullptr)
        QApplication::alert(window, 0);
    if (!notifications)
        notifications = std::make_unique<Notifications>();
    notifications->show(QString::fromLatin1(programName()),
                        QObject::tr("Time has come: ") + fromUtf8(whatFired), std::move(stop));
}

void QtDesktop::withdrawAttention() {
    if (notifications)
        notifications->withdraw();
}

void QtDesktop::showProgress(const TimerProgress& progress) {
    // The window's indicator counts in hundredths: setValue repaints only
    // when that number changes.
    if (QWidget* window = mainWindow ? mainWindow() : nullptr)
        if (auto* indicator = window->findChild<QProgressBar*>(QStringLiteral("timerProgress"))) {
            const bool running = progress.state == TimerProgress::State::Running;
            indicator->setValue(running ? static_cast<int>(progress.passed * indicator->maximum()) : 0);
        }
    if (!launcherEntry)
        launcherEntry =
            std::make_unique<LauncherEntry>(QGuiApplication::desktopFileName() + QStringLiteral(".desktop"));
    launcherEntry->show(progress);
}

void QtDesktop::keepAwake(bool awake) {
    if (!sleepInhibitor && !awake)
        return;
    if (!sleepInhibitor)
        sleepInhibitor = std::make_unique<SleepInhibitor>();
    sleepInhibitor->hold(awake);
}

bool QtDesktop::openFile(const std::string& path) {
    return openWithDefaultApplication(path);
}

void QtDesktop::runAlertPanel(const std::string& title, const std::string& message,
                              const std::string& button) {
    QMessageBox box(mainWindow ? mainWindow() : nullptr);
    box.setWindowTitle(QString::fromLatin1(programName()));
    box.setIcon(QMessageBox::Information);
    box.setTextFormat(Qt::PlainText); // the user's text, never markup
    box.setText(fromUtf8(title));
    box.setInformativeText(fromUtf8(message));
    // QMessageBox guesses the informative text's format; make it literal too.
    if (auto* informative = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
    QPushButton* only = box.addButton(literalButtonText(button), QMessageBox::AcceptRole);
    box.setDefaultButton(only);
    box.setEscapeButton(only);
    box.exec();
}

std::optional<std::string> QtDesktop::runOpenPanel(const std::string& title,
                                                   const std::vector<std::string>* extensions) {
    QFileDialog dialog(mainWindow ? mainWindow() : nullptr, fromUtf8(title));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (extensions) {
        const QString filter = nameFilter(*extensions);
        if (!filter.isEmpty())
            dialog.setNameFilter(filter);
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return QFile::encodeName(QFileInfo(chosen.first()).absoluteFilePath()).toStdString();
}

} // namespace eggtimer
