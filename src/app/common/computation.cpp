#include "app/common/computation.h"

#include <algorithm>
#include <memory>

#include "app/common/context.h"
#include "draw/view_state.h"

namespace agv {

void initialiseRun(AgvContext& ctx) {
    ctx.scenario = startupScenario();
    applyScenario(ctx.model, ctx.scenario);
    ctx.data.lastWheels = WheelErrors{};
    ctx.view.vehicleType = k1FDW1FS;
    setViewDefaults(ctx.view);
    ctx.run.lastKey = RunState{}.lastKey;
    ctx.run.computeCount = 0;
}

Refusal useScenario(AgvContext& ctx, const Scenario& scenario) {
    const Refusal refusal = checkScenario(ctx.model, scenario);
    if (!refusal.accepted()) return refusal;
    ctx.scenario = scenario;
    applyScenario(ctx.model, scenario);
    return refusal;
}

RunOutcome computeTrajectories(AgvContext& ctx, TypeScheduling scheduling,
                               const std::function<void(int)>& typeDone,
                               const std::atomic<bool>* stop) {
    const RunOutcome outcome = caltraj(ctx.model, ctx.data, scheduling, typeDone, stop);
    if (outcome.status == RunStatus::kStoreOverflow || outcome.status == RunStatus::kStopped)
        return outcome;
    // The (x, y) of the theoretical trajectory, records 0 to recordCount, of one type.
    const TrajectoryStore& store = *ctx.data.store;
    auto points = std::make_unique<double[][2]>(kMaxRecords);
    for (int t = 0; t < kVehicleTypeCount; ++t) {
        const int last = std::clamp(store.recordCount[t], 0, kMaxRecords - 1);
        for (int i = 0; i <= last; ++i) {
            points[i][0] = store.theoryTraj[t][i][kPoseX];
            points[i][1] = store.theoryTraj[t][i][kPoseY];
        }
        findPlotRange(last, points.get(), ctx.view.plotRange[t]);
    }
    ctx.run.computeCount += 1;
    ctx.view.viewScale = kViewScaleInitial;
    ctx.view.motionIndex = 0;
    ctx.view.vehicleType = k2DW1C;
    return outcome;
}

WheelErrors listedWheelErrors(const AgvContext& ctx) {
    const SimulationSettings& s = ctx.model.settings;
    if (s.errorNumber == MechanismError::kSlip) return ctx.data.lastWheels;
    return {s.rearWheelErrL, s.rearWheelErrR, s.frontWheelErr};
}

}  // namespace agv
