// Speed of the trajectory computation: whole runs of caltraj and one integration step.
#include <benchmark/benchmark.h>

#include <ostream>
#include <string>

#include "app/context.h"
#include "app/text_output.h"
#include "noise/random_tables.h"
#include "path/arc_length.h"
#include "sim/caltraj.h"
#include "sim/feedback.h"
#include "sim/rkg_step.h"

namespace {

/// A context set up for a computation on curve I, as the dialogue leaves it.
void prepare(agv::AgvContext& ctx, int curveNumber, char errorNumber) {
    ctx.out = &agv::discardedText();
    ctx.settings.errorNumber = errorNumber;
    ctx.settings.curveNumber = curveNumber;
    agv::setupPath(ctx, curveNumber);
    agv::designGains(ctx);
    agv::buildArcTable(ctx, curveNumber);
}

void runCaltraj(benchmark::State& bench, agv::AgvContext& ctx, int curveNumber) {
    int records = 0;
    for (auto _ : bench) {
        const int result = agv::caltraj(ctx, curveNumber);
        benchmark::DoNotOptimize(result);
        records = ctx.store->recordCount[0] + ctx.store->recordCount[1] + ctx.store->recordCount[2];
    }
    bench.counters["records"] = records;
}

void BM_CaltrajDefaultCosine(benchmark::State& bench) {
    agv::AgvContext ctx;
    prepare(ctx, 1, '0');
    runCaltraj(bench, ctx, 1);
}
BENCHMARK(BM_CaltrajDefaultCosine)->Unit(benchmark::kMillisecond);

void BM_CaltrajCircle56m(benchmark::State& bench) {
    agv::AgvContext ctx;
    ctx.settings.curve.circleR = 4.7;
    ctx.settings.curve.circleN = 1.9;
    prepare(ctx, 15, '0');
    runCaltraj(bench, ctx, 15);
}
BENCHMARK(BM_CaltrajCircle56m)->Unit(benchmark::kMillisecond);

void BM_CaltrajCosineSlip(benchmark::State& bench) {
    agv::AgvContext ctx;
    ctx.out = &agv::discardedText();
    std::string error;
    if (!agv::loadRandomTables(ctx, error)) {
        bench.SkipWithError(error.c_str());
        return;
    }
    ctx.settings.SLIP = 0.05;
    prepare(ctx, 1, '5');
    runCaltraj(bench, ctx, 1);
}
BENCHMARK(BM_CaltrajCosineSlip)->Unit(benchmark::kMillisecond);

/// One sub-step of type 2 in the middle of the default cosine, with error 0.
void BM_RkgStep(benchmark::State& bench) {
    agv::AgvContext ctx;
    prepare(ctx, 1, '0');
    agv::caltraj(ctx, 1);
    const int k = 1;
    const int n = ctx.store->recordCount[k] / 2;
    agv::MotionState start{};
    const agv::PoseRecord& pose = ctx.store->theoryTraj[k][n];
    for (const int base : {agv::kSlotTheory, agv::kSlotNoFbc, agv::kSlotFbc}) {
        for (int j = 0; j < agv::kPoseFields; ++j)
            start[base + j] = pose[j];
    }
    const agv::PoseRecord& ref = ctx.store->fbcRefTraj[k][n];
    const agv::ReferencePoint startRef{ref[0], ref[1], ref[2], ref[3], ref[4], 0.0, 0.0};
    agv::ReferencePoint refs[2] = {startRef, startRef};
    start[agv::kSlotParam] = pose[agv::kPoseX];  // x is the parameter of the cosine
    refs[0].p = refs[1].p = pose[agv::kPoseX];
    const double h = ctx.settings.dt / 5.0;
    for (auto _ : bench) {
        agv::MotionState state = start;
        agv::MotionState next{};
        agv::ReferencePoint work[2] = {refs[0], refs[1]};
        ctx.errors = agv::ErrorSignals{};
        agv::rkgStep(ctx, 0.0, h, 1, 2, state, next, work, agv::kStateSlots);
        benchmark::DoNotOptimize(next);
    }
}
BENCHMARK(BM_RkgStep);

}  // namespace
