#include "draw/captions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "draw/number_text.h"
#include "draw/primitives.h"
#include "path/curve_params.h"
#include "sim/model.h"
#include "sim/scenario_text.h"

namespace agv {

namespace {

/// Radians added to the drift before conversion, so that an entry of 5° shows 05.
constexpr double kDriftBias = 0.01;
/// The settings hold a percentage times this ratio.
constexpr double kRatioPerPercent = 0.01;
/// Significant digits of a size read back from the settings: enough for any size entered
/// by hand, few enough to undo the rounding of its conversion to a ratio or to radians.
constexpr int kReadBackDigits = 15;
/// Last curve number the label templates cover.
constexpr int kLastLabelledCurve = 20;

constexpr float kTitleX = -0.99f;
constexpr float kTitleY = 0.95f;
constexpr float kTypeY = 0.9f;
constexpr float kErrorY = 0.85f;
constexpr float kCurveY = 0.8f;
constexpr float kDivergedY = 0.55f;
/// Distance between the two lines of the diverged caption [window units].
constexpr float kDivergedLineStep = 0.05f;
/// Indent of the curve and legend lines from kCaptionX.
constexpr float kIndent = 0.05f;
/// Offset of the curve label from kCaptionX.
constexpr float kCurveLabelOffset = 0.3f;

// Sign character, then the digits of the tens a and the units b.
std::string signedTwoDigits(bool negative, double a, double b) {
    std::string text(1, negative ? '-' : ' ');
    text += wholeNumberText(a);
    text += digitChar(b);
    return text;
}

}  // namespace

std::string percentDigits(double v, bool withSign) {
    const bool negative = withSign && v < 0.0;
    const double magnitude = std::fabs(v);
    if (!std::isfinite(magnitude)) return std::string(1, negative ? '-' : ' ') + "--";
    const double tens = std::trunc(magnitude * 10.0);
    const double units = std::trunc(magnitude * 100.0 - 10.0 * tens);
    return signedTwoDigits(negative, tens, units);
}

std::string percentPairText(double v1, double v2) {
    return "(" + percentDigits(v1, true) + "," + percentDigits(v2, true) + ")%";
}

std::string percentText(double v, bool withSign) {
    return percentDigits(v, withSign) + "%";
}

std::string driftText(double radians) {
    const bool negative = radians < 0.0;
    const double degrees = (std::fabs(radians) + kDriftBias) * kDegPerRad;
    if (!std::isfinite(degrees)) return std::string(1, negative ? '-' : ' ') + "--[deg]";
    const double tens = std::trunc(degrees / 10.0);
    const double units = std::trunc(degrees - 10.0 * tens);
    return signedTwoDigits(negative, tens, units) + "[deg]";
}

std::string exactSizeText(double size) {
    if (!std::isfinite(size)) return " --";
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.*g", kReadBackDigits, size);
    return (size < 0.0 ? "" : " ") + shortestDecimal(std::strtod(digits, nullptr));
}

std::string exactPercentPairText(double v1, double v2) {
    return "(" + exactSizeText(v1 / kRatioPerPercent) + "," + exactSizeText(v2 / kRatioPerPercent) +
           ")%";
}

std::string exactPercentText(double v) {
    return exactSizeText(v / kRatioPerPercent) + "%";
}

std::string exactDriftText(double radians) {
    return exactSizeText(radians / kRadPerDeg) + "[deg]";
}

std::string curveLabel(int curveNumber) {
    if (curveNumber < 0 || curveNumber > kLastLabelledCurve) return {};
    return "I=" + wholeNumberText(curveNumber);
}

const char* vehicleTypeCaption(int vehicleType) {
    switch (vehicleType) {
        case k2DW1C:
            return "(1) 2DW1C AGV";
        case k1FDW1FS:
            return "(2) 1FDW1FS AGV";
        case k1RDW1FS:
            return "(3) 1RDW1FS AGV";
        default:
            return nullptr;
    }
}

/// Where the numbers of combined errors start after their caption [window units].
constexpr float kCombinedValueOffset = 0.5f;

bool errorCaption(const SimulationSettings& s, ErrorCaption& out, CaptionFormat format) {
    out = ErrorCaption{};
    const bool exact = format == CaptionFormat::kExact;
    const auto pair = [exact](double v1, double v2) {
        return exact ? exactPercentPairText(v1, v2) : percentPairText(v1, v2);
    };
    switch (s.errorNumber) {
        case MechanismError::kNone:
            out.caption = "(0) No AGV Error";
            return true;
        case MechanismError::kRearWheels:
            out.caption = "(1) Rear Wheel Radius Error(L,R)=";
            out.value = pair(s.rearWheelErrL, s.rearWheelErrR);
            out.valueX = kCaptionX + 0.7f;
            return true;
        case MechanismError::kFrontWheel:
            out.caption = "(2) Front Wheel Radius Error=";
            out.value =
                exact ? exactPercentText(s.frontWheelErr) : percentText(s.frontWheelErr, true);
            out.valueX = kCaptionX + 0.61f;
            return true;
        case MechanismError::kSteerDrift:
            out.caption = "(3) Steering Angle Drift Error=";
            out.value = exact ? exactDriftText(s.steerDrift) : driftText(s.steerDrift);
            out.valueX = kCaptionX + 0.62f;
            return true;
        case MechanismError::kWheelBaseTread:
            out.caption = "(4) WheelBase and Tread Error=";
            out.value = pair(s.WBerr, s.TRerr);
            out.valueX = kCaptionX + 0.65f;
            return true;
        case MechanismError::kSlip:
            out.caption = "(5) Drive Wheel Slip Error=";
            out.value = exact ? exactPercentText(s.SLIP) : percentText(s.SLIP, false);
            out.valueX = kCaptionX + 0.61f;
            return true;
        case MechanismError::kCombined: {
            // Several errors at once: their numbers, as the report lists them.
            std::string numbers;
            for (int n = 1; n <= kMaxErrorNumber; ++n) {
                if (!hasError(s.errorsGiven, mechanismErrorOf(n))) continue;
                numbers += (numbers.empty() ? "" : "+") + std::to_string(n);
            }
            out.caption = "Combined AGV Errors";
            out.value = "(" + numbers + ")";
            out.valueX = kCaptionX + kCombinedValueOffset;
            return true;
        }
        default:
            return false;
    }
}

void drawTitle(DrawBackend& b) {
    drawText(b, kTitleX, kTitleY, Font::kHelvetica18, "AGV Error and AGV Motion Error");
}

void drawConditions(DrawBackend& b, const SimulationSettings& s, int vehicleType,
                    CaptionFormat format) {
    if (const char* type = vehicleTypeCaption(vehicleType)) {
        drawText(b, kCaptionX, kTypeY, Font::kHelvetica18, type);
    }
    ErrorCaption error;
    if (errorCaption(s, error, format)) {
        drawText(b, kCaptionX, kErrorY, Font::kHelvetica18, error.caption);
        if (!error.value.empty()) {
            drawText(b, error.valueX, kErrorY, Font::kHelvetica18, error.value.c_str());
        }
    }
    drawText(b, kCaptionX + kIndent, kCurveY, Font::kHelvetica18, "CP motion");
    const std::string label = curveLabel(s.curveNumber);
    if (!label.empty()) {
        drawText(b, kCaptionX + kCurveLabelOffset, kCurveY, Font::kHelvetica18, label.c_str());
    }
    const float legendX = kCaptionX + kIndent;
    drawText(b, legendX, 0.75f, Font::kHelvetica18, "Red  Curve   : Theoretical Trajectory");
    drawText(b, legendX, 0.70f, Font::kHelvetica18,
             "Blue Curve   : Trajectory with AGV Error, No FBC");
    drawText(b, legendX, 0.65f, Font::kHelvetica18,
             "Green Curve : Trajectory with AGV Error, with FBC");
    drawText(b, legendX, 0.60f, Font::kHelvetica18, "1 grid=(1.0, 1.0)[m]");
}

void drawDivergedCaption(DrawBackend& b) {
    drawText(b, kCaptionX + kIndent, kDivergedY, Font::kHelvetica18, kDivergedCaption);
    drawText(b, kCaptionX + kIndent, kDivergedY - kDivergedLineStep, Font::kHelvetica18,
             kDivergedCaptionMore);
}

}  // namespace agv
