// Time to refuse a path that is far too long: the scenario's length check, as every front
// end runs it.
#include <benchmark/benchmark.h>

#include "path/arc_length.h"
#include "path/path_length.h"
#include "sim/model.h"
#include "sim/scenario.h"

namespace {

/// Sets curve I's two constants, then refuses it; the run fails when the path passes.
void refuse(benchmark::State& bench, int curve, double first, double second) {
    agv::Model model;
    agv::Scenario scenario;
    scenario.curveNumber = curve;
    agv::CurveParams& c = scenario.curve;
    switch (curve) {
        case 2:
            c.cycloidA = first;
            c.cycloidL = second;
            break;
        case 3:
            c.quadraticA = first;
            c.quadraticL = second;
            break;
        case 12:
            c.spiralA = first;
            c.spiralN = second;
            break;
        case 14:
            c.roseA = first;
            c.roseN = second;
            break;
        case 15:
            c.circleR = first;
            c.circleN = second;
            break;
        default:
            c.cosineA = first;
            c.cosineL = second;
            break;
    }
    for (auto _ : bench) {
        if (agv::checkScenarioPath(model, scenario).accepted()) {
            bench.SkipWithError("the path was accepted");
            return;
        }
    }
}

void BM_RefuseQuadraticL1e9(benchmark::State& bench) {
    refuse(bench, 3, 1.0, 1e9);
}
BENCHMARK(BM_RefuseQuadraticL1e9)->Unit(benchmark::kMillisecond);

void BM_RefuseCycloidL1e308(benchmark::State& bench) {
    refuse(bench, 2, 30.0, 1e308);
}
BENCHMARK(BM_RefuseCycloidL1e308)->Unit(benchmark::kMillisecond);

void BM_RefuseSpiralN1e9(benchmark::State& bench) {
    refuse(bench, 12, 1.0, 1e9);
}
BENCHMARK(BM_RefuseSpiralN1e9)->Unit(benchmark::kMillisecond);

void BM_RefuseRoseN1em9(benchmark::State& bench) {
    refuse(bench, 14, 1.0, 1e-9);
}
BENCHMARK(BM_RefuseRoseN1em9)->Unit(benchmark::kMillisecond);

void BM_RefuseCircleN1e9(benchmark::State& bench) {
    refuse(bench, 15, 1.0, 1e9);
}
BENCHMARK(BM_RefuseCircleN1e9)->Unit(benchmark::kMillisecond);

// The slowest refusals: just inside the cheap sum, and a length of 10^4 m.
void BM_RefuseQuadraticL131(benchmark::State& bench) {
    refuse(bench, 3, 1.0, 131.0);
}
BENCHMARK(BM_RefuseQuadraticL131)->Unit(benchmark::kMillisecond);

void BM_RefuseQuadraticL1e4(benchmark::State& bench) {
    refuse(bench, 3, 1.0, 1e4);
}
BENCHMARK(BM_RefuseQuadraticL1e4)->Unit(benchmark::kMillisecond);

}  // namespace
