#pragma once

#include "graphics/surface.h"

#include <cmath>

namespace pellamar::graphics {

// Where a graph is drawn, in the surface's user units: its plot's left edge and width, the line
// of value 0, and the signed height up to the top value (negative where y runs down).
struct Frame {
    double left = 0.0;
    double width = 1.0;
    double base = 0.0;
    double height = 1.0;
    double up() const { return height < 0.0 ? -1.0 : 1.0; }
    double top() const { return base + height; }
    double centre() const { return left + width / 2.0; }
};

// A length on a surface: so many device pixels, inches (the same at any resolution) or user units.
struct Length {
    double value = 0.0;
    Unit unit = Unit::Pixel;
    double across(const Surface& surface) const
    {
        return std::abs(surface.scaleX(value, unit, Unit::User));
    }
    // Vertical, positive.
    double along(const Surface& surface) const
    {
        return std::abs(surface.scaleY(value, unit, Unit::User));
    }
    double pixels(const Surface& surface) const
    {
        return std::abs(surface.scaleX(value, unit, Unit::Pixel));
    }
};

} // namespace pellamar::graphics
