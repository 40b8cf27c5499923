// The continuous algebraic Riccati equation of a single-input linear system, solved by the
// Schur method on its Hamiltonian matrix (docs/controllers.md §4).
#pragma once

namespace agv {

/// Largest number of states solveCare takes.
inline constexpr int kCareMaxStates = 4;

/// Solves Aᵀ·P + P·A − P·B·R⁻¹·Bᵀ·P + Q = 0 for the stabilising P (A − B·R⁻¹·Bᵀ·P stable).
/// A, Q and P are n×n row by row, B has n rows and one column, R > 0; n ≤ kCareMaxStates.
/// Returns false when there is no stabilising solution (an eigenvalue of the Hamiltonian on
/// the imaginary axis, a pair (A, B) that cannot be stabilised or (A, Q) that hides an
/// unstable mode), P then unspecified.
bool solveCare(int n, const double* A, const double* B, const double* Q, double R, double* P);

}  // namespace agv
