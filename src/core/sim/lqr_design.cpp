#include "sim/lqr_design.h"

#include "sim/model.h"
#include "sim/riccati.h"

namespace agv {

namespace {

constexpr int kLateralStates = 3;

/// K = R⁻¹·Bᵀ·P of one mechanism.
bool gainsOf(const LateralPlant& plant, const ControllerParams& c, double K[3]) {
    const double Q[9] = {c.lqrOffset, 0.0, 0.0, 0.0, c.lqrHeading, 0.0, 0.0, 0.0, c.lqrThird};
    double P[9];
    if (!solveCare(kLateralStates, plant.A, plant.B, Q, c.lqrInput, P)) return false;
    for (int j = 0; j < kLateralStates; ++j) {
        double sum = 0.0;
        for (int i = 0; i < kLateralStates; ++i)
            sum += plant.B[i] * P[i * kLateralStates + j];
        K[j] = sum / c.lqrInput;
    }
    return true;
}

}  // namespace

LateralPlant lqrPlant(int vehicleType, double V, double T) {
    LateralPlant plant{};
    plant.A[0 * 3 + 1] = V;  // d' = V·θ̃
    if (vehicleType == k2DW1C) {
        plant.A[2 * 3 + 0] = 1.0;  // (∫d)' = d
        plant.B[1] = 1.0;          // θ̃' = −u_ω
    } else {
        plant.A[1 * 3 + 2] = V / T;  // θ̃' = (V/T)·q
        plant.B[2] = 1.0;            // q' = −u_φ
    }
    return plant;
}

bool designLqrGains(const SimulationSettings& s, LqrGains& gains) {
    const ControllerParams& c = s.controllerParams;
    return gainsOf(lqrPlant(k2DW1C, s.Vw, s.tread), c, gains.K1) &&
           gainsOf(lqrPlant(k1RDW1FS, s.Vw, s.tread), c, gains.K23);
}

}  // namespace agv
