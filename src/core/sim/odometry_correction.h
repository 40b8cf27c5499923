// The calibration of the feed-forward wheel commands of the two-wheel differential drive:
// the wheel diameter and WheelBase factors that the square-path benchmark estimates
// (docs/calibration.md, "The correction").
#pragma once

namespace agv {

/// How the rear wheel commands of the 2DW1C vehicles are calibrated. Inactive, the commands
/// are the nominal ones, bit for bit.
struct OdometryCorrection {
    /// Whether the commands are corrected.
    bool active = false;
    /// The factors c_L and c_R the believed left and right wheel diameters are scaled by;
    /// each wheel's command is divided by its factor [ratio].
    double leftFactor = 1.0, rightFactor = 1.0;
    /// The believed WheelBase as a multiple E_b of the nominal one, with which the turn rate
    /// is turned into wheel speeds [ratio].
    double wheelBaseFactor = 1.0;
};

/// The correction of the estimated wheel diameter ratio E_d = D_R/D_L and WheelBase ratio
/// E_b: c_L = 2/(E_d + 1), c_R = 2/(1/E_d + 1), the WheelBase E_b times the nominal one.
OdometryCorrection correctionFrom(double ed, double eb);

}  // namespace agv
