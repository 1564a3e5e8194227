#pragma once
// Texts of any length made fit to be drawn: a status line, a tooltip or the
// alert panel shows a text that may run to megabytes, and Qt lays out a line
// whole, at a cost that grows with its length. These take only as much of a
// text as will be seen, and never split a surrogate pair.

#include <QString>
#include <QStringView>

namespace eggtimer {

inline constexpr QChar kEllipsis = u'\u2026';

// The first `length` characters of the text at most, one fewer where that
// would end in the first half of a surrogate pair.
QStringView leadingPart(QStringView text, qsizetype length);

// The text on one row: control characters (tabs and line breaks among them)
// and line and paragraph separators become spaces, one for one, so that a
// position in the row is the same position in the text.
QString onOneRow(QStringView text);

// The text in lines of at most `columns` characters: a line is broken at its
// last space, which becomes the line break, or within a word longer than a
// line. The text's own line breaks stay.
QString brokenIntoLines(QStringView text, qsizetype columns);

// At most `length` characters of the text, followed by "…" where some were
// left out.
QString cutWithEllipsis(QStringView text, qsizetype length);

} // namespace eggtimer
