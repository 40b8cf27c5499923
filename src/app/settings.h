// The settings record of one simulator run: vehicle, mechanism errors, feedback
// design and the current path curve with the constants of all ten curves.
#pragma once

namespace agv {

/// π as the simulator holds it (all formulas use these exact decimals).
inline constexpr double kPi = 3.14159265358979;
/// π/2 as the simulator holds it.
inline constexpr double kHalfPi = 1.5707963267948;
/// 2π, twice kPi.
inline constexpr double kTwoPi = 2.0 * kPi;
/// Degrees per radian, for console and window output.
inline constexpr double kDegPerRad = 57.2957795;
/// Radians per degree, for console input.
inline constexpr double kRadPerDeg = 0.0174532925;

/// Vehicle mechanisms; arrays over types are indexed by type - 1.
enum VehicleType : int { k2DW1C = 1, k1FDW1FS = 2, k1RDW1FS = 3 };
inline constexpr int kVehicleTypeCount = 3;

/// Constants of the ten path curves and the values derived from them.
struct CurveParams {
    /// Cosine y = A(1 - cos(2πx/L)): amplitude A [m], wavelength L [m], wave count n.
    double cosineA = 0.5, cosineL = 2.0, cosineN = 1.0;
    /// Cycloid: rise A [m] over length L [m].
    double cycloidA = 2.0, cycloidL = 2.0;
    /// Quadratic y = A(x/L)^2: A [m], L [m].
    double quadraticA = 2.0, quadraticL = 2.0;
    /// Cubic y = A(x/L)^3: A [m], L [m].
    double cubicA = 1.0, cubicL = 2.0;
    /// Ellipse semi-axes A (along x) and B (along y) [m].
    double ellipseA = 2.0, ellipseB = 1.0;
    /// Archimedean spiral: radial growth per turn A [m], number of turns n.
    double spiralA = 1.0, spiralN = 2.0;
    /// Cardioid r = A(B - cos β): A [m]; B is fixed (no dialogue asks for it).
    double cardioidA = 1.0, cardioidB = 1.2;
    /// Rose r = A sin(nβ): A [m], n (1, 2, 3, ... or 1/2, 1/3, ...).
    double roseA = 1.0, roseN = 2.0;
    /// Circle arc r = R: radius R [m], number of turns n.
    double circleR = 1.0, circleN = 2.0;
    /// Wavy circle r = R + A cos(nβ): A [m], waves per turn n, fixed radius R [m].
    double wavyA = 0.3, wavyN = 5.0, wavyR = 2.0;

    // Derived constants, recomputed by the preparation of the curve concerned.
    /// 2π / cosineL [1/m].
    double cosineK = kTwoPi / 2.0;
    /// 2π / cycloidL [1/m].
    double cycloidK = kTwoPi / 2.0;
    /// ellipseA², ellipseB² [m²].
    double ellipseASquared = 4.0, ellipseBSquared = 1.0;
    /// ellipseA·ellipseB and ellipseA² - ellipseB² [m²].
    double ellipseAB = 2.0, ellipseSqDiff = 3.0;
    /// spiralA / 2π [m/rad], so that r = spiralRate·β.
    double spiralRate = 1.0 / kTwoPi;
    /// The rose's n as a whole number (or the whole number of 1/n below one).
    int roseWholeN = 2;
};

/// Every condition of a simulation run; exactly one per run.
struct SimulationSettings {
    /// Vehicle type on show and used by the condition report (1, 2 or 3).
    int vehicleType = k1FDW1FS;
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

    /// Selected mechanism error, the character '0' to '5'; a zero byte until chosen.
    char errorNumber = '\0';
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

    /// Natural frequency of the feedback system [Hz].
    double fn = 1.0;
    /// Damping ratio of the feedback system.
    double zeta = 1.0;
    /// Natural angular frequency 2π·fn [rad/s].
    double omegaN = kTwoPi;

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

/// Run state kept beside the settings.
struct RunState {
    /// Computations the console dialogue has completed.
    int computeCount = 0;
    /// Last key pressed in the graphics window.
    char lastKey = '0';
};

}  // namespace agv
