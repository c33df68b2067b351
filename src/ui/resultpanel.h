#pragma once

#include <QGroupBox>
#include <array>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QRadioButton;

namespace pellamar {
class DataSet;
}

namespace pellamar::ui {

// "Sample Line Statistics": the result picture with its axis captions, the five result options,
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
    QWidget* picture() const { return picture_; }
    // Selects option 1..5 as its click would, unless it is selected already.
    void selectGraph(int option);

    // Greys the result controls out, or brings them back.
    void enableResults(bool enabled);
    bool resultsEnabled() const;

signals:
    void graphSelected(int option);

private:
    void refreshCaptions();
    void followDataSet();

    DataSet& dataSet_;
    QWidget* picture_ = nullptr;
    std::array<QRadioButton*, 5> options_{};
    QButtonGroup* optionGroup_ = nullptr;
    std::array<QLabel*, 3> statCaptions_{};
    std::array<QLabel*, 3> statValues_{};
    QList<QLabel*> axisLabels_;
    QLabel* lengthLabel_ = nullptr;
    QCheckBox* swathCheck_ = nullptr;
};

} // namespace pellamar::ui
