#pragma once
// A label whose text may be shown on two lines, broken at a blank or a hyphen, and ended with
// "…" where even that does not fit: a long name is never cut through a letter. Its text()
// stays the whole value of record; only what is painted differs.
#include <QFontMetrics>
#include <QLabel>
#include <QStringList>

namespace kyomat {

// The text in at most max_lines lines no wider than width at the metrics' font: broken after
// a blank (which is dropped) or a hyphen (which stays), the last line ended with "…" where the
// rest does not fit. A text that fits is one line, unchanged.
QStringList wrap_to_width(const QString& text, const QFontMetrics& metrics, int width,
                          int max_lines = 2);

// Whether a label keeps its size from one text to the next: the same characters but for
// digits in the same places, in a face whose digits are all as wide as each other (the usual
// case). A clock's new second then costs no measuring of its large text.
bool keeps_size(const QLabel& label, const QString& before, const QString& after);

class FitLabel : public QLabel {
  public:
    using QLabel::QLabel;

    // Shows the text within width, on up to two lines of the current font; the label takes
    // that width and the height of the lines. Returns the number of lines.
    int fit_within(int width);
    // Back to the plain one-line label.
    void show_whole();
    bool fitted() const { return !lines_.isEmpty(); }
    const QStringList& shown_lines() const { return lines_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QStringList lines_;
};

}  // namespace kyomat
