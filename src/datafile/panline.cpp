#include "datafile/panline.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace pellamar::datafile {

namespace {

// Room for the double arithmetic of the writer and of the fit, far below any shown digit.
double slack(double value)
{
    return 4e-15 * (1.0 + std::fabs(value));
}

// How far the value a shown position was rounded from may lie: less than half a unit, as a value
// half way is shown rounded away, so that "0" and "4" leave no room for a "1" or a "3" between.
double room(double position, double half)
{
    return half * (1 - 1e-5) + slack(position);
}

} // namespace

double halfUnit(QStringView text)
{
    // Read for every pan row: one pass, and the powers of ten from a table.
    static const std::array<double, 801> kHalves = [] {
        std::array<double, 801> halves{};
        for (std::size_t i = 0; i < halves.size(); ++i) {
            halves[i] = 0.5 * std::pow(10.0, -double(long(i) - 400));
        }
        return halves;
    }();
    qsizetype lower = -1;
    qsizetype upper = -1;
    qsizetype dot = -1;
    qsizetype comma = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        qsizetype* first = c == u'e'   ? &lower
                           : c == u'E' ? &upper
                           : c == u'.' ? &dot
                           : c == u',' ? &comma
                                       : nullptr;
        if (first && *first < 0) {
            *first = i;
        }
    }
    const qsizetype e = std::max(lower, upper);
    const qsizetype end = e < 0 ? text.size() : e;
    // A decimal comma counts too: files separated by semicolons or tabs have them.
    const qsizetype point = dot >= 0 && dot < end ? dot : comma >= 0 && comma < end ? comma : -1;
    long decimals = point < 0 ? 0 : long(end - point - 1);
    if (e >= 0) {
        decimals -= text.mid(e + 1).toInt();
    }
    return kHalves[static_cast<std::size_t>(std::clamp(decimals, -400L, 400L) + 400)];
}

PanLineFit::PanLineFit(double first, double firstHalf, double separation, double separationHalf)
{
    const double da = room(first, firstHalf);
    const double ds = separationHalf + 1e-9 * (1.0 + std::fabs(separation));
    corners_ = {Point{first - da, separation - ds}, Point{first + da, separation - ds},
                Point{first + da, separation + ds}, Point{first - da, separation + ds}};
}

bool PanLineFit::add(int index, double position, double half)
{
    const double r = room(position, half);
    clip(1.0, double(index), position + r);
    clip(-1.0, -double(index), -(position - r));
    return !corners_.empty();
}

void PanLineFit::anchor(double pans, double position1, double half)
{
    const double r = room(position1, half);
    clipUnlessEmpty(1.0, -pans, position1 - r, position1 + r);
}

void PanLineFit::limitSeparation(double low, double high)
{
    clipUnlessEmpty(0.0, 1.0, low, high);
}

void PanLineFit::clipUnlessEmpty(double ka, double ks, double low, double high)
{
    const std::vector<Point> before = corners_;
    clip(ka, ks, high);
    clip(-ka, -ks, -low);
    if (corners_.empty()) {
        corners_ = before;
    }
}

void PanLineFit::clip(double ka, double ks, double c)
{
    scratch_.clear();
    const std::size_t n = corners_.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point& p = corners_[i];
        const Point& q = corners_[(i + 1) % n];
        const double fp = ka * p[0] + ks * p[1] - c;
        const double fq = ka * q[0] + ks * q[1] - c;
        if (fp <= 0) {
            scratch_.push_back(p);
        }
        if ((fp <= 0) != (fq <= 0)) {
            const double t = fp / (fp - fq);
            const Point cut{p[0] + t * (q[0] - p[0]), p[1] + t * (q[1] - p[1])};
            if (scratch_.empty() || scratch_.back() != cut) {
                scratch_.push_back(cut);
            }
        }
    }
    corners_.swap(scratch_);
}

} // namespace pellamar::datafile
