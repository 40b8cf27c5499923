// The gains of the LQR law: the linear lateral error model on a straight path and the
// weights' Riccati equation (docs/controllers.md §4).
#pragma once

#include "sim/controller.h"

namespace agv {

struct SimulationSettings;

/// x' = A·x + B·v of the lateral errors on a straight path, v the rate the correction sets
/// (v = −u): type 1 x = (d, θ̃, ∫d dt), v = θ̃'; types 2 and 3 x = (d, θ̃, q), v = q'.
struct LateralPlant {
    double A[9];
    double B[3];
};

/// The model of vehicleType at speed V [m/s] with the distance T [m] from the rear axle to
/// the front wheel.
LateralPlant lqrPlant(int vehicleType, double V, double T);

/// The gains u = K·x that minimise ∫(xᵀ·Q·x + R·u²) dt with Q = diag(Qd, Qθ, Qq), R from
/// s.controllerParams, on the nominal vehicle. False when the Riccati equation has no
/// stabilising solution; gains then unspecified.
bool designLqrGains(const SimulationSettings& s, LqrGains& gains);

}  // namespace agv
