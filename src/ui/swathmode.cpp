#include "ui/swathmode.h"

#include "core/dataset.h"
#include "graphics/swathgraphs.h"
#include "ui/graphpicture.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pellamar::ui {

namespace {
std::size_t slot(swath::Source source)
{
    return source == swath::Source::Deposit ? 0 : 1;
}
} // namespace

SwathMode::SwathMode(DataSet& dataSet, QWidget* parent)
    : QObject(parent)
    , dataSet_(dataSet)
{
    panel_ = new QWidget(parent);
    panel_->setObjectName(QStringLiteral("swathPanel"));
    picture_ = new GraphPicture(panel_);
    auto* layout = new QVBoxLayout(panel_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picture_);
    panel_->hide();
    widths_ = new QButtonGroup(this);
    connect(widths_, &QButtonGroup::idClicked, this, &SwathMode::widthClicked);

    sourceFrame_ = new QGroupBox(parent);
    deposit_ = new QRadioButton(QStringLiteral("Deposit"));
    density_ = new QRadioButton(QStringLiteral("Density"));
    racetrack_ = new QCheckBox(QStringLiteral("Racetrack"));
    deposit_->setChecked(true);
    auto* frameLayout = new QVBoxLayout(sourceFrame_);
    frameLayout->addWidget(deposit_);
    frameLayout->addWidget(density_);
    frameLayout->addWidget(racetrack_);
    sourceFrame_->hide();
    connect(deposit_, &QRadioButton::clicked, this,
            [this] { sourceClicked(swath::Source::Deposit); });
    connect(density_, &QRadioButton::clicked, this,
            [this] { sourceClicked(swath::Source::Density); });
    connect(racetrack_, &QCheckBox::clicked, this, &SwathMode::patternClicked);
}

QRadioButton* SwathMode::sourceOption(swath::Source source) const
{
    return source == swath::Source::Deposit ? deposit_ : density_;
}

QRadioButton* SwathMode::widthOption(int index) const
{
    return qobject_cast<QRadioButton*>(widths_->button(index));
}

int SwathMode::widthOptionCount() const
{
    return static_cast<int>(widths_->buttons().size());
}

swath::Source SwathMode::chosenSource() const
{
    return deposit_->isChecked() ? swath::Source::Deposit : swath::Source::Density;
}

swath::FlightPattern SwathMode::pattern() const
{
    return racetrack_->isChecked() ? swath::FlightPattern::Racetrack
                                   : swath::FlightPattern::BackAndForth;
}

datafile::SwathChoice SwathMode::choice() const
{
    return {pattern(), selectedWidth_};
}

void SwathMode::calculate(swath::Source source)
{
    swath::calculateSwathStats(record_, dataSet_, source, pattern());
}

void SwathMode::switchOn()
{
    on_ = true;
    panel_->show();
    sourceFrame_->show();
    emit averageCaptionChanged(graphics::averageCaption(chosenSource()));

    const int widthCount = std::max(dataSet_.lastDataRow() - dataSet_.firstDataRow(), 1);
    for (int i = 1; i <= widthCount; ++i) {
        auto* option = new QRadioButton(picture_);
        option->setAccessibleName(QStringLiteral("Swath width %1").arg(i));
        option->setFocusPolicy(Qt::TabFocus);
        option->setFixedSize(16, 16);
        widths_->addButton(option, i);
        option->hide();
    }

    // The 30 % rule proposes a width per source; the chosen source's width is selected while the
    // record holds that source.
    for (swath::Source source : {swath::Source::Density, swath::Source::Deposit}) {
        calculate(source);
        const swath::WidthChoice proposal = swath::selectSwathWidth(record_.cov);
        selectedWidth_[slot(source)] = proposal.found ? proposal.width : 1;
        if (source == chosenSource()) {
            widthOption(selectedWidth_[slot(source)])->click();
        }
    }
    calculate(chosenSource());
    redraw();
}

void SwathMode::switchOff()
{
    on_ = false;
    panel_->hide();
    sourceFrame_->hide();
    for (QAbstractButton* option : widths_->buttons()) {
        widths_->removeButton(option);
        delete option;
    }
}

void SwathMode::widthClicked(int index)
{
    selectedWidth_[slot(chosenSource())] = index;
    record_.widthIndex = index;
    swath::overlapSwath(record_, index, swath::SwathInputs::from(dataSet_), pattern());
    redraw();
}

void SwathMode::sourceClicked(swath::Source source)
{
    emit averageCaptionChanged(graphics::averageCaption(source));
    calculate(source);
    const int width = selectedWidth_[slot(source)];
    swath::overlapSwath(record_, width, swath::SwathInputs::from(dataSet_), pattern());
    if (QRadioButton* option = widthOption(width)) {
        option->click();
    }
    redraw();
}

void SwathMode::patternClicked()
{
    calculate(chosenSource());
    swath::overlapSwath(record_, record_.widthIndex, swath::SwathInputs::from(dataSet_), pattern());
    redraw();
}

void SwathMode::redraw()
{
    if (!on_) {
        return;
    }
    picture_->setPainter([this](graphics::Surface& surface) { draw(surface); });
}

void SwathMode::draw(graphics::Surface& surface)
{
    surface.setPixelScale();
    const graphics::CovGraphResult cov = graphics::drawCovGraph(surface, dataSet_, record_);
    const graphics::SwathGraphResult block =
        graphics::drawSwathGraph(surface, dataSet_, record_, chosenSource());
    for (int i = 1; i <= widthOptionCount(); ++i) {
        QRadioButton* option = widthOption(i);
        if (static_cast<std::size_t>(i - 1) < cov.optionLefts.size()) {
            // Centred on its tick, below the axis title, and never cut off at the bottom.
            option->move(cov.optionLefts[static_cast<std::size_t>(i - 1)] + 6 - option->width() / 2,
                         std::min(cov.optionTop, surface.deviceHeight() - option->height()));
            option->show();
        }
    }
    emit statisticsChanged(cov.covLabel, block.averageLabel, block.maxMinLabel);
}

} // namespace pellamar::ui
