// The linear theory of the vehicle with feedback: the error dynamics of each mechanism
// linearised about the path, their poles from the designed gains, the lateral offset
// predicted after a constant mechanism error and its steady value. docs/theory.md derives
// every formula in these symbols.
#pragma once

#include <array>
#include <complex>
#include <vector>

#include "sim/model.h"
#include "sim/state_space.h"

namespace agv {

/// Order of the linearised error dynamics: x = (dd, dth, q, ds, ∫ds), with q the steering
/// angle error φ − φ_ref (types 2 and 3) or the integral J = Kd1·∫dd + Kth1·∫dth (type 1).
inline constexpr int kErrorStates = 5;
/// The first three states form the lateral loop, the last two the along-path loop.
inline constexpr int kLateralStates = 3;
inline constexpr int kAlongPathStates = 2;
/// Band of the settling time, relative to the steady value (or the peak when that is 0).
inline constexpr double kSettlingBand = 0.02;

/// Real-axis reach of the fourth-order Runge-Kutta stability region: |R(z)| ≤ 1 for
/// −kRk4RealReach ≤ z ≤ 0 (docs/theory.md, section 7).
inline constexpr double kRk4RealReach = 2.785293563405282;

/// Whether the path has one curvature along its whole length.
enum class PathShape { kStraight, kCircle, kVarying };

struct PathCurvature {
    PathShape shape = PathShape::kVarying;
    /// Curvature of the linearisation [1/m]: the path's on a straight path or a circle, 0
    /// (the gain design's own assumption) on any other curve.
    double kappa = 0.0;
    /// Of a path whose curvature repeats (a cosine or a wavy circle with waves): its period
    /// along the path λ [m], 0 on any other path; its mean curvature κ̄ [1/m] and the
    /// complex amplitude κ1 [1/m] of its first harmonic, κ(ℓ) ≈ κ̄ + Re(κ1·e^{j2πℓ/λ})
    /// (docs/theory.md, section 6). runTheory fills them (addPeriodicCurvature).
    double period = 0.0;
    double meanKappa = 0.0;
    std::complex<double> firstHarmonic{};
};

/// The shape of the current path, from its curve number and constants.
PathCurvature pathCurvature(const SimulationSettings& settings);
/// Adds the period, mean curvature and first harmonic of a path whose curvature repeats.
void addPeriodicCurvature(const SimulationSettings& settings, PathCurvature& path);

/// x' = A·x + b: the linearised error dynamics of one mechanism's vehicle with feedback
/// at constant curvature κ (docs/theory.md, sections 2 and 3); b holds the model's
/// constant mechanism errors.
struct ErrorDynamics {
    SquareMatrix A;
    double b[kErrorStates] = {};
};

ErrorDynamics errorDynamics(const SimulationSettings& settings, const FeedbackGains& gains,
                            int vehicleType, double kappa);

/// A closed-loop pole [1/s].
using Pole = std::complex<double>;

/// |R(h·λ)| of the integration method (Runge-Kutta-Gill, whose stability function is the
/// classical fourth-order polynomial R(z) = 1 + z + z²/2 + z³/6 + z⁴/24) for pole λ [1/s]
/// at step h [s]: above 1 the integrated mode grows (docs/theory.md, section 7).
double stepGrowth(Pole lambda, double h);

/// Whether the random slip drives the run: it has no constant part, so no steady offset.
bool slipActive(const SimulationSettings& settings);

/// Why a design holds the vehicle on the path, or why not.
enum class Stability {
    kStable,
    /// A pole with a real part ≥ 0: the continuous-time loop itself diverges.
    kRightHalfPlane,
    /// Every pole decays, but one leaves the stability region of the integration step.
    kIntegrationStep,
};

/// Steady dd and dth of the vehicle with feedback under a constant error (section 4).
struct SteadyOffset {
    /// False on a path of varying curvature, for the random slip, or an unstable design.
    bool defined = false;
    /// Lateral offset [m] and heading error [rad].
    double dd = 0.0, dth = 0.0;
};

/// Figures of a response dd(t) (section 5).
struct ResponseFigures {
    /// The value dd settles at [m].
    double steady = 0.0;
    /// Largest |dd| [m].
    double peak = 0.0;
    /// Largest excess of dd/steady over 1 [ratio]; when the steady value is 0, the largest
    /// swing of dd past 0 against the peak's sign, over |peak| [ratio].
    double overshoot = 0.0;
    /// From then on dd stays within kSettlingBand of the steady value [s]; +inf when it
    /// does not within the samples.
    double settlingTime = 0.0;
};

/// The figures of the samples (t[i], dd[i]), i < n, that settle at `steady`.
ResponseFigures responseFigures(const double* t, const double* dd, int n, double steady);

/// The time [s] from which the samples (t[i], dd[i]), i < n, stay within `band` [m] of
/// `steady`, interpolated between the last sample outside and the next; 0 when none is
/// outside, +inf when the last one is.
double settlingTime(const double* t, const double* dd, int n, double steady, double band);

/// The steady dd on a path of periodic curvature: a mean plus a sinusoid at the path's
/// frequency (section 6).
struct PeriodicOffset {
    /// False on other paths, for the random slip, or an unstable design.
    bool defined = false;
    /// The path's angular frequency 2π·v/λ as the vehicle's reference point meets it [rad/s].
    double omega = 0.0;
    /// Mean of dd [m] and amplitude of its part at omega [m].
    double mean = 0.0, amplitude = 0.0;
};

/// Mean and amplitude at omega [rad/s] of the samples (t[i], dd[i]), i < n, over their last
/// period 2π/omega: how the run shows what PeriodicOffset predicts. Not defined when the
/// samples span less than a period.
PeriodicOffset lastPeriod(const double* t, const double* dd, int n, double omega);

/// The theory of one mechanism's vehicle with feedback.
struct TypeTheory {
    int vehicleType = 1;
    /// Poles of the lateral loop and of the along-path loop, largest real part first.
    std::array<Pole, kLateralStates> lateralPoles{};
    std::array<Pole, kAlongPathStates> alongPathPoles{};
    /// Largest real part of all five poles [1/s]; ≥ 0: the design is unstable.
    double maxPoleReal = 0.0;
    Stability stability = Stability::kStable;
    /// The integration sub-step the verdict is taken at, dt / 5 [s].
    double step = 0.0;
    /// Largest |R(step·λ)| of the five poles [ratio]; above 1 the integrated run grows.
    double maxStepGrowth = 0.0;
    /// With kIntegrationStep: the fn above which the step no longer holds the design at
    /// this ζ [Hz] (of the same sign as fn); NaN otherwise.
    double stepLimitFn = 0.0;
    /// 1/|Re| of the slowest lateral pole [s]; +inf when it does not decay.
    double slowestTimeConstant = 0.0;
    SteadyOffset steady;
    PeriodicOffset periodic;
    /// With the random slip on a straight path or a circle and a stable design: the
    /// stationary root mean square of dd [m] (section 4, the Lyapunov equation); NaN
    /// otherwise.
    double slipDdRms = 0.0;
    /// Of the predicted dd(t) after the run's error; when that leaves dd at 0 (no error,
    /// the slip, an error this mechanism does not feel), of a unit heading-rate disturbance.
    ResponseFigures figures;
    bool figuresOfRunError = false;
    /// Largest |steering angle| φ0 + q [rad] and |steering rate| q' [rad/s] of the FBC
    /// vehicle in the predicted response to the run's error (types 2 and 3; 0 for type 1),
    /// with the feed-forward steering of a constant curvature (section 8).
    double peakSteerAngle = 0.0, peakSteerRate = 0.0;
    /// Largest |speed correction| u_s [m/s] and, type 1, |turn-rate correction| u_ω [rad/s].
    double peakSpeedCorrection = 0.0, peakTurnCorrection = 0.0;
    /// True when one of them reaches the limit the model applies: the prediction then no
    /// longer describes the run.
    bool beyondLinearRange = false;

