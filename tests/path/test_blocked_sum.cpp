// Adding step lengths a block at a time gives every partial sum the plain addition one by one
// gives, to the last bit: on crafted lengths halfway between two units and on residuals that
// cross binades, and on the step lengths of every long path.
#include "path/blocked_sum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "path/arc_length.h"
#include "sim/model.h"

namespace agv {
namespace {

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

/// From step c with residual f, adds the lengths one by one until f is no longer negative,
/// and with the blocks where they allow: every residual the blocked adding reaches must be
/// the plain one after the same step.
void expectPlainSums(const BlockedSum& blocks, const std::vector<double>& lengths, size_t c,
                     double f) {
    std::vector<double> plain;
    for (size_t i = c; i < lengths.size() && (plain.empty() || plain.back() < 0.0); ++i)
        plain.push_back((plain.empty() ? f : plain.back()) + lengths[i]);
    size_t skipped = 0;
    for (size_t i = c; i < c + plain.size();) {
        const size_t n = blocks.skip(i, lengths.size(), f);
        skipped += n;
        i += n;
        if (n > 0) {
            ASSERT_TRUE(sameBits(f, plain[i - 1 - c])) << "after step " << i - 1;
        }
        if (i >= c + plain.size()) break;
        f = f + lengths[i];
        ASSERT_TRUE(sameBits(f, plain[i - c])) << "step " << i;
        ++i;
    }
    ASSERT_TRUE(sameBits(f, plain.back()));
    // Long runs are mostly skipped.
    if (plain.size() > 200) {
        EXPECT_GT(skipped, plain.size() / 2);
    }
}

TEST(BlockedSum, HalfwayLengthsAndBinadeCrossings) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> lengths(4000);
    for (double& l : lengths)
        l = 0.005 + 0.025 * unit(random);
    // Lengths exactly halfway between two multiples of the unit of the binades 2^2 and 2^5.
    for (size_t i = 100; i < lengths.size(); i += 37) {
        const int e = i % 2 == 0 ? 2 : 5;
        const double u = std::ldexp(1.0, e - 52);
        lengths[i] = (std::floor(lengths[i] / u) + 0.5) * u;
        ASSERT_EQ(std::fmod(lengths[i] / u, 1.0), 0.5);
    }
    std::vector<double> params(lengths.size());
    for (size_t i = 0; i < params.size(); ++i)
        params[i] = 0.01 * static_cast<double>(i + 1);
    BlockedSum blocks;
    blocks.build(lengths.data(), params.data(), lengths.size(), 1e9);
    // Residuals at binade bottoms and just above, across every binade with sums.
    for (const double start : {-60.3, -32.0, -16.000000000000004, -8.0, -4.0000000000000009, -1.0,
                               -0.25, -0.13, -std::nextafter(64.0, 0.0), -70.0}) {
        for (const size_t c : {size_t{0}, size_t{8}, size_t{13}, size_t{96}, size_t{800}}) {
            SCOPED_TRACE(testing::Message() << "f=" << start << " c=" << c);
            expectPlainSums(blocks, lengths, c, start);
        }
    }
}

TEST(BlockedSum, StepLengthsOfEveryLongPath) {
    struct LongPath {
        int curve;
        void (*set)(CurveParams&);
    };
    const LongPath paths[] = {
        {1, [](CurveParams& c) { c.cosineA = 0.0, c.cosineL = 59.9; }},
        {2, [](CurveParams& c) { c.cycloidA = 1.9, c.cycloidL = 47.88; }},
        {3, [](CurveParams& c) { c.quadraticL = 59.5; }},
        {3, [](CurveParams& c) { c.quadraticA = 10.0, c.quadraticL = 58.0; }},
        {4, [](CurveParams& c) { c.cubicL = 59.5; }},
    };
    for (const LongPath& path : paths) {
        Model model;
        path.set(model.settings.curve);
        model.settings.curveNumber = path.curve;
        setupPath(model, path.curve);
        buildArcTable(model, path.curve);
        const ArcTable& table = model.path.arcTable;
        ASSERT_GT(table.stepLength.size(), static_cast<size_t>(kArcTableCapacity));
        const double sf = model.path.pathEnd[path.curve].sf;
        // From table entries and kept steps, towards arc lengths all along the path.
        for (size_t c = 0; c < table.stepLength.size(); c += 997) {
            for (const double s : {sf * 0.37, sf * 0.81, sf - 1e-3, sf + 5.0}) {
                const double s0 = c < static_cast<size_t>(table.count) ? table.entry[c][1] : 0.0;
                SCOPED_TRACE(testing::Message() << "curve " << path.curve << " c=" << c);
                if (s0 - s < 0.0) expectPlainSums(table.stepBlocks, table.stepLength, c, s0 - s);
            }
        }
    }
}

}  // namespace
}  // namespace agv
