// Small dense linear systems x' = A·x + b, as the linear theory uses them: the
// characteristic polynomial of a square block and its roots, the steady state, and the
// transition over a time step (docs/theory.md, section 5).
#pragma once

#include <complex>
#include <vector>

namespace agv {

/// Largest order of a system.
inline constexpr int kMaxStates = 6;

/// A square matrix of order n ≤ kMaxStates, row-major.
struct SquareMatrix {
    int n = 0;
    double m[kMaxStates][kMaxStates] = {};
};

/// The n × n block of a starting at row and column `first`.
SquareMatrix diagonalBlock(const SquareMatrix& a, int first, int n);

/// Coefficients c[0..n] of det(sI − A) = c[n]·sⁿ + … + c[0], c[n] = 1 (Faddeev–LeVerrier).
std::vector<double> characteristicPolynomial(const SquareMatrix& a);

/// The roots of the polynomial c[0] + c[1]·s + … + c[n]·sⁿ (c[n] ≠ 0), by the
/// simultaneous Aberth–Ehrlich iteration. Roots closer than the accuracy that rounding of
/// the coefficients leaves (a multiple root splits into a small cluster) are replaced by
/// their centre, and imaginary parts within that accuracy are dropped.
std::vector<std::complex<double>> polynomialRoots(const std::vector<double>& c);

/// Solves a·x = rhs by Gaussian elimination with partial pivoting; false when a is
/// singular (rhs is then left unspecified).
bool solveLinear(SquareMatrix a, std::vector<double>& rhs);

/// x = (jω·I − a)⁻¹·b: the steady complex amplitude of x' = a·x + b·e^{jωt} (ω [rad/s]);
/// empty when jω is an eigenvalue of a.
std::vector<std::complex<double>> frequencyResponse(const SquareMatrix& a,
                                                    const std::vector<double>& b, double omega);

/// exp(a·t), by scaling and squaring of its Taylor series.
SquareMatrix matrixExponential(const SquareMatrix& a, double t);

}  // namespace agv
