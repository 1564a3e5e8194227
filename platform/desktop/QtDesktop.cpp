#include "platform/desktop/QtDesktop.h"
#include "platform/system/AppIdentity.h"

#include "platform/desktop/LauncherEntry.h"
#include "platform/desktop/Notifications.h"
#include "platform/desktop/OpenFile.h"
#include "platform/desktop/SessionBus.h"
#include "platform/desktop/SleepInhibitor.h"
#include "platform/desktop/WindowPresence.h"
#include "platform/system/Log.h"
#include "platform/system/LongText.h"
#include "platform/system/Utf8.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

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

// How much of what fired a desktop notification tells.
constexpr qsizetype kLongestNotice = 500;

// A text longer than this, or of more lines, is shown in a scrollable view:
// QMessageBox grows to fit its text whole, and lays it out whole.
constexpr qsizetype kLongestPanelText = 1000;
constexpr qsizetype kMostPanelLines = 15;
// The scrollable view's lines, in average characters, and its height in lines.
constexpr int kViewColumns = 72;
constexpr int kViewLines = 15;

bool needsScrolling(const QString& text) {
    return text.size() > kLongestPanelText || text.count(QLatin1Char('\n')) >= kMostPanelLines;
}

// Puts the text in a read-only view of a readable size, which scrolls, where
// the box's own label would show it. The view is given the text broken into
// lines: it lays out a line only when it comes into sight, where it would
// lay out a paragraph of megabytes whole before showing any of it.
void showInScrollableView(QMessageBox& box, const QString& text) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (label == nullptr || grid == nullptr) {
        box.setText(text);
        return;
    }
    auto* view = new QPlainTextEdit(&box);
    view->setObjectName(QStringLiteral("alertMessageView"));
    view->setAccessibleName(QObject::tr("Message"));
    view->setReadOnly(true);
    view->setPlainText(brokenIntoLines(text, kViewColumns));
    const QFontMetrics metrics = view->fontMetrics();
    const QRect screen = box.screen()->availableGeometry();
    const int frame = 2 * view->frameWidth() + 2 * int(view->document()->documentMargin());
    const int scrollBar = view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
    view->setMinimumSize(
        std::min(metrics.averageCharWidth() * (kViewColumns + 2) + frame + scrollBar, screen.width() * 3 / 4),
        std::min(metrics.lineSpacing() * kViewLines + frame, screen.height() / 2));
    delete grid->replaceWidget(label, view);
    label->hide();
}

} // namespace

QtDesktop::QtDesktop(std::function<QWidget*()> mainWindow, std::function<void()> beep)
    : mainWindow(std::move(mainWindow))
    , beepSound(std::move(beep)) {}

QtDesktop::~QtDesktop() {
    // One deadline for all: each takes back what it shows without waiting,
    // then the bus is given the rest of the time to pass it on.
    const Deadline deadline = std::chrono::steady_clock::now() + kTakeBackLimit;
    bool sent = false;
    for (Notifications* notices : {notifications.get(), backgroundNotice.get()})
        if (notices) {
            notices->takeBack(deadline);
            sent = true;
        }
    if (launcherEntry)
        sent = launcherEntry->takeBack() || sent;
    if (sleepInhibitor)
        sent = sleepInhibitor->takeBack() || sent;
    if (sent)
        waitUntilSent(QDBusConnection::sessionBus(), deadline);
}

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
    // A notice of a few lines: a message of megabytes would be the server's
    // to lay out, and the alert panel shows it whole.
    std::vector<Notifications::Action> actions;
    if (stop)
        actions.push_back({QStringLiteral("stop"), QObject::tr("Stop"),
                           [stop = std::move(stop)](const QString&) { stop(); }});
    notifications->show(QString::fromLatin1(programName()),
                        QObject::tr("Time has come: ") + cutWithEllipsis(fromUtf8(whatFired), kLongestNotice),
                        std::move(actions));
}

void QtDesktop::bringWindowForward() {
    QWidget* window = mainWindow ? mainWindow() : nullptr;
    if (window != nullptr && window->isHidden())
        presentWindow(window, {});
}

void QtDesktop::showBackgroundNotice(const QString& body) {
    if (!backgroundNotice)
        backgroundNotice = std::make_unique<Notifications>();
    const auto bringBack = [this](const QString& token) {
        presentWindow(mainWindow ? mainWindow() : nullptr, token);
    };
    backgroundNotice->show(QString::fromLatin1(programName()), body,
                           {{QStringLiteral("default"), QObject::tr("Show the timer"), bringBack},
                            {QStringLiteral("show"), QObject::tr("Show"), bringBack}});
}

void QtDesktop::withdrawBackgroundNotice() {
    if (backgroundNotice)
        backgroundNotice->withdraw();
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
    const QString text = fromUtf8(title);
    const bool scrolled = needsScrolling(text);
    box.setText(scrolled ? QString() : text);
    box.setInformativeText(fromUtf8(message));
    // QMessageBox guesses the informative text's format; make it literal too.
    if (auto* informative = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
    QPushButton* only = box.addButton(literalButtonText(button), QMessageBox::AcceptRole);
    box.setDefaultButton(only);
    box.setEscapeButton(only);
    if (scrolled)
        showInScrollableView(box, text);
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
