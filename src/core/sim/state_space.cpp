#include "sim/state_space.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "path/curve_params.h"

namespace agv {

namespace {

using Complex = std::complex<double>;

/// Bound on the iterations of the root finder; a multiple root converges only linearly.
constexpr int kRootIterations = 30;
/// The iteration stops once no root moves by more than this, relative to its size.
constexpr double kRootStepTolerance = 1e-15;
/// Roots of one cluster (a multiple root that rounding split) lie this close, relative to
/// their size: a root of multiplicity three spreads by about 1e-5 of itself.
constexpr double kClusterTolerance = 1e-4;
/// Angle of the first starting point of the iteration [rad]; off the real axis so that
/// complex roots are reached.
constexpr double kStartAngle = 0.4;
/// Terms of the Taylor series of the exponential of a matrix of norm at most kTaylorNorm.
constexpr int kTaylorTerms = 14;
constexpr double kTaylorNorm = 0.5;

SquareMatrix identity(int n) {
    SquareMatrix r;
    r.n = n;
    for (int i = 0; i < n; ++i)
        r.m[i][i] = 1.0;
    return r;
}

SquareMatrix product(const SquareMatrix& a, const SquareMatrix& b) {
    SquareMatrix r;
    r.n = a.n;
    for (int i = 0; i < a.n; ++i) {
        for (int j = 0; j < a.n; ++j) {
            double sum = 0.0;
            for (int k = 0; k < a.n; ++k)
                sum = sum + a.m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    }
    return r;
}

/// a / b through the conjugate: the library's complex division guards against overflow at
/// a cost the iteration, whose numbers stay moderate, need not pay.
Complex divided(Complex a, Complex b) {
    return a * std::conj(b) / std::norm(b);
}

/// The polynomial c (monic) and its derivative at z, by Horner's scheme.
void evaluate(const std::vector<double>& c, Complex z, Complex& p, Complex& dp) {
    p = c.back();
    dp = 0.0;
    for (size_t i = c.size() - 1; i-- > 0;) {
        dp = dp * z + p;
        p = p * z + c[i];
    }
}

/// Replaces the members of each cluster of roots by the cluster's centre, which rounding
/// disturbs far less than its members, and drops imaginary parts below the same accuracy.
void mergeClusters(std::vector<Complex>& roots) {
    const size_t n = roots.size();
    std::vector<size_t> group(n);
    std::iota(group.begin(), group.end(), 0);
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = i + 1; j < n; ++j) {
            const double size = std::max(std::abs(roots[i]), std::abs(roots[j]));
            if (std::abs(roots[i] - roots[j]) <= kClusterTolerance * size) {
                const size_t from = group[j];
                for (size_t& g : group)
                    if (g == from) g = group[i];
            }
        }
    }
    std::vector<Complex> merged(n);
    for (size_t i = 0; i < n; ++i) {
        Complex sum = 0.0;
        int count = 0;
        for (size_t j = 0; j < n; ++j) {
            if (group[j] == group[i]) sum += roots[j], ++count;
        }
        merged[i] = sum / static_cast<double>(count);
        if (std::fabs(merged[i].imag()) <= kClusterTolerance * std::abs(merged[i]))
            merged[i] = merged[i].real();
    }
    // A real polynomial has its complex roots in conjugate pairs: make them exact pairs.
    std::vector<bool> paired(n, false);
    for (size_t i = 0; i < n; ++i) {
        if (paired[i] || merged[i].imag() <= 0.0) continue;
        size_t partner = i;
        for (size_t j = 0; j < n; ++j) {
            if (paired[j] || merged[j].imag() >= 0.0) continue;
            if (partner == i || std::abs(merged[j] - std::conj(merged[i])) <
                                    std::abs(merged[partner] - std::conj(merged[i])))
                partner = j;
        }
        if (partner == i) continue;
        const Complex mean = (merged[i] + std::conj(merged[partner])) / 2.0;
        merged[i] = mean;
        merged[partner] = std::conj(mean);
        paired[i] = paired[partner] = true;
    }
    roots = merged;
}

}  // namespace

