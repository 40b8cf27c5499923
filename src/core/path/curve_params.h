// The constants of the path curves and the values derived from them, with the angle
// constants every formula of the simulator uses.
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

/// Constants of the path curves and the values derived from them.
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
    /// Square with rounded corners: side L [m], corner radius r [m].
    double squareL = 4.0, squareR = 0.5;

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
    /// Half the straight part of a square's side, L/2 - r [m].
    double squareHalfStraight = 1.5;
    /// Length of one side with one corner, 2·squareHalfStraight + (π/2)·r [m].
    double squareQuarter = 3.0 + kHalfPi * 0.5;
    /// +1, or -1 for the path reflected about the x axis (y, headings and curvatures
    /// negated, so that closed curves are driven clockwise).
    double ySign = 1.0;
};

}  // namespace agv
