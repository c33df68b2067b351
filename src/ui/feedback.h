#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

class QFocusEvent;
class QLineEdit;
class QWidget;

namespace pellamar::ui {

// The title of the program's message boxes.
inline const QString kProgramName = QStringLiteral("Pellamar");

// A key or a paste was refused: a beep, and the hint just below the place it was refused (a
// rectangle of the widget) for a few seconds, so that nothing typed vanishes without a word.
void refuseInput(QWidget* widget, const QRect& place, const QString& hint);
// The same hint without the beep, for a note on something done.
void showHint(QWidget* widget, const QRect& place, const QString& hint);
// Takes the hint away once a later action has succeeded.
void clearHint();
// The hint on show, empty when there is none.
QString shownHint();

// A failed save's message: what could not be saved, the file and its folder, then the reason.
QString notSaved(const QString& what, const QString& path, const QString& reason);

// From now on Enter and keypad Enter press the push or tool button that has the focus, in every
// window of the program, as Space does.
void pressButtonsOnEnter();

// Whether a focus loss is the operator leaving a box for another control of the program: another
// application, a menu or a tool tip taking the focus is not, and commits nothing.
bool leftForAnotherControl(const QFocusEvent* event);

// The characters a number entry may hold: digits, at most one "." where allowed, a leading "-"
// where allowed, no longer than the cap (0: none). Text that breaks it is kept as typed, shown
// as refused, and never committed: no key is dropped from the middle of a number.
struct NumberRule {
    int maxLength = 0;
    bool point = true;
    bool sign = false;

    bool follows(QStringView input) const;
};

// Shows a line edit's text in red, with the hint, while `refusal` (empty when the text is
// fine) says it cannot be committed; its property "refused" says so too.
void markRefusal(QLineEdit* edit, const QString& refusal);

} // namespace pellamar::ui
