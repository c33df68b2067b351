#pragma once

#include "core/parameters.h"
#include "core/settings.h"
#include "core/units.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace pellamar {

// The untreated control pan; larvae 0 means no control data.
struct ControlData {
    std::int16_t larvae = 0;
    std::int16_t dead = 0;
    float hours = 0.0f;
};

// Five results of one grid row: 1 deposit, 2 cumulative deposit fraction, 3 granule density,
// 4 granules per gram, 5 corrected mortality.
struct SampleResult {
    std::array<float, 5> v{};
    float value(int index) const { return v[static_cast<std::size_t>(index - 1)]; }
};

inline constexpr std::uint32_t kHeadingDarkRed = 0xD20000;
inline constexpr std::uint32_t kHeadingBlack = 0x000000;
inline constexpr int kInitialDataRows = 50;

// The one data set of a run: parameters, the sample grid's cell texts (which are the sample
// data), control data and the per-row results, plus the small pieces of window state that
// follow from them. Data rows are numbered from 1 and never renumbered.
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
    std::uint32_t controlHeadingColor() const { return controlHeadingColor_; }
    void markControlHeader();

    // --- the sample grid ---
    int dataRowCount() const { return static_cast<int>(rows_.size()); }
    const QString& cell(int row, int column) const;
    // Sets an input cell's text (columns 1..4); recalculation is the caller's next step.
    void setCell(int row, int column, const QString& text);
    // Grows the grid to the given number of data rows (never shrinks it).
    void ensureDataRows(int count);
    const SampleResult& result(int row) const;
    int firstDataRow() const { return firstDataRow_; }
    int lastDataRow() const { return lastDataRow_; }
    const QString& positionGridFormat() const { return positionGridFormat_; }

    // The one recalculation: row 0 recalculates every row, otherwise that row only (totals,
    // cumulative fractions and the data range always span the whole grid).
    void calculateResults(int row);
    // Resets parameters, control counts and grid; the sampler line comes from the settings.
    void clearDataSet(const SamplerSettings& sampler);

    // --- state the window shows ---
    bool saveEnabled() const { return saveEnabled_; }
    bool loadEnabled() const { return loadEnabled_; }
    bool resultsEnabled() const { return resultsEnabled_; }
    void setResultsEnabled(bool enabled) { resultsEnabled_ = enabled; }
    bool swathCheckVisible() const { return swathCheckVisible_; }
    bool swathChecked() const { return swathChecked_; }
    void setSwathChecked(bool checked) { swathChecked_ = checked; }
    int selectedGraph() const { return selectedGraph_; }
    void setSelectedGraph(int option) { selectedGraph_ = option; }

signals:
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted(int first, int last);
    void aboutToReset();
    void resetDone();
    // Emitted at the end of every recalculation that ran, with the rows whose cells changed.
    void recalculated(int firstRow, int lastRow);
    void unitsApplied();
    void fieldTextChanged(pellamar::Field field);

private:
    struct Row {
        std::array<QString, kGridColumns> cells;
        // Parsed inputs, kept in step with the texts.
        std::optional<float> weight;
        std::optional<float> granules;
        std::optional<double> larvae;
        std::optional<double> dead;
        SampleResult result;
    };
    Row& row(int r) { return rows_[static_cast<std::size_t>(r - 1)]; }
    const Row& row(int r) const { return rows_[static_cast<std::size_t>(r - 1)]; }
    // New rows are empty; the last may get its position text before anyone is told.
    void appendRows(int count, const QString& lastPosition = {});
    void computeRow(Row& row, double depositFactor, double area) const;
    QString positionText(double position) const;

    Units units_;
    Parameters params_;
    std::array<QString, kFieldCount> fieldTexts_;
    ControlData control_;
    std::vector<Row> rows_;
    int firstDataRow_ = 0;
    int lastDataRow_ = 0;
    QString positionGridFormat_ = QStringLiteral("0.00");
    std::uint32_t controlHeadingColor_ = kHeadingDarkRed;
    bool saveEnabled_ = false;
    bool loadEnabled_ = true;
    bool resultsEnabled_ = false;
    bool swathCheckVisible_ = false;
    bool swathChecked_ = false;
    int selectedGraph_ = 1;
};

} // namespace pellamar