SquareMatrix diagonalBlock(const SquareMatrix& a, int first, int n) {
    SquareMatrix r;
    r.n = n;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            r.m[i][j] = a.m[first + i][first + j];
    return r;
}

std::vector<double> characteristicPolynomial(const SquareMatrix& a) {
    // M_0 = 0, c_n = 1; M_k = A·M_{k-1} + c_{n-k+1}·I, c_{n-k} = −tr(A·M_k)/k.
    const int n = a.n;
    std::vector<double> c(static_cast<size_t>(n) + 1, 0.0);
    c[static_cast<size_t>(n)] = 1.0;
    SquareMatrix M;
    M.n = n;
    for (int k = 1; k <= n; ++k) {
        SquareMatrix next = product(a, M);
        for (int i = 0; i < n; ++i)
            next.m[i][i] = next.m[i][i] + c[static_cast<size_t>(n - k + 1)];
        M = next;
        const SquareMatrix AM = product(a, M);
        double trace = 0.0;
        for (int i = 0; i < n; ++i)
            trace = trace + AM.m[i][i];
        c[static_cast<size_t>(n - k)] = -trace / k;
    }
    return c;
}

std::vector<Complex> polynomialRoots(const std::vector<double>& coefficients) {
    const int n = static_cast<int>(coefficients.size()) - 1;
    if (n < 1) return {};
    std::vector<double> c(coefficients);
    for (double& v : c)
        v = v / coefficients.back();
    // Every root lies within twice the largest |c[n-k]|^(1/k) (Fujiwara's bound).
    double radius = 0.0;
    for (int k = 1; k <= n; ++k)
        radius = std::max(radius, std::pow(std::fabs(c[static_cast<size_t>(n - k)]), 1.0 / k));
    radius = 2.0 * radius;
    std::vector<Complex> z(static_cast<size_t>(n));
    if (!(radius > 0.0) || !std::isfinite(radius)) {
        if (radius == 0.0) return z;  // sⁿ: all roots at 0
        std::fill(z.begin(), z.end(), Complex(radius, 0.0));
        return z;
    }
    for (int k = 0; k < n; ++k)
        z[static_cast<size_t>(k)] = std::polar(radius, kTwoPi * k / n + kStartAngle);

    for (int iteration = 0; iteration < kRootIterations; ++iteration) {
        double largestStep = 0.0;
        for (size_t k = 0; k < z.size(); ++k) {
            Complex p, dp;
            evaluate(c, z[k], p, dp);
            if (p == 0.0) continue;
            Complex repulsion = 0.0;
            for (size_t j = 0; j < z.size(); ++j) {
                if (j != k) repulsion += divided(1.0, z[k] - z[j]);
            }
            const Complex newton = divided(p, dp);
            const Complex step =
                dp == 0.0 ? divided(1.0, repulsion) : divided(newton, 1.0 - newton * repulsion);
            if (!std::isfinite(step.real()) || !std::isfinite(step.imag())) continue;
            z[k] -= step;
            // Squared sizes: no square roots in the loop.
            largestStep = std::max(largestStep, std::norm(step) / std::max(1.0, std::norm(z[k])));
        }
        if (largestStep <= kRootStepTolerance * kRootStepTolerance) break;
    }
    mergeClusters(z);
    return z;
}

