#include "draw/number_text.h"

#include <algorithm>
#include <cmath>

#include "draw/primitives.h"

namespace agv {

namespace {
constexpr double kRadix = 10.0;
}  // namespace

char digitChar(double d) {
    if (!(d >= 0.0)) return digitTable[0];  // negative or NaN
    if (d >= kRadix - 1.0) return digitTable[static_cast<int>(kRadix) - 1];
    return digitTable[static_cast<int>(d)];
}

std::string wholeNumberText(double w) {
    w = std::trunc(w);
    if (!(w >= 0.0) || !std::isfinite(w)) return "--";
    std::string text;
    do {
        text.insert(text.begin(), digitChar(std::fmod(w, kRadix)));
        w = std::trunc(w / kRadix);
    } while (w >= 1.0);
    return text;
}

std::string decimalText(double v, int decimals) {
    if (!std::isfinite(v)) return "--";
    const double unit = std::pow(kRadix, decimals);
    const double scaled = std::round(std::fabs(v) * unit);
    const double whole = std::trunc(scaled / unit);
    std::string text = (v < 0.0 && scaled > 0.0 ? "-" : "") + wholeNumberText(whole);
    if (decimals <= 0) return text;
    std::string fraction = wholeNumberText(scaled - whole * unit);
    text += ".";
    text += std::string(
        static_cast<size_t>(decimals) - std::min(fraction.size(), static_cast<size_t>(decimals)),
        digitTable[0]);
    return text + fraction;
}

}  // namespace agv
