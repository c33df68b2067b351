#pragma once

#include "core/units.h"

#include <QGroupBox>
#include <QRectF>
#include <array>

class QButtonGroup;
class QPointF;
class QCheckBox;
class QGridLayout;
class QLabel;
class QRadioButton;

namespace pellamar {
class DataSet;
}
namespace pellamar::datafile {
struct AveragedPasses;
}

namespace pellamar::ui {

class GraphPicture;

// "Sample Line Statistics": the result picture (its scale drawn with it), the five result options,
// the swath statistics and the "Swath Analysis" check box.
class ResultPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit ResultPanel(DataSet& dataSet, QWidget* parent = nullptr);

    QRadioButton* graphOption(int option) const
    {
        return options_[static_cast<std::size_t>(option - 1)];
    }
    QCheckBox* swathCheck() const { return swathCheck_; }
    // "Show passes", offered while the data set holds averaged passes.
    QCheckBox* passesCheck() const { return passesCheck_; }
    // The passes of the data set, or null; they must live until the next call.
    void setPasses(const datafile::AveragedPasses* passes);
    GraphPicture* picture() const { return picture_; }
    // The axis captions as last drawn: left, right, bottom, top.
    QStringList axisCaptions() const;
    // Redraws the result graph for the selected option.
    void drawResult();

    // Greys the result controls out, or brings them back.
    void enableResults(bool enabled);

    // The swath statistics beside the graphs, shown only during swath analysis.
    void showSwathStatistics(bool shown);
    void setSwathStatistics(const QString& cov, const QString& average, const QString& maxMin);
    void setAverageCaption(const QString& caption);
    QString statisticText(int index) const; // 0 COV, 1 max/min, 2 average
    // Where the deposit lies along the sample line; empty without data.
    QString patternCentreText() const;

signals:
    void graphSelected(int option);

private:
    // The swath statistics under the graph, hidden until swath analysis shows them.
    QGridLayout* statisticsLayout();
    void refreshCaptions();
    void showTooltip(QPointF pixel);
    void followDataSet();

    DataSet& dataSet_;
    Result shown_ = Result::Deposit;
    GraphPicture* picture_ = nullptr;
    // The result graph's coordinate system, for the mouse read-out.
    double left_ = 0, width_ = 1, top_ = 1;
    bool drawAfterReset_ = false;
    std::array<QRadioButton*, 5> options_{};
    QButtonGroup* optionGroup_ = nullptr;
    std::array<QLabel*, 3> statCaptions_{};
    std::array<QLabel*, 3> statValues_{};
    QStringList captions_; // left, right, bottom, top
    QRectF plot_;
    QCheckBox* swathCheck_ = nullptr;
    QLabel* centre_ = nullptr;
    QCheckBox* passesCheck_ = nullptr;
    const datafile::AveragedPasses* passes_ = nullptr;
};

} // namespace pellamar::ui
