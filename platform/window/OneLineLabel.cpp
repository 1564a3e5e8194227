#include "platform/window/OneLineLabel.h"

#include "platform/system/LongText.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>

#include <algorithm>

namespace eggtimer {
namespace {

// A tooltip holds a few lines of a readable width.
constexpr qsizetype kTooltipColumns = 80;
constexpr qsizetype kLongestTooltip = 1000;

} // namespace

OneLineLabel::OneLineLabel(QLabel* label)
    : QObject(label)
    , label(label)
    , whole(label->text()) {
    // Its text is always one row, and its width is the layout's to give.
    label->setWordWrap(false);
    QSizePolicy policy = label->sizePolicy();
    policy.setHorizontalPolicy(QSizePolicy::Ignored);
    label->setSizePolicy(policy);
    label->setAccessibleName(whole);
    label->installEventFilter(this);
    draw();
}

void OneLineLabel::setLine(const QString& line) {
    whole = line;
    label->setAccessibleName(whole);
    draw();
}

// The width QLabel lays its text out in: inside the frame and margins, less
// the indent it makes for a framed label.
int OneLineLabel::room() const {
    const int margin = label->margin();
    int indent = label->indent();
    if (indent < 0 && label->frameWidth() > 0)
        indent = label->fontMetrics().horizontalAdvance(u'x') / 2 - margin;
    return std::max(label->contentsRect().width() - 2 * margin - std::max(indent, 0), 0);
}

void OneLineLabel::draw() {
    const int width = room();
    // Glyphs but combining marks are at least half a pixel wide, so this is
    // as much of the line as can show; only this much is ever laid out.
    const QStringView part = leadingPart(whole, qsizetype(width) * 2 + 16);
    const bool cut = part.size() < whole.size();
    const QString row = onOneRow(part);
    const QString shown = label->fontMetrics().elidedText(cut ? row + kEllipsis : row, Qt::ElideRight, width);
    shortened = shown != row;
    label->setText(shown);
    label->setToolTip(shortened ? brokenIntoLines(cutWithEllipsis(whole, kLongestTooltip), kTooltipColumns)
                                : QString());
}

// The part of the line the selection stands for: the shown row is the line's
// beginning, position for position, and its "…" the rest of it.
QString OneLineLabel::selectedPartOfLine() const {
    const QString selected = label->selectedText();
    const qsizetype start = label->selectionStart();
    if (selected.isEmpty() || start < 0)
        return {};
    const QString shown = label->text();
    const bool ellipsis = shortened && shown.endsWith(kEllipsis);
    const qsizetype drawnOfLine = ellipsis ? shown.size() - 1 : shown.size();
    if (onOneRow(leadingPart(whole, drawnOfLine)) != QStringView(shown).first(drawnOfLine))
        return selected;
    if (ellipsis && start + selected.size() >= shown.size())
        return whole.mid(start);
    return whole.mid(start, selected.size());
}

void OneLineLabel::copySelection() const {
    const QString part = selectedPartOfLine();
    if (!part.isEmpty())
        QGuiApplication::clipboard()->setText(part);
}

void OneLineLabel::showMenu(const QPoint& at) {
    QMenu menu(label);
    QAction* copy = menu.addAction(tr("&Copy"), this, [this] { copySelection(); });
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(label->hasSelectedText());
    menu.addAction(tr("Select All"), this, [this] { label->setSelection(0, int(label->text().size())); });
    menu.exec(at);
}

bool OneLineLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != label)
        return false;
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::ContentsRectChange:
        draw();
        break;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) && label->hasSelectedText()) {
            copySelection();
            return true;
        }
        break;
    case QEvent::ContextMenu:
        if (label->textInteractionFlags() & Qt::TextSelectableByMouse) {
            showMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace eggtimer
