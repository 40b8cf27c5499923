#include "sim/controller_theory.h"

#include <algorithm>
#include <cmath>

#include <Eigen/Dense>
#include <unsupported/Eigen/MatrixFunctions>

#include "sim/linear_theory.h"

namespace agv {

namespace {

/// A steady value this small against the errors' forcing [s, s²] is rounding's.
constexpr double kRoundingResidue = 1e-12;

/// x' = A·x + b of one law's lateral errors on a straight path (docs/controllers.md §5).
struct LawDynamics {
    Eigen::MatrixXd A;
    Eigen::VectorXd b;
};

LawDynamics lawDynamics(const SimulationSettings& s, const LqrGains& lqr, int vehicleType) {
    const double V = s.Vw;
    const double T = s.tread;
    const ControllerParams& c = s.controllerParams;
    // The errors' forcing of θ̃' on a straight path, as the fn/ζ theory has it: the drift
    // through the steering (types 2, 3), the wheels' turn (type 1).
    const double forcing = errorDynamics(s, FeedbackGains{}, vehicleType, 0.0).b[1];
    // The steering's gain on θ̃' (types 2, 3), V/T_a.
    const double G = s.treadActual == 0.0 ? 0.0 : V / s.treadActual;
    const double Ld = c.lookahead;
    const double k = c.stanleyGain;
    // Pure pursuit: κ ≈ −2d/Ld² − 2θ̃/Ld. Stanley: δ ≈ −θ̃ − (k/V)(d + T·θ̃).
    const double ppD = -2.0 / (Ld * Ld);
    const double ppTh = -2.0 / Ld;
    const double stD = -k / V;
    const double stTh = -1.0 - k * T / V;

    LawDynamics m;
    const bool twoStates = vehicleType == k2DW1C && s.controller != ControllerKind::kLqr;
    const int n = twoStates ? 2 : 3;
    m.A = Eigen::MatrixXd::Zero(n, n);
    m.b = Eigen::VectorXd::Zero(n);
    m.A(0, 1) = V;  // d' = V·θ̃
    m.b(1) = forcing;
    if (vehicleType == k2DW1C) {
        // θ̃' = ω_law + Δω.
        switch (s.controller) {
            case ControllerKind::kPurePursuit:
                m.A(1, 0) = V * ppD;
                m.A(1, 1) = V * ppTh;
                break;
            case ControllerKind::kStanley:
                m.A(1, 0) = V / T * stD;
                m.A(1, 1) = V / T * stTh;
                break;
            default:  // LQR on (d, θ̃, ∫d)
                m.A(1, 0) = -lqr.K1[0];
                m.A(1, 1) = -lqr.K1[1];
                m.A(1, 2) = -lqr.K1[2];
                m.A(2, 0) = 1.0;
                break;
        }
        return m;
    }
    // θ̃' = G·(φ + δ); the steering follows the servo or the LQR rate.
    m.A(1, 2) = G;
    switch (s.controller) {
        case ControllerKind::kPurePursuit:
            m.A(2, 0) = kSteerServoGain * T * ppD;
            m.A(2, 1) = kSteerServoGain * T * ppTh;
            m.A(2, 2) = -kSteerServoGain;
            break;
        case ControllerKind::kStanley:
            m.A(2, 0) = kSteerServoGain * stD;
            m.A(2, 1) = kSteerServoGain * stTh;
            m.A(2, 2) = -kSteerServoGain;
            break;
        default:
            m.A(2, 0) = -lqr.K23[0];
            m.A(2, 1) = -lqr.K23[1];
            m.A(2, 2) = -lqr.K23[2];
            break;
    }
    return m;
}

}  // namespace

LawTheory lawTheory(const SimulationSettings& s, const LqrGains& lqr, int vehicleType) {
    LawTheory theory;
    const LawDynamics m = lawDynamics(s, lqr, vehicleType);
    theory.order = static_cast<int>(m.A.rows());
    const Eigen::VectorXcd eig = m.A.eigenvalues();
    for (int i = 0; i < eig.size(); ++i)
        theory.poles.push_back(eig(i));
    std::sort(theory.poles.begin(), theory.poles.end(),
              [](const std::complex<double>& a, const std::complex<double>& b) {
                  return a.real() != b.real() ? a.real() > b.real() : a.imag() > b.imag();
              });
    const bool straight = pathCurvature(s).shape == PathShape::kStraight;
    const bool slip = hasError(s.errorsGiven, MechanismError::kSlip);
    if (straight && !slip && theory.stable()) {
        // x' = 0: A·x = −b.
        const Eigen::VectorXd x = m.A.fullPivLu().solve(-m.b);
        theory.steadyDefined = true;
        // What rounding leaves of an offset the loop removes is no offset.
        const double scale = m.b.cwiseAbs().maxCoeff();
        theory.steadyDd = std::fabs(x(0)) <= kRoundingResidue * scale ? 0.0 : x(0);
        theory.steadyDth = std::fabs(x(1)) <= kRoundingResidue * scale ? 0.0 : x(1);
    }
    return theory;
}

LawLoop lawLoop(const LawTheory& law, const TypeTheory& speedLaw) {
    LawLoop loop;
    loop.maxPoleReal = law.poles.front().real();
    for (const Pole& p : speedLaw.alongPathPoles)
        loop.maxPoleReal = std::max(loop.maxPoleReal, p.real());
    for (const std::complex<double>& p : law.poles)
        loop.maxStepGrowth = std::max(loop.maxStepGrowth, stepGrowth(p, speedLaw.step));
    for (const Pole& p : speedLaw.alongPathPoles)
        loop.maxStepGrowth = std::max(loop.maxStepGrowth, stepGrowth(p, speedLaw.step));
    return loop;
}

void predictLawOffsets(const SimulationSettings& s, const LqrGains& lqr, int vehicleType,
                       const double* t, int n, double* dd) {
    const LawDynamics m = lawDynamics(s, lqr, vehicleType);
    const int order = static_cast<int>(m.A.rows());
    // x(t) from the exponential of [[A, b], [0, 0]]·t applied to (0, 1).
    Eigen::MatrixXd M = Eigen::MatrixXd::Zero(order + 1, order + 1);
    M.topLeftCorner(order, order) = m.A;
    M.topRightCorner(order, 1) = m.b;
    for (int i = 0; i < n; ++i) {
        const Eigen::MatrixXd E = (M * t[i]).exp();
        dd[i] = E(0, order);
    }
}

}  // namespace agv
