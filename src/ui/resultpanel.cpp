#include "ui/resultpanel.h"

#include "core/dataset.h"
#include "datafile/passes.h"
#include "graphics/resultgraph.h"
#include "graphics/surface.h"
#include "graphics/swathsummary.h"
#include "ui/graphpicture.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace pellamar::ui {

ResultPanel::ResultPanel(DataSet& dataSet, QWidget* parent)
    : QGroupBox(QStringLiteral("Sample Line Statistics"), parent)
    , dataSet_(dataSet)
{
    picture_ = new GraphPicture;
    picture_->setObjectName(QStringLiteral("resultPicture"));
    picture_->setMinimumSize(220, 110);
    connect(picture_, &GraphPicture::mouseMovedTo, this, &ResultPanel::showTooltip);

    optionGroup_ = new QButtonGroup(this);
    auto* optionColumn = new QVBoxLayout;
    optionColumn->setSpacing(0);
    for (int i = 1; i <= 5; ++i) {
        auto* option = new QRadioButton;
        options_[static_cast<std::size_t>(i - 1)] = option;
        optionGroup_->addButton(option, i);
        optionColumn->addWidget(option);
    }
    optionColumn->addStretch();
    connect(optionGroup_, &QButtonGroup::idClicked, this, [this](int id) {
        shown_ = static_cast<Result>(id);
        drawResult();
        emit graphSelected(id);
    });

    swathCheck_ = new QCheckBox(QStringLiteral("Swath Analysis"));
    swathCheck_->hide();
    // The check box uses the graph's small label font.
    QFont small = font();
    small.setPointSize(8);
    swathCheck_->setFont(small);

    passesCheck_ = new QCheckBox(QStringLiteral("Show &passes"));
    passesCheck_->setFont(small);
    passesCheck_->setToolTip(QStringLiteral("Each pass as a thin line over their average"));
    passesCheck_->hide();
    connect(passesCheck_, &QCheckBox::toggled, this, &ResultPanel::drawResult);

    auto* side = new QVBoxLayout;
    side->addLayout(optionColumn);
    side->addWidget(passesCheck_);
    side->addWidget(swathCheck_);

    auto* body = new QHBoxLayout;
    body->addWidget(picture_, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(statisticsLayout());
    centre_ = new QLabel;
    centre_->setObjectName(QStringLiteral("patternCentre"));
    centre_->setWordWrap(true);
    centre_->setFont(small);
    layout->addWidget(centre_);

    connect(&dataSet_, &DataSet::unitsApplied, this, &ResultPanel::refreshCaptions);
    connect(&dataSet_, &DataSet::recalculated, this, &ResultPanel::followDataSet);
    connect(&dataSet_, &DataSet::resetDone, this, [this] {
        // A reset always leaves swath analysis and shows the deposit again, on the value axis
        // the window starts with.
        shown_ = Result::Deposit;
        top_ = 1.0;
        swathCheck_->setChecked(false);
        // The recalculation that follows draws it; drawn now too, a long line costs two.
        drawAfterReset_ = true;
    });
    connect(&dataSet_, &DataSet::resetSettled, this, [this] {
        if (drawAfterReset_) {
            followDataSet();
        }
    });
    refreshCaptions();
    followDataSet();
}

QGridLayout* ResultPanel::statisticsLayout()
{
    auto* stats = new QGridLayout;
    const QStringList captions{QStringLiteral("COV:"), QStringLiteral("Max / Min:"),
                               QStringLiteral("Average Deposit:")};
    for (int i = 0; i < 3; ++i) {
        statCaptions_[static_cast<std::size_t>(i)] = new QLabel(captions[i]);
        statValues_[static_cast<std::size_t>(i)] = new QLabel;
        stats->addWidget(statCaptions_[static_cast<std::size_t>(i)], i, 0);
        stats->addWidget(statValues_[static_cast<std::size_t>(i)], i, 1);
        statCaptions_[static_cast<std::size_t>(i)]->hide();
        statValues_[static_cast<std::size_t>(i)]->hide();
    }
    return stats;
}

void ResultPanel::refreshCaptions()
{
    for (Result result : kResults) {
        graphOption(static_cast<int>(result))
            ->setText(graphOptionCaption(result, dataSet_.units()));
    }
}

QString ResultPanel::patternCentreText() const
{
    return centre_->text();
}

void ResultPanel::followDataSet()
{
    drawAfterReset_ = false;
    const int drawings = picture_->drawings();
    centre_->setText(graphics::patternCentreLine(dataSet_));
    centre_->setVisible(!centre_->text().isEmpty());
    swathCheck_->setVisible(dataSet_.canAnalyseSwath());
    if (QAbstractButton* selected = optionGroup_->button(static_cast<int>(shown_))) {
        selected->setChecked(true);
    }
    // The check box coming or going resizes the picture, which then draws the data set as it is
    // now with the one painter there is; on long lines of pans drawing it again costs a frame.
    if (picture_->drawings() == drawings) {
        drawResult();
    }
}

void ResultPanel::setPasses(const datafile::AveragedPasses* passes)
{
    passes_ = passes;
    passesCheck_->setVisible(passes != nullptr);
    drawResult();
}

void ResultPanel::drawResult()
{
    picture_->setPainter([this](graphics::Surface& surface) {
        std::optional<graphics::PassLines> lines;
        if (passes_ && passesCheck_->isChecked()) {
            lines = graphics::PassLines{passes_->averaged.firstRow,
                                        datafile::passValues(*passes_, dataSet_, shown_)};
        }
        const graphics::ResultGraphResult result =
            graphics::drawResult(surface, dataSet_, shown_, QColor(),
                                 lines && !lines->values.empty() ? &*lines : nullptr);
        left_ = result.left;
        width_ = result.width;
        plot_ = result.plot;
        // Without data only the horizontal axis is set; the value axis keeps its last top.
        if (result.enabled) {
            top_ = result.top;
        }
        enableResults(result.enabled);
        // Without data the captions still follow the horizontal axis, in the units shown.
        const graphics::ResultGraphLabels labels =
            result.enabled ? result.labels : graphics::histogramLabels(left_, width_, top_, shown_);
        captions_ = {labels.x1, labels.x2, labels.y1, labels.y2};
    });
}

QStringList ResultPanel::axisCaptions() const
{
    return captions_;
}

void ResultPanel::showTooltip(QPointF pixel)
{
    if (plot_.width() <= 0 || plot_.height() <= 0) {
        return;
    }
    const double x = left_ + (pixel.x() - plot_.left()) / plot_.width() * width_;
    const double y = top_ - (pixel.y() - plot_.top()) / plot_.height() * top_;
    picture_->setToolTip(graphics::resultTooltip(x, y, dataSet_.units(), shown_));
}

void ResultPanel::showSwathStatistics(bool shown)
{
    for (QLabel* label : statCaptions_) {
        label->setVisible(shown);
    }
    for (QLabel* label : statValues_) {
        label->setVisible(shown);
    }
}

void ResultPanel::setSwathStatistics(const QString& cov, const QString& average,
                                     const QString& maxMin)
{
    statValues_[0]->setText(cov);
    statValues_[1]->setText(maxMin);
    statValues_[2]->setText(average);
}

void ResultPanel::setAverageCaption(const QString& caption)
{
    statCaptions_[2]->setText(caption);
}

QString ResultPanel::statisticText(int index) const
{
    return statValues_[static_cast<std::size_t>(index)]->text();
}

void ResultPanel::enableResults(bool enabled)
{
    picture_->setEnabled(enabled);
    QPalette palette = picture_->palette();
    palette.setColor(QPalette::Window,
                     enabled ? QColor(Qt::white) : palette.color(QPalette::Button));
    picture_->setPalette(palette);
    for (QRadioButton* option : options_) {
        option->setEnabled(enabled);
    }
    for (QLabel* label : statCaptions_) {
        label->setEnabled(enabled);
    }
    for (QLabel* label : statValues_) {
        label->setEnabled(enabled);
        if (!enabled) {
            label->clear();
        }
    }
    swathCheck_->setEnabled(enabled);
}

} // namespace pellamar::ui
