#pragma once

#include <QString>
#include <optional>
#include <variant>

namespace pellamar {
class DataSet;
}

namespace pellamar::batch {

// A swath width as given on the command line: a width index, or a length with its unit.
struct WidthArgument {
    QString text;
    int index = 0;
    std::optional<double> length;
    bool feet = false;
    int decimals = 0; // as typed: "98.43ft" claims more than the file's "98.4"
};

// "3", "30m", "30 m", "98.4ft"; nullopt for anything else.
std::optional<WidthArgument> parseWidthArgument(const QString& text);

// The width index the argument names in this data set, or why it names none.
std::variant<int, QString> resolveWidth(const WidthArgument& width, const DataSet& dataSet);

} // namespace pellamar::batch
