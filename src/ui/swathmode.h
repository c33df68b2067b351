#pragma once

#include "swath/analysis.h"

#include <QObject>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QWidget;

namespace pellamar {
class DataSet;
}
namespace pellamar::graphics {
class Surface;
}

namespace pellamar::ui {

class GraphPicture;
class WidthOptions;

// Swath analysis: the panel with the COV and swath data graphs and its width options, the
// source and flight-pattern choices, and the record of the source shown. The record always
// holds the chosen source and flight pattern once an action completes.
class SwathMode : public QObject {
    Q_OBJECT
public:
    SwathMode(DataSet& dataSet, QWidget* parent);

    QWidget* panel() const { return panel_; }
    QGroupBox* sourceFrame() const { return sourceFrame_; }
    QRadioButton* sourceOption(swath::Source source) const;
    QCheckBox* racetrack() const { return racetrack_; }
    // Width options 1..W; none outside the analysis.
    WidthOptions* widthOptions() const { return widths_; }
    const swath::SwathRecord& record() const { return record_; }
    swath::Source chosenSource() const;
    const std::array<int, 2>& selectedWidth() const { return chosen_.selectedWidth; }
    // What a save writes for the swath section.
    swath::SwathChoice choice() const;
    // The COV limit in percent the proposal and the result line work at; a change during the
    // analysis proposes both sources' widths afresh at the new limit.
    int covLimitPercent() const { return chosen_.covLimitPercent; }
    void setCovLimit(int percent);
    // The answer in words and the effective swath table under the graphs.
    QLabel* resultLine() const { return resultLine_; }
    QWidget* effectiveTable() const { return table_; }
    // The table's cell of a pattern (0 back-and-forth, 1 racetrack) and a limit's index.
    QString effectiveCell(int pattern, int limit) const;

    // Returns false when the operator stopped the statistics; the analysis is then off again.
    bool switchOn();
    void switchOff();
    void redraw();

signals:
    // The statistics shown beside the panel.
    void statisticsChanged(const QString& cov, const QString& average, const QString& maxMin);
    void averageCaptionChanged(const QString& caption);
    // The operator chose another width, source or flight pattern: what a save writes changed.
    void choiceChanged();

private:
    // Recalculates the record for the source, and with `table` the effective swaths of both
    // patterns; false (record untouched) when stopped.
    bool calculate(swath::Source source, bool table = false);
    // The statistics of a source for the pattern in force, and for the other pattern too when
    // asked; false when stopped.
    bool compute(swath::Source source, swath::SwathRecord& shown, swath::SwathRecord* other);
    void buildTable();
    void settleLayout();
    void showTable();
    // The rule's width for every source at the limit, the chosen source's record at hand.
    bool propose(bool fresh);
    void widthClicked(int index);
    void sourceClicked(swath::Source source);
    void patternClicked();
    swath::FlightPattern pattern() const;
    void draw(graphics::Surface& surface);

    DataSet& dataSet_;
    QWidget* panel_ = nullptr;
    GraphPicture* picture_ = nullptr;
    QGroupBox* sourceFrame_ = nullptr;
    QRadioButton* deposit_ = nullptr;
    QRadioButton* density_ = nullptr;
    QCheckBox* racetrack_ = nullptr;
    WidthOptions* widths_ = nullptr;
    QLabel* resultLine_ = nullptr;
    QWidget* table_ = nullptr;
    // Rows back-and-forth and racetrack, a column per limit.
    std::array<std::array<QLabel*, 5>, 2> cells_{};
    std::array<swath::EffectiveSwaths, 2> effective_{};
    swath::SwathRecord record_;
    swath::SwathChoice chosen_; // its pattern follows the racetrack box
    bool on_ = false;
    // The width the analysis proposes on switching on is no choice of the operator's.
    bool proposing_ = false;
};

} // namespace pellamar::ui
