// Captions of the top left corner: title, vehicle type, mechanism error with its size,
// curve number, colour legend and grid size. The window writes numbers digit by digit into
// fixed templates such as " 01%"; exported pictures write error sizes in full.
#pragma once

#include <string>

#include "draw/caption_format.h"

namespace agv {

class DrawBackend;
struct SimulationSettings;

/// Left edge of the condition captions [window units].
inline constexpr float kCaptionX = -0.95f;

/// Sign, tens and units of a ratio read as percent (" 05" for 0.05, "-12" for −0.12):
/// the first two decimals of |v|, truncated. A percentage of 100 or more gets all the
/// digits it needs; a value that is not finite shows "--".
std::string percentDigits(double v, bool withSign);

/// The template "( 01, 01)%" filled with two ratios.
std::string percentPairText(double v1, double v2);
/// The template " 01%" filled with a ratio; without sign the sign position stays blank.
std::string percentText(double v, bool withSign);
/// The template " 01[deg]" filled with a steering drift given in radians.
std::string driftText(double radians);
/// An error size as entered (percent or degrees) in its shortest decimal form, with a
/// blank in the sign position when not negative (" 0.5", "-1.25"); " --" when not finite.
std::string exactSizeText(double size);
/// The exact counterparts of the templates: "( 0.5,-1)%", " 2.5%", " 0.5[deg]" from a
/// ratio or a drift in radians.
std::string exactPercentPairText(double v1, double v2);
std::string exactPercentText(double v);
std::string exactDriftText(double radians);

/// "I=2" or "I=13" filled with the curve number; empty for a number outside 0..20.
std::string curveLabel(int curveNumber);
/// "(1) 2DW1C AGV" and so on; nullptr for an unknown type.
const char* vehicleTypeCaption(int vehicleType);

/// The mechanism error line: caption, filled template (may be empty) and its x.
struct ErrorCaption {
    const char* caption = nullptr;
    std::string value;
    float valueX = 0.0f;
};
/// False when errorNumber names no error (unset before the first dialogue).
bool errorCaption(const SimulationSettings& settings, ErrorCaption& out,
                  CaptionFormat format = CaptionFormat::kWindow);

/// The lines under the legend for a type whose FBC vehicle left the path: two, so that the
/// plot panel beside the legend does not cover the end of one.
inline constexpr const char* kDivergedCaption = "Design diverged: FBC AGV left the path,";
inline constexpr const char* kDivergedCaptionMore = "motion shown up to there";

void drawTitle(DrawBackend& b);
void drawConditions(DrawBackend& b, const SimulationSettings& settings, int vehicleType,
                    CaptionFormat format = CaptionFormat::kWindow);
/// kDivergedCaption and kDivergedCaptionMore under the legend.
void drawDivergedCaption(DrawBackend& b);

}  // namespace agv
