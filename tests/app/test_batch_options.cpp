#include "app/batch/options.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/common/computation.h"
#include "app/common/text_output.h"
#include "app/console/dialogue.h"
#include "scripted_run.h"

namespace {

bool parse(const std::vector<std::string>& args, agv::BatchOptions& options, std::string& error) {
    std::vector<const char*> argv{"agvsim-batch"};
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    return agv::parseBatchOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(BatchOptions, AcceptsBothFlagFormsAndNegativeValues) {
    agv::BatchOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--error-values=-3,2",
                       "--error",
                       "4",
                       "--curve=15",
                       "--curve-params",
                       "5,1.9",
                       "--fn",
                       "0.5",
                       "--zeta=-0.7",
                       "--csv",
                       "-",
                       "--summary",
                       "--png=a.png",
                       "--frames",
                       "dir",
                       "--every=5",
                       "--type",
                       "3",
                       "--index",
                       "end",
                       "--zoom",
                       "-3",
                       "--shift=-2,5"},
                      options, error))
        << error;
    EXPECT_EQ(options.errorNumber, 4);
    EXPECT_EQ(options.errorValue1, -3.0);
    EXPECT_EQ(options.errorValue2, 2.0);
    EXPECT_TRUE(options.pathChanged);
    EXPECT_EQ(options.curveNumber, 15);
    EXPECT_EQ(options.curveParams, (std::vector<double>{5.0, 1.9}));
    EXPECT_EQ(options.fn, 0.5);
    EXPECT_EQ(options.zeta, -0.7);
    EXPECT_EQ(options.csvPath, "-");
    EXPECT_TRUE(options.summary);
    EXPECT_EQ(options.pngPath, "a.png");
    EXPECT_EQ(options.framesDir, "dir");
    EXPECT_EQ(options.frameEvery, 5);
    EXPECT_EQ(options.vehicleType, 3);
    EXPECT_EQ(options.motionIndex, -1);
    EXPECT_EQ(options.zoomSteps, -3);
    EXPECT_EQ(options.shiftX, -2);
    EXPECT_EQ(options.shiftY, 5);

    ASSERT_TRUE(parse({"--error", "3", "--error-values", "-1.5", "--curve", "13",
                       "--curve-params=0.8", "--index=12", "--gif=run.gif"},
                      options, error))
        << error;
    EXPECT_EQ(options.errorValue1, -1.5);
    EXPECT_EQ(options.errorValue2, 0.0);
    EXPECT_EQ(options.curveParams, (std::vector<double>{0.8}));
    EXPECT_EQ(options.motionIndex, 12);
    EXPECT_EQ(options.gifPath, "run.gif");
}

TEST(BatchOptions, HelpStopsParsing) {
    for (const char* flag : {"--help", "-h"}) {
        agv::BatchOptions options;
        std::string error;
        ASSERT_TRUE(parse({"--error", "2", flag, "--bogus"}, options, error)) << flag;
        EXPECT_TRUE(options.help);
    }
    EXPECT_NE(agv::batchUsage().find("--curve-params"), std::string::npos);
}

