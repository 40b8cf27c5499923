#include "path/blocked_sum.h"

#include <cmath>
#include <cstring>

namespace agv {

namespace {

/// Bottom of the lowest binade and top of the highest, 2^-3 and 2^7 [m].
constexpr double kSmallest = 0.125;
constexpr double kLargest = 128.0;
/// Significand bits of a double after the leading one.
constexpr int kFractionBits = 52;
/// Exponent field of a double: mask after the shift, and bias.
constexpr std::uint64_t kExponentMask = 0x7ff;
constexpr int kExponentBias = 1023;
/// Units of u in 2^e, the bottom of the binade.
constexpr std::uint64_t kBinadeUnits = std::uint64_t{1} << kFractionBits;
/// A rounded length of this many units or more never fits in a binade.
constexpr double kUnitsTooMany = 9007199254740992.0;  // 2^53
/// Beyond this many units (2^62) in all the running sums stop counting blocks as
/// skippable, so that no difference used wraps around.
constexpr double kRunningUnitsMax = 4611686018427387904.0;

}  // namespace

void BlockedSum::clear() {
    blocks_ = 0;
    units_.clear();
    blocked_.clear();
}

void BlockedSum::build(const double* lengths, const double* params, std::size_t count,
                       double paramLimit) {
    for (int b = 0; b < kBinades; ++b)
        unit_[b] = std::ldexp(1.0, kMinBinade + b - kFractionBits);
    blocks_ = count / kBlockSteps;
    const std::size_t stride = blocks_ + 1;
    units_.assign(kBinades * stride, 0);
    for (double& mean : meanUnits_)
        mean = 0.0;
    blocked_.assign(kBinades * stride, 0);
    for (int b = 0; b < kBinades; ++b) {
        const int e = kMinBinade + b;
        std::uint64_t* units = &units_[b * stride];
        std::uint32_t* blocked = &blocked_[b * stride];
        double total = 0.0;
        for (std::size_t k = 0; k < blocks_; ++k) {
            std::uint64_t sum = 0;
            std::uint32_t stops = 0;
            for (std::size_t i = k * kBlockSteps; i < (k + 1) * kBlockSteps; ++i) {
                // The length in units of u = 2^(e - 52), exactly (a power-of-two scaling).
                const double x = std::ldexp(lengths[i], kFractionBits - e);
                const double rounded = std::nearbyint(x);
                const bool usable = lengths[i] >= 0.0 && x < kUnitsTooMany &&
                                    std::fabs(x - rounded) != 0.5 && params[i] <= paramLimit;
                if (usable) {
                    sum += static_cast<std::uint64_t>(rounded);
                    total += rounded;
                } else {
                    ++stops;
                }
            }
            if (!(total < kRunningUnitsMax)) stops = 1;
            units[k + 1] = units[k] + sum;
            blocked[k + 1] = blocked[k] + stops;
        }
        if (blocks_ > 0)
            meanUnits_[b] = static_cast<double>(units[blocks_]) / static_cast<double>(blocks_);
    }
}

std::size_t BlockedSum::skipBlocks(std::size_t c, std::size_t end, double& f) const {
    // Negative and in a binade with running sums (the comparisons fail for no number).
    if (!(f <= -kSmallest && f > -kLargest)) return 0;
    // The binade from the exponent bits (f is a normal number here).
    std::uint64_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    const int e = static_cast<int>((bits >> kFractionBits) & kExponentMask) - kExponentBias;
    const std::size_t first = c / kBlockSteps;
    std::size_t last = end / kBlockSteps;
    if (last > blocks_) last = blocks_;
    if (first >= last) return 0;

    const std::size_t stride = blocks_ + 1;
    const std::uint64_t* units = &units_[static_cast<std::size_t>(e - kMinBinade) * stride];
    const std::uint32_t* blocked = &blocked_[static_cast<std::size_t>(e - kMinBinade) * stride];
    // |f| = m·u exactly; the result must keep m - added ≥ 2^52 + 1 units.
    const double u = unit_[e - kMinBinade];
    const std::uint64_t m = static_cast<std::uint64_t>(-f / u);
    if (m <= kBinadeUnits) return 0;
    const std::uint64_t room = m - kBinadeUnits - 1;
    // The last block b with the blocks first..b-1 all skippable and within room: both
    // conditions hold for a prefix of the blocks, so a search finds its end. Where not even
    // the first block can be skipped (a binade about to be left) it is not searched for.
    const auto fits = [&](std::size_t b) {
        return blocked[b] == blocked[first] && units[b] - units[first] <= room;
    };
    if (!fits(first + 1)) return 0;
    // The search starts from the block where blocks of the binade's mean sum would end: from
    // there it widens in steps that double until it has bracketed the end, which bisection
    // then finds.
    std::size_t lo = first + 1;  // fits
    std::size_t hi = last;       // the end lies in lo..hi
    const double mean = meanUnits_[e - kMinBinade];
    const double span = static_cast<double>(last - first);
    const double guess = mean > 0.0 ? static_cast<double>(room) / mean : span;
    const std::size_t g = first + (guess < span ? static_cast<std::size_t>(guess) : last - first);
    if (g <= lo || fits(g)) {
        if (g > lo) lo = g;
        for (std::size_t width = 1; lo < hi; width *= 2) {
            const std::size_t x = hi - lo > width ? lo + width : hi;
            if (!fits(x)) {
                hi = x - 1;
                break;
            }
            lo = x;
        }
    } else {
        hi = g - 1;
        for (std::size_t width = 1; hi - lo >= width; width *= 2) {
            const std::size_t x = hi + 1 - width;
            if (fits(x)) {
                lo = x;
                break;
            }
            hi = x - 1;
        }
    }
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo + 1) / 2;
        if (fits(mid)) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    // m - added < 2^53 units: the product and the sum are exact.
    f = f + static_cast<double>(units[lo] - units[first]) * u;
    return (lo - first) * kBlockSteps;
}

}  // namespace agv
