#include "ui/swathmode.h"

#include "core/dataset.h"
#include "graphics/swathgraphs.h"
#include "graphics/swathsummary.h"
#include "ui/graphpicture.h"
#include "ui/longtask.h"
#include "ui/widthoptions.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pellamar::ui {

namespace {
swath::Source otherSource(swath::Source source)
{
    return source == swath::Source::Deposit ? swath::Source::Density : swath::Source::Deposit;
}

swath::FlightPattern otherPattern(swath::FlightPattern pattern)
{
    return pattern == swath::FlightPattern::Racetrack ? swath::FlightPattern::BackAndForth
                                                      : swath::FlightPattern::Racetrack;
}

std::size_t patternRow(swath::FlightPattern pattern)
{
    return pattern == swath::FlightPattern::Racetrack ? 1 : 0;
}

int proposedWidth(const swath::BoundedArray& cov, int limitPercent)
{
    const swath::WidthChoice proposal = swath::selectSwathWidth(cov, swath::covLimit(limitPercent));
    return proposal.found ? proposal.width : 1;
}

// The graphs' small label size, so that the words under them take little of their room.
QFont smallFont(const QWidget* widget)
{
    QFont small = widget->font();
    small.setPointSize(8);
    return small;
}
} // namespace

SwathMode::SwathMode(DataSet& dataSet, QWidget* parent)
    : QObject(parent)
    , dataSet_(dataSet)
{
    panel_ = new QWidget(parent);
    panel_->setObjectName(QStringLiteral("swathPanel"));
    picture_ = new GraphPicture(panel_);
    resultLine_ = new QLabel;
    resultLine_->setObjectName(QStringLiteral("swathResultLine"));
    resultLine_->setWordWrap(true);
    resultLine_->setFont(smallFont(panel_));
    resultLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    resultLine_->setContentsMargins(4, 0, 4, 2);
    buildTable();
    // The table stands beside the COV graph, taking width the graphs spare better than height.
    auto* side = new QVBoxLayout;
    side->setContentsMargins(0, 0, 4, 0);
    side->addStretch();
    side->addWidget(table_);
    side->addSpacing(WidthOptions::kSize * 2);
    auto* graphs = new QHBoxLayout;
    graphs->setSpacing(0);
    graphs->addWidget(picture_, 1);
    graphs->addLayout(side);
    auto* layout = new QVBoxLayout(panel_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(graphs, 1);
    layout->addWidget(resultLine_);
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
    return {pattern(), chosen_.selectedWidth, chosen_.covLimitPercent};
}

void SwathMode::buildTable()
{
    table_ = new QWidget;
    table_->setObjectName(QStringLiteral("effectiveSwathTable"));
    table_->setFont(smallFont(panel_));
    auto* grid = new QGridLayout(table_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(0);
    auto* title = new QLabel(QStringLiteral("Effective swath"));
    title->setTextFormat(Qt::PlainText);
    QFont bold = table_->font();
    bold.setBold(true);
    title->setFont(bold);
    grid->addWidget(title, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("COV")), 1, 0);
    auto* backAndForth = new QLabel(QStringLiteral("B&F"));
    backAndForth->setTextFormat(Qt::PlainText);
    grid->addWidget(backAndForth, 1, 1, Qt::AlignRight);
    grid->addWidget(new QLabel(QStringLiteral("Racetrack")), 1, 2, Qt::AlignRight);
    for (std::size_t i = 0; i < kCovLimitPercents.size(); ++i) {
        const int row = static_cast<int>(i) + 2;
        grid->addWidget(new QLabel(QStringLiteral("%1 %").arg(kCovLimitPercents[i])), row, 0);
        for (std::size_t pattern = 0; pattern < 2; ++pattern) {
            cells_[pattern][i] = new QLabel;
            grid->addWidget(cells_[pattern][i], row, static_cast<int>(pattern) + 1, Qt::AlignRight);
        }
    }
    table_->setToolTip(QStringLiteral("The widest swath whose COV stays within each limit, "
                                      "back-and-forth (B&F) and racetrack"));
}

void SwathMode::showTable()
{
    for (std::size_t row = 0; row < 2; ++row) {
        for (std::size_t i = 0; i < kCovLimitPercents.size(); ++i) {
            cells_[row][i]->setText(graphics::effectiveSwathText(dataSet_, effective_[row][i]));
        }
    }
    // Fixed once filled, with some room to spare, so that the graphs beside it keep their width
    // from one drawing to the next.
    table_->setFixedWidth(table_->layout()->sizeHint().width() + 8);
}

QString SwathMode::effectiveCell(int pattern, int limit) const
{
    return cells_.at(std::size_t(pattern)).at(std::size_t(limit))->text();
}

bool SwathMode::compute(swath::Source source, swath::SwathRecord& shown, swath::SwathRecord* other)
{
    const swath::SwathData data = swath::SwathData::from(dataSet_);
    const std::span<const float> pans = data.values(source);
    const swath::FlightPattern flight = pattern();
    return runSwathWork(panel_, pans.size(), [&](const swath::Progress& progress) {
        // One progress tells of both patterns.
        const int parts = other ? 2 : 1;
        const auto part = [&](int before) {
            return [&progress, before, parts](int done, int total) {
                return !progress || progress(before * total + done, parts * total);
            };
        };
        return swath::calculateSwathStats(shown, data.inputs, pans, flight, part(0)) &&
               (!other || swath::calculateSwathStats(*other, data.inputs, pans,
                                                     otherPattern(flight), part(1)));
    });
}

bool SwathMode::calculate(swath::Source source, bool table)
{
    swath::SwathRecord fresh;
    swath::SwathRecord other;
    if (!compute(source, fresh, table ? &other : nullptr)) {
        return false;
    }
    fresh.widthIndex = record_.widthIndex;
    record_ = std::move(fresh);
    if (table) {
        // The table holds both patterns, so switching the pattern leaves it as it is.
        effective_[patternRow(pattern())] = swath::effectiveSwaths(record_.cov);
        effective_[patternRow(otherPattern(pattern()))] = swath::effectiveSwaths(other.cov);
        showTable();
    }
    return true;
}

bool SwathMode::propose(bool fresh)
{
    // The chosen source comes last, so the record ends holding it.
    const swath::Source chosen = chosenSource();
    const int limit = chosen_.covLimitPercent;
    if (fresh) {
        for (swath::Source source : {otherSource(chosen), chosen}) {
            if (!calculate(source, source == chosen)) {
                return false;
            }
            chosen_.width(source) = proposedWidth(record_.cov, limit);
        }
        return true;
    }
    swath::SwathRecord other;
    if (!compute(otherSource(chosen), other, nullptr)) {
        return false;
    }
    chosen_.width(otherSource(chosen)) = proposedWidth(other.cov, limit);
    chosen_.width(chosen) = proposedWidth(record_.cov, limit);
    return true;
}

void SwathMode::setCovLimit(int percent)
{
    if (percent == chosen_.covLimitPercent) {
        return;
    }
    chosen_.covLimitPercent = percent;
    if (!on_) {
        return;
    }
    const std::array<int, 2> before = chosen_.selectedWidth;
    // Stopped, the widths stay as chosen; the line still follows the limit.
    propose(false);
    proposing_ = true;
    widths_->click(chosen_.width(chosenSource()));
    proposing_ = false;
    if (chosen_.selectedWidth != before) {
        emit choiceChanged();
    }
}

bool SwathMode::switchOn()
{
    on_ = true;
    panel_->show();
    sourceFrame_->show();
    settleLayout();
    emit averageCaptionChanged(graphics::averageCaption(chosenSource()));

    widths_->setCount(std::max(dataSet_.lastDataRow() - dataSet_.firstDataRow(), 1));

    // The rule at the limit proposes a width per source.
    if (!propose(true)) {
        switchOff();
        return false;
    }
    proposing_ = true;
    widths_->click(chosen_.width(chosenSource()));
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
    if (!calculate(source, true)) {
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

void SwathMode::settleLayout()
{
    // Laid out now, so that the picture is drawn once, at its final size, beside the words
    // under it.
    panel_->layout()->activate();
    if (QLayout* layout = panel_->parentWidget() ? panel_->parentWidget()->layout() : nullptr) {
        layout->activate();
    }
}

void SwathMode::redraw()
{
    if (!on_) {
        return;
    }
    resultLine_->setText(graphics::swathResultLine(
        dataSet_, record_, record_.widthIndex, chosenSource(), pattern(), chosen_.covLimitPercent));
    settleLayout();
    picture_->setPainter([this](graphics::Surface& surface) { draw(surface); });
}

void SwathMode::draw(graphics::Surface& surface)
{
    surface.setPixelScale();
    const graphics::CovGraphResult cov = graphics::drawCovGraph(
        surface, dataSet_, record_, swath::covLimit(chosen_.covLimitPercent));
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
