#include "ui/swathmode.h"

#include "core/dataset.h"
#include "graphics/swathgraphs.h"
#include "ui/graphpicture.h"
#include "ui/longtask.h"
#include "ui/widthoptions.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pellamar::ui {

namespace {
swath::Source otherSource(swath::Source source)
{
    return source == swath::Source::Deposit ? swath::Source::Density : swath::Source::Deposit;
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
    widths_ = new WidthOptions(picture_);
    widths_->setLabeller([this](int index) { return graphics::widthLabel(dataSet_, index); });
    connect(widths_, &WidthOptions::clicked, this, &SwathMode::widthClicked);

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

swath::Source SwathMode::chosenSource() const
{
    return deposit_->isChecked() ? swath::Source::Deposit : swath::Source::Density;
}

swath::FlightPattern SwathMode::pattern() const
{
    return racetrack_->isChecked() ? swath::FlightPattern::Racetrack
                                   : swath::FlightPattern::BackAndForth;
}

swath::SwathChoice SwathMode::choice() const
{
    return {pattern(), chosen_.selectedWidth};
}

bool SwathMode::calculate(swath::Source source)
{
    const swath::SwathData data = swath::SwathData::from(dataSet_);
    const std::span<const float> pans = data.values(source);
    const swath::FlightPattern flight = pattern();
    swath::SwathRecord fresh;
    const bool done = runSwathWork(panel_, pans.size(), [&](const swath::Progress& progress) {
        return swath::calculateSwathStats(fresh, data.inputs, pans, flight, progress);
    });
    if (!done) {
        return false;
    }
    fresh.widthIndex = record_.widthIndex;
    record_ = std::move(fresh);
    return true;
}

bool SwathMode::switchOn()
{
    on_ = true;
    panel_->show();
    sourceFrame_->show();
    // Laid out now, so that the picture is drawn once, at its final size, when the record is
    // ready.
    if (QLayout* layout = panel_->parentWidget() ? panel_->parentWidget()->layout() : nullptr) {
        layout->activate();
    }
    emit averageCaptionChanged(graphics::averageCaption(chosenSource()));

    widths_->setCount(std::max(dataSet_.lastDataRow() - dataSet_.firstDataRow(), 1));

    // The 30 % rule proposes a width per source. The chosen source comes last, so the record
    // ends holding it.
    const swath::Source chosen = chosenSource();
    for (swath::Source source : {otherSource(chosen), chosen}) {
        if (!calculate(source)) {
            switchOff();
            return false;
        }
        const swath::WidthChoice proposal = swath::selectSwathWidth(record_.cov);
        chosen_.width(source) = proposal.found ? proposal.width : 1;
    }
    proposing_ = true;
    widths_->click(chosen_.width(chosen));
    proposing_ = false;
    return true;
}

void SwathMode::switchOff()
{
    on_ = false;
    // The next analysis must not show this one's graphs while it calculates.
    picture_->setPainter({});
    panel_->hide();
    sourceFrame_->hide();
    widths_->setCount(0);
}

void SwathMode::widthClicked(int index)
{
    chosen_.width(chosenSource()) = index;
    record_.widthIndex = index;
    swath::overlapSwath(record_, index, swath::SwathInputs::from(dataSet_), pattern());
    redraw();
    if (!proposing_) {
        emit choiceChanged();
    }
}

void SwathMode::sourceClicked(swath::Source source)
{
    if (!calculate(source)) {
        // Stopped: the record still holds the other source, and so do the options.
        sourceOption(otherSource(source))->setChecked(true);
        return;
    }
    emit averageCaptionChanged(graphics::averageCaption(source));
    emit choiceChanged();
    const int width = chosen_.width(source);
    if (width >= 1 && width <= widths_->count()) {
        widths_->click(width); // the width's overlap and the picture follow the click
    } else {
        swath::overlapSwath(record_, width, swath::SwathInputs::from(dataSet_), pattern());
        redraw();
    }
}

void SwathMode::patternClicked()
{
    if (!calculate(chosenSource())) {
        racetrack_->setChecked(!racetrack_->isChecked());
        return;
    }
    swath::overlapSwath(record_, record_.widthIndex, swath::SwathInputs::from(dataSet_), pattern());
    redraw();
    emit choiceChanged();
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
    const graphics::CovGraphResult cov =
        graphics::drawCovGraph(surface, dataSet_, record_, graphics::kCovLimit);
    const graphics::SwathGraphResult block = graphics::drawSwathGraph(
        surface, dataSet_, record_,
        swath::buildSwathBlock(record_, record_.widthIndex, swath::SwathInputs::from(dataSet_),
                               pattern()),
        chosenSource());
    std::vector<int> centres(cov.optionLefts.size());
    std::transform(cov.optionLefts.begin(), cov.optionLefts.end(), centres.begin(),
                   [](int left) { return left + 6; });
    // Below the axis title, and never cut off at the bottom.
    widths_->place(centres, std::min(cov.optionTop, surface.deviceHeight() - WidthOptions::kSize));
    emit statisticsChanged(cov.covLabel, block.averageLabel, block.maxMinLabel);
}

} // namespace pellamar::ui
