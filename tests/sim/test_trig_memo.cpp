#include "sim/trig_memo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A memo answers exactly what the function answers: arguments are told apart by their bits
// (so -0 is not 0), and evicted or replaced entries are never returned for another argument.
TEST(TrigMemo, ReturnsTheFunctionsOwnBits) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double args[] = {0.0, -0.0, 1.5, 1.5, -2.25, 7.0, 1e-300, 12.5, 0.0, 1.5, nan, -0.0};

    agv::SinCosCache cache;
    agv::SinCosMemo memo;
    agv::ScalarMemo tanMemo;
    agv::ScalarMemo atanMemo;
    for (const double x : args) {
        SCOPED_TRACE(x);
        double s = 0.0, c = 0.0;
        cache.get(x, s, c);
        EXPECT_TRUE(sameBits(s, std::sin(x)));
        EXPECT_TRUE(sameBits(c, std::cos(x)));
        memo.get(x, s, c);
        EXPECT_TRUE(sameBits(s, std::sin(x)));
        EXPECT_TRUE(sameBits(c, std::cos(x)));
        EXPECT_TRUE(sameBits(tanMemo.tan(x), std::tan(x)));
        EXPECT_TRUE(sameBits(atanMemo.atan(x), std::atan(x)));
    }
}

}  // namespace
