#pragma once

#include "core/dataset.h"

#include <QString>

namespace pellamar::datafile {

// Key codes as the parameter fields see them (character codes; Enter 13, Backspace 8).
inline constexpr int kKeyBackspace = 8;
inline constexpr int kKeyEnter = 13;

// The key code when it may go into a numeric field, else 0. A "." passes only when decimals
// are allowed and the text has none yet, or the selection that the key replaces holds it.
int filterNumericKey(int code, QStringView text, QStringView selectedText, bool decimalAllowed);

// The "-" key in the position of pan 1 toggles the sign and keeps the caret with its digits.
struct SignToggle {
    QString text;
    int selectionStart = 0;
    int selectionLength = 0;
};
SignToggle toggleSign(const QString& text, int selectionStart, int selectionLength);

// Which fields take any key (names) and which only numbers.
bool isTextField(Field field);

// Commits the text typed into a parameter field when it loses the focus: accepts it (stored in
// metric, the field reformatted), reverts it to the stored value, empties it or stores "not
// entered", as the field's rules say. Updates the data set's stored value and field text.
// Returns true when the data set must be recalculated; the caller does that.
bool commitField(DataSet& dataSet, Field field, const QString& text);

} // namespace pellamar::datafile
