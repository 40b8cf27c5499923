// State of the motion simulation: the 25-slot motion state, feedback gains,
// error signals and the trajectory store.
#pragma once

#include <array>

#include "sim/trig_memo.h"

namespace agv {

/// Records per vehicle type in the trajectory store.
inline constexpr int kMaxRecords = 3000;
/// Slots of the motion state of one vehicle type.
inline constexpr int kStateSlots = 25;
/// Integrated slots (three vehicle poses of five values).
inline constexpr int kIntegratedSlots = 15;

/// Slot indices of the motion state.
enum StateSlot : int {
    kSlotTheory = 0,   ///< s_D, θ_D, x_D, y_D, φ_D in slots 0-4 (theoretical, red)
    kSlotNoFbc = 5,    ///< s_C .. φ_C in slots 5-9 (erroneous without FBC, blue)
    kSlotFbc = 10,     ///< s_A .. φ_A in slots 10-14 (erroneous with FBC, green)
    kSlotKappa = 20,   ///< κ_D, path curvature at the theoretical vehicle
    kSlotParam = 21,   ///< p_D, curve parameter of the theoretical vehicle
    kSlotNoise1 = 23,  ///< slip noise sample ν1 of the current sub-step
    kSlotNoise2 = 24,  ///< slip noise sample ν2 of the current sub-step
};

/// Offsets within one vehicle's pose.
enum PoseField : int { kPoseS = 0, kPoseTheta = 1, kPoseX = 2, kPoseY = 3, kPosePhi = 4 };
/// Values in one vehicle's pose.
inline constexpr int kPoseFields = 5;

using MotionState = std::array<double, kStateSlots>;

/// Feedback gains designed from fn and zeta.
struct FeedbackGains {
    /// ωn² [1/s²].
    double omegaN2 = 0.0;
    /// 2ζωn [1/s].
    double twoZetaOmegaN = 0.0;
    double Kd1 = 0.0, Kth1 = 0.0, KI1 = 0.0;
    double Kd2 = 0.0, Kth2 = 0.0, Kfi2 = 0.0;
    double Kd3 = 0.0, Kth3 = 0.0, Kfi3 = 0.0;
};

/// Path-following errors of the two erroneous vehicles at the current evaluation point.
struct ErrorSignals {
    /// s_A - s_D [m].
    double dsFbc = 0.0;
    /// Lateral offsets [m].
    double ddNoFbc = 0.0, ddFbc = 0.0;
    /// Heading errors [rad], not reduced to one turn.
    double dthNoFbc = 0.0, dthFbc = 0.0;
    /// Steering angle error of the FBC vehicle [rad].
    double dphiFbc = 0.0;
    /// Time integrals of dsFbc [m·s], ddFbc [m·s], dthFbc [rad·s].
    double intDsFbc = 0.0, intDdFbc = 0.0, intDthFbc = 0.0;
};

/// Intermediate values of one evaluation point of the vehicle rates, computed for
/// earlier slots and used by later ones.
struct RateScratch {
    /// Commanded speed [m/s] and steering rate [rad/s] of the theoretical vehicle.
    double V = 0.0, phiDotCmd = 0.0;
    /// Speed [m/s] and heading rate [rad/s] of the theoretical vehicle.
    double vD = 0.0, omegaD = 0.0;
    /// Actual left and right rear wheel speeds of the erroneous vehicles [m/s].
    double vLeft = 0.0, vRight = 0.0;
    /// Vehicle without FBC: speed, actual front-wheel speed [m/s], heading rate [rad/s].
    double vC = 0.0, vFront = 0.0, omegaC = 0.0;
    /// FBC vehicle: corrected front-wheel speed, speed [m/s], heading rate [rad/s].
    double vFA = 0.0, vA = 0.0, omegaA = 0.0;
    /// Sines that an earlier slot computed together with its cosine.
    double sinPhiD = 0.0, sinPhiC = 0.0, sinPhiA = 0.0;
    double sinThetaD = 0.0, sinThetaC = 0.0, sinThetaA = 0.0;

    /// sin and cos of the recent vehicle headings, shared with the error measures.
    SinCosCache headings;
    /// Functions of the steering angles (D: theoretical, C: without FBC, A: with FBC,
    /// the last two with the drift), of the curvature and of the caster angles.
    SinCosMemo phiD, phiC, phiA;
    ScalarMemo tanPhiD, tanPhiC, tanPhiA;
    ScalarMemo atanKappaD, casterC, casterA;
    /// atan(tread·κ) of the reference points.
    ScalarMemo atanReference;
    /// Curvature and curvature rate of the circle arc, by its radius.
    ScalarMemo circleCurvature, circleCurvatureRate;
};

/// One recorded pose (s, θ, x, y, φ); slots 5 and 6 stay unused.
using PoseRecord = std::array<double, 7>;
/// One recorded (dd, dth) pair.
using ErrorRecord = std::array<double, 2>;

/// Recorded samples of all three vehicle types; a fixed block allocated once.
struct TrajectoryStore {
    PoseRecord theoryTraj[3][kMaxRecords];
    PoseRecord noFbcTraj[3][kMaxRecords];
    PoseRecord fbcTraj[3][kMaxRecords];
    PoseRecord fbcRefTraj[3][kMaxRecords];
    PoseRecord noFbcDiff[3][kMaxRecords];
    PoseRecord fbcDiff[3][kMaxRecords];
    ErrorRecord noFbcErr[3][kMaxRecords];
    ErrorRecord fbcErr[3][kMaxRecords];
    /// Index of the last valid record per type.
    int recordCount[3];
    /// Time at which the theoretical vehicle reaches the path end, per type [s].
    double endTime[3];
};

}  // namespace agv
