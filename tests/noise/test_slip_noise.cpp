#include "noise/slip_noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <sstream>
#include <vector>

#include "app/common/random_table_file.h"
#include "noise/random_tables.h"

namespace {

constexpr int kLength = agv::kSlipNoiseLength;

/// The committed tables and a generator at its start.
struct LoadedContext {
    agv::RandomTables tables;
    std::uint32_t rng = 1;
    LoadedContext() {
        std::string error;
        EXPECT_TRUE(agv::loadRandomTables(tables, error)) << error;
    }
    double normal() { return agv::randomNormal(tables, rng); }
    void slipNoise(int n, double* out) { agv::makeSlipNoise(tables, 0.02, rng, n, out); }
};

struct Moments {
    double mean = 0.0, sd = 0.0;
};

Moments moments(const std::vector<double>& x) {
    double sum = 0.0, squares = 0.0;
    for (double v : x)
        sum += v;
    const double mean = sum / x.size();
    for (double v : x)
        squares += (v - mean) * (v - mean);
    return {mean, std::sqrt(squares / x.size())};
}

/// The same sequence built independently: the draws taken in the documented order
/// and the lag integrated exactly for a held input, y' = y·e^(-h/T) + w·T·(1 - e^(-h/T)).
std::vector<double> referenceNoise(LoadedContext& ctx, int n) {
    const double z = ctx.normal();
    const int skip = static_cast<int>(std::floor(100.0 * std::fabs(z))) + 1;
    for (int j = 0; j < skip; ++j)
        ctx.normal();
    std::vector<double> w(n);
    for (double& value : w)
        value = ctx.normal();

    const double h = 0.02 / 5;
    const double decay = std::exp(-h / agv::kSlipTau);
    std::vector<double> y(n, 0.0);
    for (int i = 1; i < n; ++i) {
        y[i] = y[i - 1] * decay + w[i] * agv::kSlipTau * (1.0 - decay);
    }
    const Moments m = moments(y);
    for (double& value : y)
        value = (value - m.mean) / m.sd;
    return y;
}

}  // namespace

TEST(UniformGenerator, FollowsTheLinearCongruentialRecurrence) {
    std::uint32_t rng = 1;
    EXPECT_EQ(agv::drawUniform15(rng), 41);  // state 214013 + 2531011 = 2745024
    std::uint64_t state = 2745024;
    for (int draw = 1; draw < 100000; ++draw) {
        state = (state * 214013 + 2531011) % (std::uint64_t{1} << 32);
        const int expected = static_cast<int>((state >> 16) & 0x7FFF);
        ASSERT_EQ(agv::drawUniform15(rng), expected) << "draw " << draw;
    }
    EXPECT_EQ(rng, state);
}

TEST(UniformGenerator, ConvertedDrawsAreStandardNormal) {
    LoadedContext loaded;
    const int count = 200000;
    std::vector<double> x(count);
    int withinOne = 0, withinTwo = 0;
    for (double& value : x) {
        value = loaded.normal();
        withinOne += std::fabs(value) < 1.0;
        withinTwo += std::fabs(value) < 2.0;
    }
    const Moments m = moments(x);
    EXPECT_NEAR(m.mean, 0.0, 0.01);
    EXPECT_NEAR(m.sd, 1.0, 0.01);
    EXPECT_NEAR(static_cast<double>(withinOne) / count, 0.6827, 0.005);
    EXPECT_NEAR(static_cast<double>(withinTwo) / count, 0.9545, 0.003);
}

TEST(SlipFilter, OneStepMatchesTheFourthOrderExpansion) {
    // For the linear lag every fourth-order four-stage scheme advances y by the factor
    // R(-h/T) = 1 - x + x²/2 - x³/6 + x⁴/24 (x = h/T), and a held input w by T(1 - R).
    // A large step separates this from the exact exponential and from lower orders.
    const double h = 0.5;
    const double x = h / agv::kSlipTau;
    const double factor = 1.0 - x + x * x / 2.0 - x * x * x / 6.0 + x * x * x * x / 24.0;
    EXPECT_NEAR(agv::slipFilterStep(1.0, 0.0, h), factor, 1e-7);
    EXPECT_NEAR(agv::slipFilterStep(0.0, 2.0, h), 2.0 * agv::kSlipTau * (1.0 - factor), 1e-7);
    EXPECT_NEAR(agv::slipFilterStep(3.0, 3.0 / agv::kSlipTau, h), 3.0, 1e-7);  // equilibrium
}

TEST(SlipNoise, NormalisedCorrelatedAndMatchesTheDrawOrder) {
    LoadedContext first, second;
    std::vector<double> out(kLength), again(kLength);
    first.slipNoise(kLength, out.data());
    first.slipNoise(kLength, again.data());

    for (const std::vector<double>* sequence : {&out, &again}) {
        const Moments m = moments(*sequence);
        EXPECT_NEAR(m.mean, 0.0, 1e-12);
        EXPECT_NEAR(m.sd, 1.0, 1e-12);
        double lagged = 0.0;
        for (int i = 0; i + 1 < kLength; ++i)
            lagged += (*sequence)[i] * (*sequence)[i + 1];
        EXPECT_GT(lagged / (kLength - 1), 0.99);  // e^(-h/T) ≈ 0.996
    }
    EXPECT_NE(out, again);

    // Both sequences follow from the one stream, the second after the first's draws;
    // out[0] is where a zero filter output lands after normalisation.
    const std::vector<double> expected = referenceNoise(second, kLength);
    const std::vector<double> expectedAgain = referenceNoise(second, kLength);
    double worst = 0.0;
    for (int i = 0; i < kLength; ++i) {
        worst = std::fmax(worst, std::fabs(out[i] - expected[i]));
        worst = std::fmax(worst, std::fabs(again[i] - expectedAgain[i]));
    }
    EXPECT_LT(worst, 1e-6);
    EXPECT_EQ(first.rng, second.rng);
}

TEST(SlipNoise, DegenerateLengthsGiveNoNaN) {
    LoadedContext loaded;
    double single = 7.0;
    loaded.slipNoise(1, &single);  // constant output: nothing to scale
    EXPECT_EQ(single, 0.0);

    double untouched = 7.0;
    const std::uint32_t state = loaded.rng;
    loaded.slipNoise(0, &untouched);
    EXPECT_EQ(untouched, 7.0);
    EXPECT_EQ(loaded.rng, state);
}
