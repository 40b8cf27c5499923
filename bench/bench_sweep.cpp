// Speed of a sweep: a 20 × 20 fn × ζ grid on the default cosine (400 points, 1,200 runs
// of a mechanism) with 1 and 2 worker threads, and the animated GIF of the default run
// (type 2, every 3rd record; needs an X display: run under xvfb-run). CPU times are of the
// whole process (all threads). Peak memory per job is measured on the program itself:
// /usr/bin/time -v build-rel/src/agvsim-sweep ...
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/common/computation.h"
#include "app/common/context.h"
#include "app/common/draw_context.h"
#include "app/common/text_output.h"
#include "app/console/dialogue.h"
#include "app/sweep/grid.h"
#include "app/sweep/point_run.h"
#include "app/sweep/pool.h"
#include "draw/picture_export.h"

namespace {

/// Values per axis of the grid.
constexpr int kAxisValues = 20;

void BM_Sweep20x20(benchmark::State& bench) {
    agv::SweepModel model;
    std::string error;
    if (!model.load(error)) {
        bench.SkipWithError(error.c_str());
        return;
    }
    agv::SweepGrid grid;
    std::vector<double>& fn = grid.axes[agv::kAxisFn];
    std::vector<double>& zeta = grid.axes[agv::kAxisZeta];
    fn.clear();
    zeta.clear();
    for (int i = 0; i < kAxisValues; ++i) {
        fn.push_back(0.5 + 0.1 * i);
        zeta.push_back(0.3 + 0.1 * i);
    }
    std::vector<std::size_t> points(grid.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = i;
    std::vector<std::unique_ptr<agv::SweepRunner>> runners;
    for (int64_t j = 0; j < bench.range(0); ++j)
        runners.push_back(std::make_unique<agv::SweepRunner>(model));
    std::size_t done = 0;
    for (auto _ : bench) {
        done = 0;
        agv::runSweepPoints(
            runners, agv::Scenario{}, points.size(),
            [&](std::size_t i) { return grid.at(points[i]); },
            [&](std::size_t, const agv::PointResult& result) {
                done += result[0].outcome == agv::CellOutcome::kDone ? 1 : 0;
            },
            [](std::size_t) {});
    }
    bench.counters["points_done"] = static_cast<double>(done);
}
BENCHMARK(BM_Sweep20x20)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(3);

void BM_GifDefaultRun(benchmark::State& bench) {
    agv::AgvContext ctx;
    ctx.out = &agv::discardedText();
    std::string error;
    agv::initialiseRun(ctx);
    if (!agv::computeTrajectories(ctx).done()) {
        bench.SkipWithError("the default run did not complete");
        return;
    }
    const std::string path =
        (std::filesystem::temp_directory_path() / "agv_bench_default.gif").string();
    agv::PictureRequest request;
    request.vehicleType = 2;
    request.frameEvery = 3;
    request.gifPath = path;
    for (auto _ : bench) {
        if (agv::exportPictures(ctx, request, error) != 0) {
            bench.SkipWithError(error.c_str());
            return;
        }
    }
    bench.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}
BENCHMARK(BM_GifDefaultRun)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Repetitions(3);

}  // namespace
