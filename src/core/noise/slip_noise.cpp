#include "noise/slip_noise.h"

#include <cmath>

#include "noise/random_tables.h"

namespace agv {

namespace {

/// Multiplier and increment of the linear congruential generator (modulo 2^32).
constexpr std::uint32_t kRngMultiplier = 214013u;
constexpr std::uint32_t kRngIncrement = 2531011u;
/// The 15 bits taken from the upper half of the state.
constexpr int kRngShift = 16;
constexpr std::uint32_t kRngMask = 0x7FFFu;
/// Centre and span of the 15-bit range, mapping r to u in [-0.5, 0.5).
constexpr int kUniformCentre = 16384;
constexpr double kUniformSpan = 32768.0;
/// Discarded draws per unit of |z| before a sequence starts.
constexpr double kSkipPerUnit = 100.0;
/// Bound on the discarded draws, so an absurd table value cannot stall the program.
constexpr double kMaxSkip = 1.0e6;

// Runge-Kutta-Gill stage constants as the simulator stores them
// (1/2, 1 - 1/√2, 1 + 1/√2 and 1/6 to the digits shown).
constexpr double kGill1 = 0.5;
constexpr double kGill2 = 0.292893219;
constexpr double kGill3 = 1.70710678;
constexpr double kGill4 = 0.16666667;

/// Rate of the first-order lag dy/dt = w - y / T.
double lagRate(double y, double w) {
    return w - y / kSlipTau;
}

}  // namespace

int drawUniform15(std::uint32_t& rngState) {
    rngState = rngState * kRngMultiplier + kRngIncrement;
    return static_cast<int>((rngState >> kRngShift) & kRngMask);
}

double randomNormal(const RandomTables& tables, std::uint32_t& rngState) {
    const int r = drawUniform15(rngState);
    const double u = (r - kUniformCentre) / kUniformSpan;
    return convertRandom(tables, u);
}

double slipFilterStep(double y, double w, double h) {
    const double k1 = h * lagRate(y, w);
    const double r1 = kGill1 * k1;
    const double y1 = y + r1;
    const double q1 = 3.0 * r1 - kGill1 * k1;

    const double k2 = h * lagRate(y1, w);
    const double r2 = kGill2 * (k2 - q1);
    const double y2 = y1 + r2;
    const double q2 = q1 + 3.0 * r2 - kGill2 * k2;

    const double k3 = h * lagRate(y2, w);
    const double r3 = kGill3 * (k3 - q2);
    const double y3 = y2 + r3;
    const double q3 = q2 + 3.0 * r3 - kGill3 * k3;

    const double k4 = h * lagRate(y3, w);
    const double r4 = kGill4 * (k4 - 2.0 * q3);
    return y3 + r4;
}

void makeSlipNoise(const RandomTables& tables, double dt, std::uint32_t& rngState, int n,
                   double* out) {
    if (n <= 0) return;

    // Discard a number of draws set by the first one (1 to about 400) before the
    // sequence starts.
    const double z = randomNormal(tables, rngState);
    const double skip = std::fmin(std::floor(kSkipPerUnit * std::fabs(z)) + 1.0, kMaxSkip);
    for (double j = 0.0; j < skip; j += 1.0)
        randomNormal(tables, rngState);

    // The inputs w[0..n-1] are drawn in index order and the filter draws nothing
    // itself, so drawing each w just before its step takes the same values from the
    // stream as filling a buffer first, without the buffer. w[0] is drawn and unused.
    const double h = dt / kSubSteps;
    randomNormal(tables, rngState);
    double y = 0.0;
    out[0] = 0.0;
    for (int i = 1; i < n; ++i) {
        const double w = randomNormal(tables, rngState);
        y = slipFilterStep(y, w, h);
        out[i] = y;
    }

    double sum = 0.0;
    double sumSquares = 0.0;
    for (int i = 0; i < n; ++i) {
        sum += out[i];
        sumSquares += out[i] * out[i];
    }
    const double mean = sum / n;
    const double variance = sumSquares / n - mean * mean;
    // A constant filter output (for instance n = 1) has no spread to scale by; it is
    // only centred then, instead of being divided by zero.
    if (!(variance > 0.0)) {
        for (int i = 0; i < n; ++i)
            out[i] = out[i] - mean;
        return;
    }
    const double sd = std::sqrt(variance);
    for (int i = 0; i < n; ++i)
        out[i] = (out[i] - mean) / sd;
}

}  // namespace agv
