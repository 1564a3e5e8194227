#pragma once
// A QLabel of the interface file that shows one line of any length: a status
// line or a file name. The label never asks the window for room for its
// text, so the window keeps its size whatever the line holds; the line is
// drawn on one row, shortened at its end with "…" where it is wider than the
// label. The whole line stays within reach:
// - the label's accessible name, which a screen reader reads, is the line;
// - the tooltip of a shortened line shows it, broken into lines (a line of
//   more than a tooltip can show is cut there, with "…");
// - a selection that takes in the "…" copies the line to its end, and any
//   other selection copies what it covers of the line itself.

#include <QObject>
#include <QString>

class QLabel;
class QPoint;

namespace eggtimer {

class OneLineLabel final : public QObject {
public:
    // The label's present text becomes the line. Lives as long as the label.
    explicit OneLineLabel(QLabel* label);

    const QString& line() const { return whole; }
    void setLine(const QString& line);
    // Whether the label draws the line shortened.
    bool isShortened() const { return shortened; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int room() const;
    void draw();
    QString selectedPartOfLine() const;
    void copySelection() const;
    void showMenu(const QPoint& at);

    QLabel* label;
    QString whole;
    bool shortened = false;
};

} // namespace eggtimer
