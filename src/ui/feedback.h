#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <QValidator>

class QFocusEvent;
class QLineEdit;
class QWidget;

namespace pellamar::ui {

// The title of the program's message boxes.
inline const QString kProgramName = QStringLiteral("Pellamar");

// A key or a paste was refused: a beep, and the hint just below the place it was refused (a
// rectangle of the widget) for a few seconds, so that nothing typed vanishes without a word.
void refuseInput(QWidget* widget, const QRect& place, const QString& hint);
// The hint on show, empty when there is none.
QString shownHint();

// Whether a focus loss is the operator leaving a box for another control of the program: another
// application, a menu or a tool tip taking the focus is not, and commits nothing.
bool leftForAnotherControl(const QFocusEvent* event);

// Gives the hint whenever the line edit refuses an input (its validator or its length limit).
void hintOnRefusal(QLineEdit* edit, const QString& hint);

// Guards every way text gets into a number box (typing, paste, drop): digits, at most one "."
// where allowed, a leading "-" where allowed, no longer than the cap (0: none). A text that
// breaks the rule is refused whole, so a paste is never cut down to a number the operator did
// not mean. The texts the box itself shows for stored values (a count of five digits, a value
// in exponent form from a file) are kept valid; were they invalid, no edit of them would pass.
class NumberValidator : public QValidator {
public:
    struct Rule {
        int maxLength = 0;
        bool point = true;
        bool sign = false;
    };
    NumberValidator(Rule rule, QObject* parent)
        : QValidator(parent)
        , rule_(rule)
    {}

    void keep(const QStringList& texts) { kept_ = texts; }
    State validate(QString& input, int& pos) const override;
    // Whether a text keeps the rule, as a paste into the grid must too.
    static bool follows(QStringView input, Rule rule);

private:
    Rule rule_;
    QStringList kept_;
};

} // namespace pellamar::ui
