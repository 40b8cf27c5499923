#include "sim/riccati.h"

#include <cmath>
#include <complex>

#include <Eigen/Dense>

namespace agv {

namespace {

using ComplexMatrix = Eigen::MatrixXcd;

/// A real part that counts as being on the imaginary axis, relative to the Hamiltonian's size.
constexpr double kAxisTolerance = 1e-10;
/// Smallest reciprocal condition of U1 that still gives a solution worth its digits.
constexpr double kLeastConditionOfU1 = 1e-12;

/// Exchanges the adjacent diagonal entries k and k + 1 of the upper triangular T = Z*·H·Z by a
/// unitary rotation, keeping T triangular and Z*·H·Z = T.
void swapDiagonal(ComplexMatrix& T, ComplexMatrix& Z, int k) {
    const std::complex<double> a = T(k, k);
    const std::complex<double> b = T(k, k + 1);
    const std::complex<double> c = T(k + 1, k + 1);
    // The eigenvector of [[a, b], [0, c]] for c becomes the first column of the rotation.
    std::complex<double> v1 = b;
    std::complex<double> v2 = c - a;
    const double norm = std::sqrt(std::norm(v1) + std::norm(v2));
    if (norm == 0.0) return;
    v1 /= norm;
    v2 /= norm;
    Eigen::Matrix2cd G;
    G << v1, -std::conj(v2), v2, std::conj(v1);
    T.middleRows(k, 2) = G.adjoint() * T.middleRows(k, 2);
    T.middleCols(k, 2) = T.middleCols(k, 2) * G;
    Z.middleCols(k, 2) = Z.middleCols(k, 2) * G;
    T(k + 1, k) = 0.0;
}

}  // namespace

bool solveCare(int n, const double* A, const double* B, const double* Q, double R, double* P) {
    if (n < 1 || n > kCareMaxStates || !(R > 0.0)) return false;
    // H = [[A, −B·R⁻¹·Bᵀ], [−Q, −Aᵀ]]; its stable invariant subspace is spanned by [I; P].
    Eigen::MatrixXd H(2 * n, 2 * n);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            H(i, j) = A[i * n + j];
            H(i, n + j) = -B[i] * B[j] / R;
            H(n + i, j) = -Q[i * n + j];
            H(n + i, n + j) = -A[j * n + i];
        }
    }
    Eigen::ComplexSchur<ComplexMatrix> schur(H.cast<std::complex<double>>());
    if (schur.info() != Eigen::Success) return false;
    ComplexMatrix T = schur.matrixT();
    ComplexMatrix Z = schur.matrixU();

    const double scale = std::max(1.0, H.cwiseAbs().maxCoeff());
    int stable = 0;
    for (int k = 0; k < 2 * n; ++k) {
        const double re = T(k, k).real();
        if (std::fabs(re) <= kAxisTolerance * scale) return false;
        if (re < 0.0) ++stable;
    }
    if (stable != n) return false;
    // Bubble the stable eigenvalues to the top: at most 2n passes of adjacent exchanges.
    for (int pass = 0; pass < 2 * n; ++pass) {
        for (int k = 0; k + 1 < 2 * n; ++k) {
            if (T(k, k).real() > 0.0 && T(k + 1, k + 1).real() < 0.0) swapDiagonal(T, Z, k);
        }
    }
    for (int k = 0; k < n; ++k) {
        if (!(T(k, k).real() < 0.0)) return false;
    }

    const ComplexMatrix U1 = Z.topLeftCorner(n, n);
    const ComplexMatrix U2 = Z.bottomLeftCorner(n, n);
    const Eigen::FullPivLU<ComplexMatrix> lu(U1);
    if (lu.rcond() < kLeastConditionOfU1) return false;
    // P·U1 = U2, P = U2·U1⁻¹; real and symmetric up to rounding.
    const ComplexMatrix X = lu.solve(ComplexMatrix::Identity(n, n));
    const Eigen::MatrixXd PX = (U2 * X).real();
    Eigen::MatrixXd Pm(n, n);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            Pm(i, j) = (PX(i, j) + PX(j, i)) / 2.0;
            if (!std::isfinite(Pm(i, j))) return false;
            P[i * n + j] = Pm(i, j);
        }
    }
    // A subspace that is no graph [I; P] (an unstable mode the input cannot reach) slips past
    // a rounded U1: the closed loop must be stable.
    Eigen::MatrixXd closed = H.topLeftCorner(n, n) + H.topRightCorner(n, n) * Pm;
    const Eigen::VectorXcd poles = closed.eigenvalues();
    for (int i = 0; i < n; ++i) {
        if (!(poles(i).real() < 0.0)) return false;
    }
    return true;
}

}  // namespace agv
