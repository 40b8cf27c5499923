// Captions: digits written into the text templates, and the caption lines as they
// appear in the rendered window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/common/draw_context.h"
#include "app/console/window.h"
#include "draw/captions.h"
#include "draw/frame.h"
#include "draw/recording_backend.h"
#include "draw/render_support.h"
#include "sim/model.h"

namespace {

using namespace agvtest;

TEST(CaptionTemplates, PercentDigitsAreTruncatedNeverRounded) {
    EXPECT_EQ(agv::percentText(0.05, true), " 05%");
    EXPECT_EQ(agv::percentText(0.055, true), " 05%");
    EXPECT_EQ(agv::percentText(0.099, true), " 09%");
    EXPECT_EQ(agv::percentText(-0.12, true), "-12%");
    EXPECT_EQ(agv::percentText(0.0, true), " 00%");
    // Entered as −3 and 2 percent, stored × 0.01.
    EXPECT_EQ(agv::percentPairText(-3 * 0.01, 2 * 0.01), "(-03, 02)%");
    EXPECT_EQ(agv::percentPairText(0.1, -0.05), "( 10,-05)%");
}

TEST(CaptionTemplates, SlipIsShownWithoutItsSign) {
    EXPECT_EQ(agv::percentText(-0.07, false), " 07%");
    agv::SimulationSettings s;
    s.errorNumber = agv::MechanismError::kSlip;
    s.SLIP = -0.04;
    agv::ErrorCaption e;
    ASSERT_TRUE(agv::errorCaption(s, e));
    EXPECT_STREQ(e.caption, "(5) Drive Wheel Slip Error=");
    EXPECT_EQ(e.value, " 04%");
    EXPECT_FLOAT_EQ(e.valueX, -0.34f);
}

TEST(CaptionTemplates, PercentagesOfHundredOrMoreKeepAllTheirDigits) {
    EXPECT_EQ(agv::percentText(1.5, true), " 150%");
    EXPECT_EQ(agv::percentPairText(-1.5, 0.02), "(-150, 02)%");
    EXPECT_EQ(agv::percentText(12.34, true), " 1234%");
    // Nothing that is not a number may index the digit table.
    EXPECT_EQ(agv::percentText(std::numeric_limits<double>::quiet_NaN(), true), " --%");
    EXPECT_EQ(agv::percentText(-std::numeric_limits<double>::infinity(), true), "---%");
}

TEST(CaptionTemplates, DriftIsShownInWholeDegrees) {
    EXPECT_EQ(agv::driftText(5 * agv::kRadPerDeg), " 05[deg]");
    EXPECT_EQ(agv::driftText(0.0), " 00[deg]");
    EXPECT_EQ(agv::driftText(-2 * agv::kRadPerDeg), "-02[deg]");
    EXPECT_EQ(agv::driftText(45 * agv::kRadPerDeg), " 45[deg]");
    // From about 99.4° on the tens reach ten.
    EXPECT_EQ(agv::driftText(99.5 * agv::kRadPerDeg), " 100[deg]");
    EXPECT_EQ(agv::driftText(std::numeric_limits<double>::infinity()), " --[deg]");
}

TEST(CaptionTemplates, ExactFormatWritesTheSizesAsEntered) {
    agv::SimulationSettings s;
    s.errorNumber = agv::MechanismError::kRearWheels;
    s.rearWheelErrL = 5 * 0.01;
    s.rearWheelErrR = -12.5 * 0.01;
    agv::ErrorCaption window, exact;
    ASSERT_TRUE(agv::errorCaption(s, window));
    ASSERT_TRUE(agv::errorCaption(s, exact, agv::CaptionFormat::kExact));
    EXPECT_EQ(window.value, "( 05,-12)%");
    EXPECT_EQ(exact.value, "( 5,-12.5)%");
    EXPECT_EQ(exact.valueX, window.valueX);
    s.errorNumber = agv::MechanismError::kSlip;
    s.SLIP = 0.3 * 0.01;
    ASSERT_TRUE(agv::errorCaption(s, exact, agv::CaptionFormat::kExact));
    EXPECT_EQ(exact.value, " 0.3%");
    EXPECT_EQ(agv::exactDriftText(-0.1 * agv::kRadPerDeg), "-0.1[deg]");
    EXPECT_EQ(agv::exactPercentText(std::numeric_limits<double>::quiet_NaN()), " --%");
}

TEST(CaptionTemplates, CurveLabelAndTypeCaption) {
    EXPECT_EQ(agv::curveLabel(1), "I=1");
    EXPECT_EQ(agv::curveLabel(4), "I=4");
    EXPECT_EQ(agv::curveLabel(12), "I=12");
    EXPECT_EQ(agv::curveLabel(16), "I=16");
    EXPECT_EQ(agv::curveLabel(21), "");
    EXPECT_EQ(agv::curveLabel(-1), "");
    EXPECT_STREQ(agv::vehicleTypeCaption(2), "(2) 1FDW1FS AGV");
    EXPECT_EQ(agv::vehicleTypeCaption(0), nullptr);
}

TEST(CaptionTemplates, ErrorLineFollowsTheErrorNumber) {
    agv::SimulationSettings s;
    agv::ErrorCaption e;
    EXPECT_FALSE(agv::errorCaption(s, e));  // unset before the first dialogue
    s.errorNumber = agv::MechanismError::kNone;
    ASSERT_TRUE(agv::errorCaption(s, e));
    EXPECT_STREQ(e.caption, "(0) No AGV Error");
    EXPECT_TRUE(e.value.empty());
    s.errorNumber = agv::MechanismError::kWheelBaseTread;
    s.WBerr = 0.1;
    s.TRerr = -0.05;
    ASSERT_TRUE(agv::errorCaption(s, e));
    EXPECT_EQ(e.value, "( 10,-05)%");
    EXPECT_FLOAT_EQ(e.valueX, -0.30f);
    s.errorNumber = agv::MechanismError::kSteerDrift;
    s.steerDrift = 2 * agv::kRadPerDeg;
    ASSERT_TRUE(agv::errorCaption(s, e));
    EXPECT_EQ(e.value, " 02[deg]");
    EXPECT_FLOAT_EQ(e.valueX, -0.33f);
}

// Black pixels of the caption lines between two heights, left of the plot panel.
int captionInk(const Picture& pic, double y0, double y1) {
    return pic.count(kBlack, -1.0, y0, 0.34, y1);
}

TEST(RenderedCaptions, EachLineAppearsInItsPlace) {
    auto ctx = computedContext('1', -3.0, 2.0);
    const Picture with = renderFrame(*ctx);
    ctx->model.settings.errorNumber = agv::MechanismError::kUnset;
    ctx->model.settings.curveNumber = 99;
    const Picture without = renderFrame(*ctx);
    // The grid lies over the captions alike in both pictures; the difference is the text.
    EXPECT_GT(captionInk(with, 0.85, 0.89), captionInk(without, 0.85, 0.89) + 100);
    // The template " (-03, 02)%" stands right of -0.25.
    EXPECT_GT(with.count(kBlack, -0.24, 0.85, 0.0, 0.89),
              without.count(kBlack, -0.24, 0.85, 0.0, 0.89) + 30);
    // The curve label I=1 at -0.65, after "CP motion".
    EXPECT_GT(with.count(kBlack, -0.65, 0.80, -0.6, 0.84),
              without.count(kBlack, -0.65, 0.80, -0.6, 0.84) + 10);
    // Title and legend are there in both.
    EXPECT_GT(captionInk(without, 0.95, 0.99), 300);
    EXPECT_GT(captionInk(without, 0.60, 0.79), 1000);
}

TEST(RenderedCaptions, SwitchingTheTypeChangesOnlyTheTypeLine) {
    auto ctx = computedContext('0', 0.0, 0.0);
    const Picture type1 = renderFrame(*ctx);
    agv::applyWindowKey(*ctx, '3');
    const Picture type3 = renderFrame(*ctx);
    int typeLine = 0, otherLines = 0;
    for (int row = Picture::row(0.99); row <= Picture::row(0.6); ++row) {
        for (int col = 0; col < Picture::column(-0.4); ++col) {
            if (type1.pixel(col, row) == type3.pixel(col, row)) continue;
            (row <= Picture::row(0.9) && row > Picture::row(0.95) ? typeLine : otherLines)++;
        }
    }
    EXPECT_GT(typeLine, 20);
    EXPECT_EQ(otherLines, 0);
}

TEST(Captions, OnlyATypeThatDivergedSaysSo) {
    auto ctx = computedContext('0', 0.0, 0.0);
    ctx->data.store->diverged[1] = true;
    const auto captionShown = [&](char type) {
        agv::applyWindowKey(*ctx, type);
        agv::RecordingBackend picture;
        agv::drawFrame(agv::sceneOf(*ctx), picture);
        const std::vector<std::string>& texts = picture.texts();
        const bool first =
            std::find(texts.begin(), texts.end(), agv::kDivergedCaption) != texts.end();
        const bool second =
            std::find(texts.begin(), texts.end(), agv::kDivergedCaptionMore) != texts.end();
        EXPECT_EQ(first, second);
        return first;
    };
    EXPECT_FALSE(captionShown('1'));
    EXPECT_TRUE(captionShown('2'));
    EXPECT_FALSE(captionShown('3'));
}

}  // namespace
