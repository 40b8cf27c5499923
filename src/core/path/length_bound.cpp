#include "path/length_bound.h"

#include <cmath>

#include "path/arc_length.h"
#include "path/curve_params.h"
#include "sim/model.h"

namespace agv {

namespace {

/// The bound must beat the limit by this fraction: summing up to 2^31 panels rounds the
/// computed length by less, so a path refused on the bound is refused on its sum too.
constexpr double kRoundingMargin = 1e-6;
/// A rose hump counts as complete when nβ reaches this close to π (rounding of the end).
constexpr double kHumpSlack = 1e-6;

/// Lower bound of the length from 0 to pEnd, from ds/dp ≥ 1 (graphs), ≥ |r| (polar
/// curves); 0 where none is known.
double rawLowerBound(const CurveParams& c, int I, double pEnd) {
    const double span = std::fabs(pEnd);
    switch (I) {
        case 1:
        case 2:
        case 3:
        case 4:
            // The parameter is x, and the path is at least as long as its x span.
            return span;
        case 12: {
            // r = Aβ/2π grows linearly: the length is at least ∫ r dβ.
            const double rate = std::fabs(c.spiralA) / kTwoPi;
            return 0.5 * rate * span * span;
        }
        case 14: {
            // r = A sin(nβ): each hump of |r| adds 2|A|/n.
            const double n = std::fabs(c.roseN);
            // Whole n end at π or 2π, which is always cheap to sum.
            if (!(n < kernels::kRoseWholeLimit)) return 0.0;
            const double humps = std::floor(n * span / kPi + kHumpSlack);
            return 2.0 * std::fabs(c.roseA) / n * humps;
        }
        case 15:
            return std::fabs(c.circleR) * span;
        default:
            return 0.0;
    }
}

}  // namespace

std::optional<double> pathLengthLowerBound(const CurveParams& c, int curveNumber, double pEnd,
                                           double smax) {
    if (!(std::fabs(pEnd) / kSimpsonPanel > kCheapLengthPanels)) return std::nullopt;
    const double bound = rawLowerBound(c, curveNumber, pEnd);
    if (!(bound * (1.0 - kRoundingMargin) > smax)) return std::nullopt;
    return bound;
}

double pathLengthForCheck(const Model& model, int curveNumber, double pEnd, double smax) {
    const auto bound = pathLengthLowerBound(model.settings.curve, curveNumber, pEnd, smax);
    if (bound) return *bound;
    if (!(std::fabs(pEnd) <= kMaxPathParameter)) return std::nan("");
    return arcLength(model, 0.0, pEnd, curveNumber);
}

}  // namespace agv
