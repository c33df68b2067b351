#pragma once

#include "core/parameters.h"

#include <QString>

namespace pellamar {

class DataSet;

// Commits the text typed into a parameter field when the operator leaves it: accepts it (stored
// in metric, the field reformatted), reverts it to the stored value, empties it or stores "not
// entered", as the field's entry rules say. Updates the data set's stored value and field text.
// Returns true when the data set must be recalculated; the caller does that.
bool commitField(DataSet& dataSet, Field field, const QString& text);

// Whether commitField would store a text as typed; the other answers say why not.
enum class FieldVerdict { Accepted, Missing, NotANumber, NotAboveZero, OutOfRange };
FieldVerdict checkField(const DataSet& dataSet, Field field, const QString& text);

} // namespace pellamar
