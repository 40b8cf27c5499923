#include "sim/scenario.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "sim/model.h"

namespace {

using agv::MechanismError;
using agv::RefusalKind;
using agv::Scenario;
using agv::ScenarioField;

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0;
}

/// The bytes of a model and of the arc table's steps, to see that nothing wrote them.
struct Snapshot {
    std::vector<unsigned char> bytes;
    std::vector<double> stepParam, stepLength;
    explicit Snapshot(const agv::Model& model)
        : bytes(sizeof model),
          stepParam(model.path.arcTable.stepParam),
          stepLength(model.path.arcTable.stepLength) {
        std::memcpy(bytes.data(), &model, sizeof model);
    }
    bool sameAs(const agv::Model& model) const {
        return std::memcmp(bytes.data(), &model, sizeof model) == 0 &&
               sameBits(stepParam, model.path.arcTable.stepParam) &&
               sameBits(stepLength, model.path.arcTable.stepLength);
    }
};

Scenario with(MechanismError error, double v1, double v2 = 0.0) {
    Scenario s;
    s.errors = agv::onlyError(error, v1, v2);
    return s;
}

Scenario curve(int number, double a, double b) {
    Scenario s;
    s.curveNumber = number;
    const double values[2] = {a, b};
    agv::setCurveConstants(s, number, values, 2);
    return s;
}

Scenario design(double fn, double zeta) {
    Scenario s;
    s.fn = fn;
    s.zeta = zeta;
    return s;
}

TEST(CheckScenario, SaysWhatItRefusesAndWritesNothing) {
    struct Case {
        Scenario scenario;
        RefusalKind kind;
        ScenarioField field;
    };
    const Case cases[] = {
        {Scenario{}, RefusalKind::kNone, ScenarioField::kNone},
        {with(MechanismError::kSlip, 5.0), RefusalKind::kNone, ScenarioField::kNone},
        {curve(2, 2.0, 4.0), RefusalKind::kNone, ScenarioField::kNone},
        {with(MechanismError::kUnset, 0.0), RefusalKind::kNoSuchError, ScenarioField::kError},
        {with(MechanismError::kWheelBaseTread, -100.0, 5.0), RefusalKind::kZeroWheelBase,
         ScenarioField::kErrorValue1},
        {with(MechanismError::kWheelBaseTread, 5.0, -100.0), RefusalKind::kZeroTread,
         ScenarioField::kErrorValue2},
        {curve(7, 1.0, 1.0), RefusalKind::kNoSuchCurve, ScenarioField::kCurve},
        {curve(15, -1.0, 1.0), RefusalKind::kNegativeConstant, ScenarioField::kCurveConstant},
        {curve(14, 1.0, 0.0), RefusalKind::kZeroConstant, ScenarioField::kCurveConstant},
        {curve(2, 1.0, 1e-308), RefusalKind::kNoPath, ScenarioField::kCurveConstants},
        {design(0.0, 1.0), RefusalKind::kZeroFn, ScenarioField::kFn},
        {design(1.0, 0.0), RefusalKind::kZeroZeta, ScenarioField::kZeta},
        {design(1e200, 1.0), RefusalKind::kNoGains, ScenarioField::kDesign},
        {curve(15, 10.0, 1.0), RefusalKind::kPathTooLong, ScenarioField::kPathLength},
        {curve(14, 1e-4, 1e-5), RefusalKind::kNoPathLength, ScenarioField::kPathLength},
    };
    auto model = std::make_unique<agv::Model>();
    agv::applyScenario(*model, agv::startupScenario());
    const Snapshot before(*model);
    for (const Case& k : cases) {
        const agv::Refusal r = agv::checkScenario(*model, k.scenario);
        EXPECT_EQ(r.kind, k.kind) << static_cast<int>(k.kind);
        EXPECT_EQ(r.field, k.field) << static_cast<int>(k.kind);
        EXPECT_TRUE(before.sameAs(*model)) << static_cast<int>(k.kind);
    }
    // The first refusal in the dialogue's order: the error before the curve and the design.
    Scenario all = curve(15, -1.0, 1.0);
    all.errors = agv::onlyError(MechanismError::kWheelBaseTread, -100.0);
    all.fn = 0.0;
    EXPECT_EQ(agv::checkScenario(*model, all).kind, RefusalKind::kZeroWheelBase);
}

TEST(ApplyScenario, DerivesEveryDependentValueFromTheChoiceAlone) {
    // Applying the same scenario over different histories gives the same model.
    Scenario chosen = curve(11, 3.0, 1.5);
    chosen.errors = agv::onlyError(MechanismError::kWheelBaseTread, 10.0, -5.0);
    chosen.fn = 0.5;
    chosen.zeta = 0.7;
    auto fresh = std::make_unique<agv::Model>();
    auto used = std::make_unique<agv::Model>();
    agv::applyScenario(*used, curve(2, 2.0, 4.0));
    agv::applyScenario(*used, with(MechanismError::kSteerDrift, 3.0));
    agv::applyScenario(*fresh, chosen);
    agv::applyScenario(*used, chosen);
    const agv::SimulationSettings& s = used->settings;
    EXPECT_DOUBLE_EQ(s.wheelBaseActual, 1.1);
    EXPECT_DOUBLE_EQ(s.treadActual, 0.95);
    EXPECT_EQ(s.steerDrift, 0.0);
    EXPECT_EQ(s.curve.ellipseAB, 4.5);
    EXPECT_EQ(s.omegaN, agv::kTwoPi * 0.5);
    // The settings, gains and path tables match byte for byte.
    EXPECT_EQ(std::memcmp(&fresh->gains, &used->gains, sizeof fresh->gains), 0);
    EXPECT_EQ(std::memcmp(&fresh->path.pathEnd, &used->path.pathEnd, sizeof fresh->path.pathEnd),
              0);
    EXPECT_EQ(fresh->path.arcTable.count, used->path.arcTable.count);
    EXPECT_EQ(fresh->path.arcTable.entry, used->path.arcTable.entry);
    EXPECT_EQ(std::memcmp(&fresh->settings.curve, &used->settings.curve,
                          offsetof(agv::CurveParams, roseWholeN)),
              0);
}

}  // namespace