    bool stable() const { return stability == Stability::kStable; }
};

/// The theory of a run: the path's shape and the three mechanisms.
struct RunTheory {
    PathCurvature path;
    std::array<TypeTheory, 3> types{};

    /// True when every mechanism's design holds (continuous poles and integration step).
    bool stable() const;
    /// True when some mechanism's design fails for this reason.
    bool any(Stability reason) const;
    /// True when some mechanism's predicted response reaches a limit of the model.
    bool anyBeyondLinearRange() const;
};

/// The theory of a run of the settings with the gains designed for them.
RunTheory runTheory(const SimulationSettings& settings, const FeedbackGains& gains);
inline RunTheory runTheory(const Model& model) {
    return runTheory(model.settings, model.gains);
}

/// The poles of type vehicleType's design at each fn [Hz] of `fns` with the settings' ζ, at
/// the settings' path curvature (docs/theory.md, section 7): the root locus over fn.
struct LocusPoint {
    double fn = 0.0;
    std::array<Pole, kLateralStates> lateral{};
    std::array<Pole, kAlongPathStates> alongPath{};
};
std::vector<LocusPoint> rootLocus(const SimulationSettings& settings, int vehicleType,
                                  const std::vector<double>& fns);

/// G(jω) = dd/u [m per rad/s] of type vehicleType's vehicle with feedback for a heading-rate
/// disturbance u entering θ̃' (docs/theory.md, section 6), at curvature κ [1/m], at each
/// angular frequency of `omegas` [rad/s]; NaN where jω is a pole.
std::vector<std::complex<double>> headingRateResponse(const SimulationSettings& settings,
                                                      const FeedbackGains& gains, int vehicleType,
                                                      double kappa,
                                                      const std::vector<double>& omegas);

/// dd [m per rad/s] of type vehicleType's vehicle with feedback after a unit heading-rate
/// disturbance from rest, at curvature κ [1/m], at i·horizon/(count − 1), i < count: the
/// response whose figures TypeTheory gives when the run's error leaves dd at 0 (section 5).
std::vector<double> unitDisturbanceResponse(const SimulationSettings& settings,
                                            const FeedbackGains& gains, int vehicleType,
                                            double kappa, double horizon, int count);

/// The predicted dd [m] of type vehicleType's vehicle with feedback at the records
/// 0..lastIndex of a run: record n at n·dt, the last at endTime. dd has lastIndex + 1
/// entries.
void predictOffsets(const SimulationSettings& settings, const FeedbackGains& gains, int vehicleType,
                    double dt, int lastIndex, double endTime, double* dd);
inline void predictOffsets(const Model& model, int vehicleType, double dt, int lastIndex,
                           double endTime, double* dd) {
    predictOffsets(model.settings, model.gains, vehicleType, dt, lastIndex, endTime, dd);
}

}  // namespace agv
