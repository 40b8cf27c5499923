// The model of a computation: everything that describes it and stays constant while it
// runs. The settings record (vehicle, mechanism error, feedback design, the current path
// curve with the constants of all ten curves), the gains designed from it, the tables of
// the prepared path and the random conversion tables.
#pragma once

#include <cstdint>

#include "noise/random_tables.h"
#include "path/curve_params.h"
#include "path/path_types.h"
#include "sim/controller.h"
#include "sim/feedback_gains.h"
#include "sim/mechanism_error.h"
#include "sim/odometry_correction.h"

namespace agv {

/// Vehicle mechanisms; arrays over types are indexed by type - 1.
enum VehicleType : int { k2DW1C = 1, k1FDW1FS = 2, k1RDW1FS = 3 };
inline constexpr int kVehicleTypeCount = 3;

/// Every condition of a simulation run; exactly one per run.
struct SimulationSettings {
    /// Travel speed along the path [m/s].
    double Vw = 1.0;
    /// Maximum steering rate of the feed-forward command [rad/s].
    double omegaMax = 2.0;
    /// Time between two recorded samples [s]; the integration sub-step is dt / 5.
    double dt = 0.02;
    /// Nominal spacing of the two rear wheels ("WheelBase") [m].
    double wheelBase = 1.0;
    /// Nominal distance from the rear axle to the front wheel ("Tread") [m].
    double tread = 1.0;
    /// WheelBase of the erroneous vehicles, (1 + WBerr)·wheelBase [m].
    double wheelBaseActual = 1.0;
    /// Tread of the erroneous vehicles, (1 + TRerr)·tread [m].
    double treadActual = 1.0;
    /// Distance travelled per recorded sample, Vw·dt [m].
    double stepLength = 0.02;

    /// The mechanism error the report names: none, the one error given, or several
    /// combined; unset until chosen.
    MechanismError errorNumber = MechanismError::kUnset;
    /// The errors given; each acts through its values below, the slip only when given.
    ErrorMask errorsGiven = 0;
    /// Radius error of the left rear wheel [ratio].
    double rearWheelErrL = 0.0;
    /// Radius error of the right rear wheel [ratio].
    double rearWheelErrR = 0.0;
    /// Radius error of the front steering wheel [ratio].
    double frontWheelErr = 0.0;
    /// Steering angle drift [rad].
    double steerDrift = 0.0;
    /// WheelBase error [ratio].
    double WBerr = 0.0;
    /// Tread error [ratio].
    double TRerr = 0.0;
    /// Speed error ratio of the random drive-wheel slip [ratio].
    double SLIP = 0.05;
    /// True when the slip's random sequence starts from slipGeneratorStart rather than where
    /// the generator stands.
    bool slipSeeded = false;
    /// State the uniform generator starts from for a seeded slip (drawn from the seed).
    std::uint32_t slipGeneratorStart = 0;
    /// Calibration of the 2DW1C's rear wheel commands (none: the nominal commands).
    OdometryCorrection correction;

    /// Natural frequency of the feedback system [Hz].
    double fn = 1.0;
    /// Damping ratio of the feedback system.
    double zeta = 1.0;
    /// Natural angular frequency 2π·fn [rad/s].
    double omegaN = kTwoPi;
    /// The feedback law of the FBC vehicles.
    ControllerKind controller = ControllerKind::kFnZeta;
    /// The parameters of the other laws.
    ControllerParams controllerParams;

    /// Curve number of the current path: 1 to 4 or 11 to 16.
    int curveNumber = 1;
    /// Constants of all ten curves.
    CurveParams curve;
};

/// Clears every mechanism error value and gives the erroneous vehicles the nominal
/// WheelBase and Tread again.
inline void clearMechanismErrors(SimulationSettings& s) {
    s.SLIP = 0.0;
    s.TRerr = 0.0;
    s.WBerr = 0.0;
    s.steerDrift = 0.0;
    s.frontWheelErr = 0.0;
    s.rearWheelErrR = 0.0;
    s.rearWheelErrL = 0.0;
    s.treadActual = s.tread;
    s.wheelBaseActual = s.wheelBase;
}

/// What describes one computation. Only the preparation steps (the dialogue, the path
/// set-up, the gain design) write it; a computation reads it and never writes it.
struct Model {
    SimulationSettings settings;
    /// Feedback gains designed from settings.fn and settings.zeta.
    FeedbackGains gains;
    /// The law that corrects the FBC vehicles' commands (settings.controller's).
    ControlLaw controlLaw = fnZetaCorrections;
    /// Gains of the LQR law, designed from settings.controllerParams when it is chosen.
    LqrGains lqr;
    /// Start, end and arc-length tables of the prepared path.
    PathTables path;
    /// The five random conversion tables of the slip noise.
    RandomTables tables{};
};

}  // namespace agv
