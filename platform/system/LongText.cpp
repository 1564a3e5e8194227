#include "platform/system/LongText.h"

#include <algorithm>

namespace eggtimer {
namespace {

bool endsALine(QChar c) {
    return c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

} // namespace

QStringView leadingPart(QStringView text, qsizetype length) {
    if (length >= text.size())
        return text;
    length = std::max<qsizetype>(length, 0);
    if (length > 0 && text[length - 1].isHighSurrogate())
        --length;
    return text.first(length);
}

QString onOneRow(QStringView text) {
    QString row = text.toString();
    for (QChar& c : row) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return row;
}

QString brokenIntoLines(QStringView text, qsizetype columns) {
    columns = std::max<qsizetype>(columns, 2);
    QString lines;
    lines.reserve(text.size() + text.size() / columns + 1);
    qsizetype lineStart = 0;  // in `lines`
    qsizetype lastSpace = -1; // in `lines`, on the present line
    for (const QChar c : text) {
        if (endsALine(c)) {
            lines += c;
            lineStart = lines.size();
            lastSpace = -1;
            continue;
        }
        if (lines.size() - lineStart >= columns) {
            if (c == u' ') {
                lines += u'\n';
                lineStart = lines.size();
                lastSpace = -1;
                continue;
            }
            if (lastSpace > lineStart) {
                lines[lastSpace] = u'\n';
                lineStart = lastSpace + 1;
            } else if (c.isLowSurrogate() && lines.size() > lineStart) {
                lines.insert(lines.size() - 1, u'\n');
                lineStart = lines.size() - 1;
            } else {
                lines += u'\n';
                lineStart = lines.size();
            }
            lastSpace = -1;
        }
        if (c == u' ')
            lastSpace = lines.size();
        lines += c;
    }
    return lines;
}

QString cutWithEllipsis(QStringView text, qsizetype length) {
    if (text.size() <= length)
        return text.toString();
    return leadingPart(text, length).toString() + kEllipsis;
}

} // namespace eggtimer
