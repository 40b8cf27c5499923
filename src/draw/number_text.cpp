#include "draw/number_text.h"

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

}  // namespace agv
