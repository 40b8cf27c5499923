// The linear theory of the laws other than fn/ζ on a straight path: each law's lateral
// error dynamics, their poles and the steady offset after a constant mechanism error
// (docs/controllers.md §5). The fn/ζ law's theory is sim/linear_theory.h.
#pragma once

#include <complex>
#include <vector>

#include "sim/model.h"

namespace agv {

/// The lateral theory of one law on one mechanism.
struct LawTheory {
    /// Number of lateral states: 2 for pure pursuit and Stanley on type 1, else 3.
    int order = 0;
    /// Closed-loop lateral poles, largest real part first [1/s]; for LQR the eigenvalues of
    /// A − B·K.
    std::vector<std::complex<double>> poles;
    /// Steady offset d [m] and heading error [rad] after the run's constant errors; defined
    /// on a straight path with a stable loop and without the random slip.
    bool steadyDefined = false;
    double steadyDd = 0.0, steadyDth = 0.0;

    bool stable() const { return !poles.empty() && poles.front().real() < 0.0; }
};

/// The theory of settings.controller (not the fn/ζ law) on vehicleType, from the settings'
/// errors; the LQR law with the gains given.
LawTheory lawTheory(const SimulationSettings& settings, const LqrGains& lqr, int vehicleType);
inline LawTheory lawTheory(const Model& model, int vehicleType) {
    return lawTheory(model.settings, model.lqr, vehicleType);
}

struct TypeTheory;

/// The law's loop with the fn/ζ speed law along the path: the largest real part of its lateral
/// and along-path poles [1/s] and the largest |R(step·λ)| of them at the integration sub-step
/// [ratio] (docs/theory.md, section 7), the fn/ζ theory's verdict figures for this law.
struct LawLoop {
    double maxPoleReal = 0.0;
    double maxStepGrowth = 0.0;
};
LawLoop lawLoop(const LawTheory& law, const TypeTheory& speedLaw);

/// The predicted d [m] at the times t[i], i < n, from rest at t = 0 (on a straight path).
void predictLawOffsets(const SimulationSettings& settings, const LqrGains& lqr, int vehicleType,
                       const double* t, int n, double* dd);

}  // namespace agv
