// Writes the five random conversion tables normal01.data ... normal45.data.
//
// Each table maps a magnitude a of a centred uniform number to Φ⁻¹(0.5 + a), the
// standard normal quantile, so that the sign-restored conversion of a uniform number
// u in [-0.5, 0.5] is normally distributed. Table k serves a from k/10 to (k+1)/10.
//
// File format: N (index of the last row), then N + 1 pairs "value key", keys strictly
// increasing from the band's lower limit to its upper limit.
//
// Row placement: linear interpolation between rows errs by about Δ²·|f''|/8 over a
// segment of width Δ, so the keys are spread with a density proportional to
// sqrt(|f''| + 1) (f(a) = Φ⁻¹(0.5 + a)). This packs the rows towards 0.5, where the
// quantile curves steeply, and keeps them nearly even near 0, where it is almost a line.
// Keys are rounded to seven decimals so the files stay readable.
//
// End of the last table: Φ⁻¹(1) is infinite. The uniform numbers come from a 15-bit
// generator, so the largest magnitude drawn is exactly 0.5 (r = 0), and the next one is
// 0.5 - 1/32768. The last table therefore has a row at 0.5 - 1/32768 with its exact
// quantile, and its final row at 0.5 holds Φ⁻¹(1 - 1/65536) ≈ 3.961: the quantile at
// the middle of the probability cell 1/32768 wide that r = 0 stands for. That keeps
// the value finite and consistent with the spacing of the draws.
//
// The inverse normal CDF is Acklam's rational approximation (relative error about
// 1e-9), polished by Halley steps on the exact CDF written with std::erfc.
//
// Usage: agv_make_random_tables [output directory]   (default: the working directory)

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

/// Rows per table (N = 49).
constexpr int kRows = 50;
constexpr int kTables = 5;
/// Width of one band of magnitudes.
constexpr double kBandWidth = 0.1;
/// Largest magnitude below 0.5 that the 15-bit generator produces, 0.5 - 2^-15.
constexpr double kLastDrawnMagnitude = 0.5 - 1.0 / 32768.0;
/// Tail probability whose quantile stands for the extreme draw, 2^-16.
constexpr double kExtremeTail = 1.0 / 65536.0;
/// Keys are whole multiples of 1 / kKeyScale (seven decimals).
constexpr double kKeyScale = 1e7;
/// Points of the grid on which the row density is integrated.
constexpr int kDensityGrid = 200000;
/// Floor added to |f''| so rows stay spread where the quantile is nearly straight.
constexpr double kCurvatureFloor = 1.0;
/// Samples per segment used to measure the interpolation error.
constexpr int kErrorSamples = 64;

const char* const kFileNames[kTables] = {"normal01.data", "normal12.data", "normal23.data",
                                         "normal34.data", "normal45.data"};

constexpr double kSqrt2 = 1.41421356237309504880;
constexpr double kSqrt2Pi = 2.50662827463100050242;

/// Lower tail of the standard normal distribution, Φ(x).
double normalCdf(double x) {
    return 0.5 * std::erfc(-x / kSqrt2);
}

/// Standard normal density φ(x).
double normalPdf(double x) {
    return std::exp(-0.5 * x * x) / kSqrt2Pi;
}

