#pragma once

#include "core/columns.h"
#include "core/parameters.h"
#include "core/settings.h"
#include "core/units.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace pellamar {

// The untreated control pan; larvae 0 means no control data.
struct ControlData {
    std::int16_t larvae = 0;
    std::int16_t dead = 0;
    float hours = 0.0f;
    friend bool operator==(const ControlData&, const ControlData&) = default;
};

// The five results of one grid row.
struct SampleResult {
    std::array<float, 5> v{};
    float value(Result result) const { return v[static_cast<std::size_t>(result) - 1]; }
};

inline constexpr int kInitialDataRows = 50;

// Everything of a data set but its grid: what an edit outside the grid can change.
struct DataSetState {
    bool metric = true;
    Parameters parameters;
    std::array<QString, kFieldCount> fieldTexts;
    ControlData control;
    friend bool operator==(const DataSetState&, const DataSetState&) = default;
};

// A whole data set: its state and the input texts of every grid row.
struct DataSetSnapshot {
    DataSetState state;
    std::vector<std::array<QString, 4>> inputs;
};

// The one data set of a run: parameters with the texts their fields show, the sample grid's
// input texts (which are the sample data), control data, and the per-row positions and results
// of the last recalculation. Data rows are numbered from 1 and never renumbered.
class DataSet : public QObject {
    Q_OBJECT
public:
    explicit DataSet(bool metric = true, QObject* parent = nullptr);

    // --- units ---
    const Units& units() const { return units_; }
    bool metric() const { return units_.metric; }
    // Refreshes the unit factors and labels for the system in force and re-displays every
    // converted parameter field.
    void applyUnits();
    // The unit switch: nothing happens when the system is already in force; otherwise the
    // display changes and every row is recalculated. Returns whether it switched.
    bool switchUnits(bool metric);

    // --- parameters and the texts their fields show ---
    const Parameters& parameters() const { return params_; }
    Parameters& parameters() { return params_; }
    const QString& fieldText(Field field) const;
    void setFieldText(Field field, const QString& text);
    // The text a field shows for its stored value in the units in force (formatted with the
    // field's pattern), or nullopt when the stored value means "not entered".
    std::optional<QString> displayText(Field field) const;
    // "0" when separation and position of pan 1, in display units, are whole to two decimals.
    QString positionFormat() const;

    // --- control data ---
    const ControlData& controlData() const { return control_; }
    void setControlData(const ControlData& data);

    // --- the sample grid ---
    int dataRowCount() const { return static_cast<int>(rows_.size()); }
    // An input cell's text (columns ColWeight .. ColDead), as typed.
    const QString& input(int row, int column) const;
    // Sets an input cell's text; recalculation is the caller's next step.
    void setInput(int row, int column, const QString& text);
    // Grows the grid to the given number of data rows (never shrinks it).
    void ensureDataRows(int count);
    // An entry reached this row: the grid grows to keep an empty row after it, positioned, for
    // the next pan.
    void keepRowAfter(int row);
    // Drops the rows after the first `count` (at least one row stays).
    void truncateRows(int count);
    // More dead larvae in the row than larvae, or dead larvae and no larvae count.
    bool deadAboveLarvae(int row) const;
    // As of the last recalculation: the row's results and which of them exist, its position in
    // display units (NaN before its first recalculation), and whether positions are whole.
    const SampleResult& result(int row) const;
    bool hasResult(int row, Result result) const;
    double position(int row) const;
    bool wholePositions() const { return wholePositions_; }
    int firstDataRow() const { return firstDataRow_; }
    int lastDataRow() const { return lastDataRow_; }
    bool hasData() const { return lastDataRow_ > 0; }
    // An overlap needs a line of at least three pans.
    bool canAnalyseSwath() const { return lastDataRow_ - firstDataRow_ > 1; }

    // The one recalculation: row 0 recalculates every row, otherwise that row only (totals,
    // cumulative fractions and the data range always span the whole grid).
    void calculateResults(int row);
    // Resets parameters, control counts and grid; the sampler line comes from the settings.
    void clearDataSet(const SamplerSettings& sampler);

    // --- undo ---
    DataSetState state() const;
    // Puts a state back (units, parameters, field texts, control data) and recalculates.
    void restoreState(const DataSetState& state);
    DataSetSnapshot snapshot() const;
    // Puts a whole data set back, grid included, and recalculates.
    void restore(const DataSetSnapshot& snapshot);

signals:
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted(int first, int last);
    void rowsAboutToBeRemoved(int first, int last);
    void rowsRemoved();
    void aboutToReset();
    void resetDone();
    // A reset or restore is over, its recalculation (if any ran) included.
    void resetSettled();
    // Emitted at the end of every recalculation that ran, with the rows whose cells changed.
    void recalculated(int firstRow, int lastRow);
    void unitsApplied();
    void fieldTextChanged(pellamar::Field field);
    void controlDataChanged();
    // Parameters, units or control data were put back as a whole.
    void stateRestored();

private:
    struct Row {
        std::array<QString, 4> inputs;
        // Parsed inputs, kept in step with the texts.
        std::optional<float> weight;
        std::optional<float> granules;
        std::optional<double> larvae;
        std::optional<double> dead;
        SampleResult result;
        std::uint8_t present = 0; // bit r - 1 set when result r exists
        // None before the row's first recalculation.
        double position = std::numeric_limits<double>::quiet_NaN();
    };
    Row& row(int r) { return rows_[static_cast<std::size_t>(r - 1)]; }
    const Row& row(int r) const { return rows_[static_cast<std::size_t>(r - 1)]; }
    // New rows are empty; the last may get its position before anyone is told.
    void appendRows(int count, bool positionLast = false);
    void computeRow(Row& row, double depositFactor, double area) const;
    double positionOf(int row) const;

    Units units_;
    Parameters params_;
    std::array<QString, kFieldCount> fieldTexts_;
    ControlData control_;
    std::vector<Row> rows_;
    int firstDataRow_ = 0;
    int lastDataRow_ = 0;
    bool wholePositions_ = false;
};

// A grid cell as the grid shows it and the file holds it (without the grid's alignment
// blanks): an input as typed; the position and the results of the last recalculation formatted
// with their patterns, empty where there is none.
QString cellText(const DataSet& dataSet, int row, int column);

} // namespace pellamar