bool solveLinear(SquareMatrix a, std::vector<double>& rhs) {
    const int n = a.n;
    for (int col = 0; col < n; ++col) {
        int pivot = col;
        for (int r = col + 1; r < n; ++r)
            if (std::fabs(a.m[r][col]) > std::fabs(a.m[pivot][col])) pivot = r;
        if (a.m[pivot][col] == 0.0) return false;
        std::swap(a.m[pivot], a.m[col]);
        std::swap(rhs[static_cast<size_t>(pivot)], rhs[static_cast<size_t>(col)]);
        for (int r = col + 1; r < n; ++r) {
            const double f = a.m[r][col] / a.m[col][col];
            for (int j = col; j < n; ++j)
                a.m[r][j] = a.m[r][j] - f * a.m[col][j];
            rhs[static_cast<size_t>(r)] =
                rhs[static_cast<size_t>(r)] - f * rhs[static_cast<size_t>(col)];
        }
    }
    for (int r = n - 1; r >= 0; --r) {
        double sum = rhs[static_cast<size_t>(r)];
        for (int j = r + 1; j < n; ++j)
            sum = sum - a.m[r][j] * rhs[static_cast<size_t>(j)];
        rhs[static_cast<size_t>(r)] = sum / a.m[r][r];
    }
    return true;
}

std::vector<std::complex<double>> frequencyResponse(const SquareMatrix& a,
                                                    const std::vector<double>& b, double omega) {
    using C = std::complex<double>;
    const int n = a.n;
    std::vector<std::vector<C>> m(static_cast<size_t>(n), std::vector<C>(static_cast<size_t>(n)));
    std::vector<C> x(b.begin(), b.end());
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j)
            m[static_cast<size_t>(i)][static_cast<size_t>(j)] = -a.m[i][j];
        m[static_cast<size_t>(i)][static_cast<size_t>(i)] += C(0.0, omega);
    }
    // Gaussian elimination with partial pivoting, as solveLinear.
    for (size_t col = 0; col < static_cast<size_t>(n); ++col) {
        size_t pivot = col;
        for (size_t r = col + 1; r < static_cast<size_t>(n); ++r)
            if (std::abs(m[r][col]) > std::abs(m[pivot][col])) pivot = r;
        if (m[pivot][col] == 0.0) return {};
        std::swap(m[pivot], m[col]);
        std::swap(x[pivot], x[col]);
        for (size_t r = col + 1; r < static_cast<size_t>(n); ++r) {
            const C f = m[r][col] / m[col][col];
            for (size_t j = col; j < static_cast<size_t>(n); ++j)
                m[r][j] = m[r][j] - f * m[col][j];
            x[r] = x[r] - f * x[col];
        }
    }
    for (size_t r = static_cast<size_t>(n); r-- > 0;) {
        C sum = x[r];
        for (size_t j = r + 1; j < static_cast<size_t>(n); ++j)
            sum = sum - m[r][j] * x[j];
        x[r] = sum / m[r][r];
    }
    return x;
}

SquareMatrix matrixExponential(const SquareMatrix& a, double t) {
    const int n = a.n;
    SquareMatrix scaled = a;
    double norm = 0.0;  // largest absolute column sum of a·t
    for (int j = 0; j < n; ++j) {
        double column = 0.0;
        for (int i = 0; i < n; ++i)
            column = column + std::fabs(a.m[i][j] * t);
        norm = std::max(norm, column);
    }
    if (!std::isfinite(norm)) {
        SquareMatrix undefined;
        undefined.n = n;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                undefined.m[i][j] = std::numeric_limits<double>::quiet_NaN();
        return undefined;
    }
    int squarings = 0;
    if (norm > kTaylorNorm) squarings = static_cast<int>(std::ceil(std::log2(norm / kTaylorNorm)));
    const double factor = t / std::ldexp(1.0, squarings);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            scaled.m[i][j] = a.m[i][j] * factor;
    SquareMatrix result = identity(n);
    SquareMatrix term = identity(n);
    for (int k = 1; k <= kTaylorTerms; ++k) {
        term = product(term, scaled);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                term.m[i][j] = term.m[i][j] / k;
                result.m[i][j] = result.m[i][j] + term.m[i][j];
            }
        }
    }
    for (int k = 0; k < squarings; ++k)
        result = product(result, result);
    return result;
}

}  // namespace agv
