// Time to draw one window frame of the longest path (circle R = 4.7 m, n = 1.9 turns,
// about 56 m) at the end of its motion, with every trajectory and series complete; and the
// page's recorded frame of it, alone and with a pinned run of another error size over it.
// Needs an X display: run under xvfb-run.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "app/common/computation.h"
#include "app/common/context.h"
#include "app/common/draw_context.h"
#include "app/console/dialogue.h"
#include "app/console/path_dialogue.h"
#include "draw/frame.h"
#include "draw/gl_window.h"
#include "draw/recording_backend.h"
#include "path/arc_length.h"
#include "path/path_length.h"

namespace {

constexpr int kCircleCurve = 15;

std::unique_ptr<agv::AgvContext> longestRun(double frontWheelError = 2.0) {
    auto ctx = std::make_unique<agv::AgvContext>();
    std::ostringstream discard;
    ctx->out = &discard;
    agv::initialiseRun(*ctx);
    agv::Scenario scenario;
    scenario.errors = agv::onlyError(agv::MechanismError::kFrontWheel, frontWheelError);
    scenario.curveNumber = kCircleCurve;
    const double circle[2] = {4.7, 1.9};
    agv::setCurveConstants(scenario, kCircleCurve, circle, 2);
    if (!agv::useScenario(*ctx, scenario).accepted() || !agv::computeTrajectories(*ctx).done()) {
        std::fprintf(stderr, "the longest path could not be computed\n");
        std::exit(1);
    }
    ctx->out = &std::cout;
    return ctx;
}

struct Session {
    Session() : ctx(longestRun()), pinned(longestRun(1.0)) {
        char name[] = "agv_bench";
        char* argv[] = {name, nullptr};
        int argc = 1;
        if (!agv::initGlut(argc, argv)) {
            std::fprintf(stderr, "bench_frame needs an X display (run it under xvfb-run)\n");
            std::exit(1);
        }
        agv::createDrawingWindow();
    }
    std::unique_ptr<agv::AgvContext> ctx;
    /// The same path with half the error, for the comparison.
    std::unique_ptr<agv::AgvContext> pinned;
};

Session& session() {
    static Session s;
    return s;
}

void BM_FrameLongestPath(benchmark::State& state) {
    agv::AgvContext& ctx = *session().ctx;
    ctx.view.vehicleType = static_cast<int>(state.range(0));
    ctx.view.motionIndex = ctx.data.store->recordCount[ctx.view.vehicleType - 1];
    for (auto _ : state) {
        agv::drawFrame(ctx);
        glFinish();
    }
    state.counters["records"] = ctx.view.motionIndex;
}
BENCHMARK(BM_FrameLongestPath)
    ->DenseRange(1, 3)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

void BM_RecordedFrame(benchmark::State& state) {
    agv::AgvContext& ctx = *session().ctx;
    ctx.view.vehicleType = 1;
    ctx.view.motionIndex = ctx.data.store->recordCount[0];
    const agv::TrajectoryStore* pinned =
        state.range(0) != 0 ? session().pinned->data.store.get() : nullptr;
    agv::RecordingBackend b;
    for (auto _ : state) {
        b.reset();
        agv::drawFrame(agv::sceneOf(ctx), b, pinned);
        benchmark::DoNotOptimize(b.numbers().data());
    }
    state.counters["numbers"] = static_cast<double>(b.numbers().size());
}
BENCHMARK(BM_RecordedFrame)
    ->Arg(0)
    ->Arg(1)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