TEST(BatchOptions, RefusesBadArgumentsWithAMessage) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{"--bogus", "1"}, "unknown option --bogus"},
        {{"run"}, "unexpected argument 'run'"},
        {{"--fn"}, "missing value for --fn"},
        {{"--csv", "--summary"}, "missing value for --csv"},
        {{"--summary=yes"}, "--summary takes no value"},
        {{"--fn", "1x"}, "'1x' is not a number"},
        {{"--fn="}, "'' is not a number"},
        {{"--zeta", "nan"}, "not a finite number"},
        {{"--fn", "-inf"}, "not a finite number"},
        {{"--fn", "1e999"}, "not a finite number"},
        {{"--error", "6"}, "--error must be 0 to 5"},
        {{"--error", "2.5"}, "not a whole number"},
        {{"--error", "99999999999"}, "out of range"},
        {{"--error-values", "1"}, "error 0 takes no values, got 1"},
        {{"--error", "1", "--error-values", "1"}, "error 1 takes 2 values, got 1"},
        {{"--error", "5", "--error-values", "1,2"}, "error 5 takes 1 value, got 2"},
        {{"--error", "4", "--error-values", "1,,2"}, "empty value"},
        {{"--error", "4", "--error-values", "1,2,3"}, "at most 2 values"},
        {{"--curve", "7"}, "7 is not a curve number"},
        {{"--curve", "17"}, "17 is not a curve number"},
        {{"--curve", "15", "--curve-params", "5,1,2"},
         "curve 15 takes up to 2 values (R,n), got 3"},
        {{"--csv", "a", "--csv=b"}, "--csv given more than once"},
        {{"--error", "1", "--summary", "--error", "2"}, "--error given more than once"},
        {{"--summary", "--summary"}, "--summary given more than once"},
        {{"--csv", "-", "--png", "-"}, "cannot both write to standard output"},
        {{"--fn", "1\n2"}, "'1\\x0a2' is not a number"},
        {{"--curve", "13", "--curve-params", "1,2"}, "curve 13 takes 1 value (A), got 2"},
        {{"--type", "4"}, "--type must be 1, 2 or 3"},
        {{"--every", "0"}, "--every must be at least 1"},
        {{"--index", "-1"}, "--index must be a record index"},
        {{"--zoom", "1001"}, "--zoom must lie between"},
        {{"--shift", "1"}, "--shift takes two whole numbers"},
        {{"--shift", "1,x"}, "'x' is not a whole number"},
        {{"--every", "3"}, "--every needs --frames or --gif"},
        {{"--frames", "-"}, "--frames needs a folder"},
        {{"--fn", std::string(100000, '7') + "x"},
         "'777777777777777777777777777777777777777777777777777777777777... (100001 bytes)' is not"},
    };
    for (const Case& c : cases) {
        agv::BatchOptions options;
        std::string error;
        std::string joined;
        for (const std::string& arg : c.args)
            joined += arg + ' ';
        EXPECT_FALSE(parse(c.args, options, error)) << joined;
        EXPECT_NE(error.find(c.message), std::string::npos)
            << joined << "gave: " << error << "\nexpected: " << c.message;
    }
}

}  // namespace

namespace agv {
namespace {

/// The model's values that describe a computation: settings, gains and the path tables.
void expectSameModel(const Model& a, const Model& b) {
    const SimulationSettings& x = a.settings;
    const SimulationSettings& y = b.settings;
    for (const auto field :
         {&SimulationSettings::stepLength, &SimulationSettings::wheelBaseActual,
          &SimulationSettings::treadActual, &SimulationSettings::rearWheelErrL,
          &SimulationSettings::rearWheelErrR, &SimulationSettings::frontWheelErr,
          &SimulationSettings::steerDrift, &SimulationSettings::WBerr, &SimulationSettings::TRerr,
          &SimulationSettings::SLIP, &SimulationSettings::fn, &SimulationSettings::zeta,
          &SimulationSettings::omegaN})
        EXPECT_EQ(x.*field, y.*field);
    EXPECT_EQ(x.errorNumber, y.errorNumber);
    EXPECT_EQ(x.curveNumber, y.curveNumber);
    // The curve's constants and derived values are doubles up to the rose's whole n.
    EXPECT_EQ(std::memcmp(&x.curve, &y.curve, offsetof(CurveParams, roseWholeN)), 0);
    EXPECT_EQ(x.curve.roseWholeN, y.curve.roseWholeN);
    EXPECT_EQ(std::memcmp(&a.gains, &b.gains, sizeof a.gains), 0);
    EXPECT_EQ(std::memcmp(&a.path.pathEnd, &b.path.pathEnd, sizeof a.path.pathEnd), 0);
    EXPECT_EQ(std::memcmp(&a.path.pathEndReference, &b.path.pathEndReference,
                          sizeof a.path.pathEndReference),
              0);
    EXPECT_EQ(a.path.arcTable.count, b.path.arcTable.count);
    EXPECT_EQ(a.path.arcTable.entry, b.path.arcTable.entry);
    EXPECT_EQ(a.path.arcTable.stepLength.size(), b.path.arcTable.stepLength.size());
}

using FrontEnds = ScriptedRun;

TEST_F(FrontEnds, DialogueAndBatchOptionsGiveTheSameModel) {
    // The dialogue's answers and the batch tool's options for the same choice.
    runScript("4\n10 -5\ny\n15\n4.7 1.9\ny\n0.5 0.7\n", [&](Console& c) { askConditions(ctx, c); });
    BatchOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--error", "4", "--error-values", "10,-5", "--curve", "15", "--curve-params",
                       "4.7,1.9", "--fn", "0.5", "--zeta", "0.7"},
                      options, error))
        << error;
    auto batch = std::make_unique<AgvContext>();
    batch->out = &discardedText();
    initialiseRun(*batch);
    ASSERT_TRUE(useScenario(*batch, scenarioOf(options)).accepted());
    expectSameModel(ctx.model, batch->model);
    EXPECT_EQ(ctx.model.settings.wheelBaseActual, 1.1);
}

}  // namespace
}  // namespace agv
