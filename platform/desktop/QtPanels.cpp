#include "platform/desktop/QtPanels.h"

#include "platform/system/AppIdentity.h"
#include "platform/system/LongText.h"
#include "platform/system/Utf8.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
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

QtPanels::QtPanels(std::function<QWidget*()> mainWindow)
    : mainWindow(std::move(mainWindow)) {}

void QtPanels::runAlertPanel(const std::string& title, const std::string& message,
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

std::optional<std::string> QtPanels::runOpenPanel(const std::string& title,
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