/// Acklam's rational approximation of Φ⁻¹(p) for 0 < p <= 0.5.
double acklamLower(double p) {
    static const double a[6] = {-3.969683028665376e+01, 2.209460984245205e+02,
                                -2.759285104469687e+02, 1.383577518672690e+02,
                                -3.066479806614716e+01, 2.506628277459239e+00};
    static const double b[5] = {-5.447609879822406e+01, 1.615858368580409e+02,
                                -1.556989798598866e+02, 6.680131188771972e+01,
                                -1.328068155288572e+01};
    static const double c[6] = {-7.784894002430293e-03, -3.223964580411365e-01,
                                -2.400758277161838e+00, -2.549732539343734e+00,
                                4.374664141464968e+00,  2.938163982698783e+00};
    static const double d[4] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00,
                                3.754408661907416e+00};
    /// Boundary between the tail and the central formula.
    const double pLow = 0.02425;
    if (p < pLow) {
        const double q = std::sqrt(-2.0 * std::log(p));
        return (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
               ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
    }
    const double q = p - 0.5;
    const double r = q * q;
    return (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
           (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1.0);
}

/// Φ⁻¹(p) for 0 < p <= 0.5, to full double precision.
double normalQuantileLower(double p) {
    if (p == 0.5) return 0.0;
    double x = acklamLower(p);
    // Halley steps; the error term is taken against the lower tail itself, which
    // erfc gives with full relative accuracy even far out.
    for (int iteration = 0; iteration < 4; ++iteration) {
        const double e = normalCdf(x) - p;
        const double u = e / normalPdf(x);
        const double next = x - u / (1.0 + 0.5 * x * u);
        if (next == x) break;
        x = next;
    }
    return x;
}

/// f(a) = Φ⁻¹(0.5 + a) for 0 <= a < 0.5, by symmetry from the lower tail 0.5 - a.
double tableValue(double a) {
    if (a == 0.0) return 0.0;  // not -0
    return -normalQuantileLower(0.5 - a);
}

/// |f''(a)| = |x| / φ(x)² with x = f(a).
double curvature(double a) {
    const double x = tableValue(a);
    const double density = normalPdf(x);
    return std::fabs(x) / (density * density);
}

double roundKey(double a) {
    return std::round(a * kKeyScale) / kKeyScale;
}

/// Keys from lo to hi (both included), `count` of them, spread by the row density.
std::vector<double> placeKeys(double lo, double hi, int count) {
    std::vector<double> cumulative(kDensityGrid + 1, 0.0);
    const double step = (hi - lo) / kDensityGrid;
    double previous = std::sqrt(curvature(lo) + kCurvatureFloor);
    for (int j = 1; j <= kDensityGrid; ++j) {
        const double current = std::sqrt(curvature(lo + j * step) + kCurvatureFloor);
        cumulative[j] = cumulative[j - 1] + 0.5 * (previous + current) * step;
        previous = current;
    }
    std::vector<double> keys(count);
    keys.front() = lo;
    keys.back() = hi;
    int j = 0;
    for (int i = 1; i + 1 < count; ++i) {
        const double target = cumulative[kDensityGrid] * i / (count - 1);
        while (cumulative[j + 1] < target)
            ++j;
        const double fraction = (target - cumulative[j]) / (cumulative[j + 1] - cumulative[j]);
        keys[i] = roundKey(lo + (j + fraction) * step);
    }
    return keys;
}

struct Row {
    double value;
    double key;
};

std::vector<Row> makeTable(int band) {
    const double lo = band / 10.0;
    const double hi = (band + 1) / 10.0;
    std::vector<Row> rows;
    if (band + 1 < kTables) {
        for (double key : placeKeys(lo, hi, kRows))
            rows.push_back({tableValue(key), key});
    } else {
        // Spread all rows but one up to the last drawn magnitude, then the finite end row.
        for (double key : placeKeys(lo, kLastDrawnMagnitude, kRows - 1)) {
            rows.push_back({tableValue(key), key});
        }
        rows.push_back({-normalQuantileLower(kExtremeTail), hi});
    }
    return rows;
}

/// Largest deviation of the interpolated table from the quantile inside [lo, hi].
double interpolationError(const std::vector<Row>& rows, double hi) {
    double worst = 0.0;
    for (size_t i = 0; i + 1 < rows.size(); ++i) {
        if (rows[i + 1].key > hi) break;
        for (int s = 1; s < kErrorSamples; ++s) {
            const double t = static_cast<double>(s) / kErrorSamples;
            const double a = rows[i].key + t * (rows[i + 1].key - rows[i].key);
            const double v = rows[i].value + t * (rows[i + 1].value - rows[i].value);
            worst = std::fmax(worst, std::fabs(v - tableValue(a)));
        }
    }
    return worst;
}

bool writeTable(const std::string& path, const std::vector<Row>& rows) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    std::fprintf(file, "%d\n", static_cast<int>(rows.size()) - 1);
    for (const Row& row : rows)
        std::fprintf(file, "%.17g %.15g\n", row.value, row.key);
    const bool ok = std::fclose(file) == 0;
    if (!ok) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string directory = argc > 1 ? argv[1] : ".";
    for (int band = 0; band < kTables; ++band) {
        const std::vector<Row> rows = makeTable(band);
        for (size_t i = 1; i < rows.size(); ++i) {
            if (!(rows[i].key > rows[i - 1].key)) {
                std::fprintf(stderr, "%s: keys collide at row %zu\n", kFileNames[band], i);
                return EXIT_FAILURE;
            }
        }
        const std::string path = directory + "/" + kFileNames[band];
        if (!writeTable(path, rows)) return EXIT_FAILURE;
        const double checkedEnd = band + 1 < kTables ? 1.0 : kLastDrawnMagnitude;
        std::printf("%s: %zu rows, max interpolation error %.3g\n", path.c_str(), rows.size(),
                    interpolationError(rows, checkedEnd));
    }
    return EXIT_SUCCESS;
}
