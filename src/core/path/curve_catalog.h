// The list of the path curves: their numbers, names and the constants a user sets,
// shared by the dialogue, the report, the tools and the web page. The console's menu
// offers the first ten; the square with rounded corners is for the tools.
#pragma once

#include "path/curve_params.h"

namespace agv {

/// Most constants a user sets for one curve.
inline constexpr int kMaxCurveConstants = 3;
/// Number of curves.
inline constexpr int kCurveCount = 11;
/// Number of curves the console's menu offers (the first in the catalog).
inline constexpr int kMenuCurveCount = 10;

/// One constant a user sets: its letter, where it is kept, and whether zero makes no path.
struct CurveConstant {
    const char* name;
    double CurveParams::*field;
    bool zeroMakesNoPath;
};

struct CurveInfo {
    /// Curve number I.
    int number;
    /// Short English name.
    const char* name;
    /// Constants the user sets, in the dialogue's order.
    int constantCount;
    CurveConstant constants[kMaxCurveConstants];
    /// Offered by the console's menu.
    bool inMenu = true;
};

inline constexpr CurveInfo kCurveCatalog[kCurveCount] = {
    {1,
     "cosine",
     3,
     {{"A", &CurveParams::cosineA, false},
      {"L", &CurveParams::cosineL, true},
      {"n", &CurveParams::cosineN, false}}},
    {2, "cycloid", 2, {{"A", &CurveParams::cycloidA, false}, {"L", &CurveParams::cycloidL, true}}},
    {3,
     "quadratic",
     2,
     {{"A", &CurveParams::quadraticA, false}, {"L", &CurveParams::quadraticL, true}}},
    {4, "cubic", 2, {{"A", &CurveParams::cubicA, false}, {"L", &CurveParams::cubicL, true}}},
    {11, "ellipse", 2, {{"A", &CurveParams::ellipseA, true}, {"B", &CurveParams::ellipseB, true}}},
    {12,
     "Archimedean spiral",
     2,
     {{"A", &CurveParams::spiralA, true}, {"n", &CurveParams::spiralN, false}}},
    {13, "cardioid", 1, {{"A", &CurveParams::cardioidA, true}}},
    {14, "rose", 2, {{"A", &CurveParams::roseA, true}, {"n", &CurveParams::roseN, true}}},
    {15,
     "circle arc",
     2,
     {{"R", &CurveParams::circleR, true}, {"n", &CurveParams::circleN, false}}},
    {16, "wavy circle", 2, {{"A", &CurveParams::wavyA, false}, {"n", &CurveParams::wavyN, false}}},
    {21,
     "rounded square",
     2,
     {{"L", &CurveParams::squareL, true}, {"r", &CurveParams::squareR, true}},
     false},
};

/// The catalog entry of curve I; nullptr for a number that names no curve.
inline const CurveInfo* findCurveInfo(int curveNumber) {
    for (const CurveInfo& info : kCurveCatalog) {
        if (info.number == curveNumber) return &info;
    }
    return nullptr;
}

/// Number of constants a user sets for curve I (0 for a number that names no curve).
inline int curveConstantCount(int curveNumber) {
    const CurveInfo* info = findCurveInfo(curveNumber);
    return info ? info->constantCount : 0;
}

}  // namespace agv
