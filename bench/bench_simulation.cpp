// Speed of the trajectory computation: whole runs of caltraj, one integration step, and
// the reference point search in its fast and its plain form.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "app/common/random_table_file.h"
#include "path/arc_length.h"
#include "sim/caltraj.h"
#include "sim/feedback.h"
#include "sim/rkg_step.h"

namespace {

/// A model set up for a computation on curve I, as the dialogue leaves it.
void prepare(agv::Model& model, int curveNumber, agv::MechanismError error) {
    model.settings.errorNumber = error;
    if (error != agv::MechanismError::kNone) model.settings.errorsGiven = agv::errorBit(error);
    model.settings.curveNumber = curveNumber;
    agv::setupPath(model, curveNumber);
    agv::designGains(model);
    agv::buildArcTable(model, curveNumber);
}

void runCaltraj(benchmark::State& bench, const agv::Model& model, agv::RunData& data) {
    int records = 0;
    for (auto _ : bench) {
        const agv::RunOutcome outcome = agv::caltraj(model, data);
        benchmark::DoNotOptimize(outcome);
        const agv::TrajectoryStore& store = *data.store;
        records = store.recordCount[0] + store.recordCount[1] + store.recordCount[2];
    }
    bench.counters["records"] = records;
}

void BM_CaltrajDefaultCosine(benchmark::State& bench) {
    agv::Model model;
    agv::RunData data;
    prepare(model, 1, agv::MechanismError::kNone);
    runCaltraj(bench, model, data);
}
BENCHMARK(BM_CaltrajDefaultCosine)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CaltrajCircle56m(benchmark::State& bench) {
    agv::Model model;
    agv::RunData data;
    model.settings.curve.circleR = 4.7;
    model.settings.curve.circleN = 1.9;
    prepare(model, 15, agv::MechanismError::kNone);
    runCaltraj(bench, model, data);
}
BENCHMARK(BM_CaltrajCircle56m)->Unit(benchmark::kMillisecond)->UseRealTime();

/// The longest paths the length check accepts, whose parameter range outruns the arc
/// table: a straight 59.9 m, a cycloid of 48 m (also with a diverging design), a quadratic
/// and a cubic near 60 m.
void BM_CaltrajLongPath(benchmark::State& bench) {
    agv::Model model;
    agv::RunData data;
    agv::CurveParams& c = model.settings.curve;
    int curve = 1;
    switch (bench.range(0)) {
        case 0:
            c.cosineA = 0.0;
            c.cosineL = 59.9;
            bench.SetLabel("straight 59.9 m");
            break;
        case 1:
            curve = 2;
            c.cycloidA = 1.9;
            c.cycloidL = 47.88;
            bench.SetLabel("cycloid 48 m");
            break;
        case 2:
            curve = 2;
            c.cycloidA = 1.9;
            c.cycloidL = 47.88;
            model.settings.rearWheelErrL = 0.102;
            model.settings.fn = -99.9999999;
            model.settings.omegaN = agv::kTwoPi * model.settings.fn;
            bench.SetLabel("cycloid 48 m, error 1, fn -100 (diverges)");
            break;
        case 3:
            curve = 3;
            c.quadraticL = 59.5;
            bench.SetLabel("quadratic 59.5 m");
            break;
        default:
            curve = 4;
            c.cubicL = 59.5;
            bench.SetLabel("cubic 59.5 m");
            break;
    }
    const bool erroneous = bench.range(0) == 2;
    prepare(model, curve,
            erroneous ? agv::MechanismError::kRearWheels : agv::MechanismError::kNone);
    runCaltraj(bench, model, data);
}
BENCHMARK(BM_CaltrajLongPath)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseRealTime();

/// The 56.1 m circle with the types one after another, against BM_CaltrajCircle56m.
void BM_CaltrajCircle56mOneAfterAnother(benchmark::State& bench) {
    agv::Model model;
    agv::RunData data;
    model.settings.curve.circleR = 4.7;
    model.settings.curve.circleN = 1.9;
    prepare(model, 15, agv::MechanismError::kNone);
    for (auto _ : bench) {
        const agv::RunOutcome outcome =
            agv::caltraj(model, data, agv::TypeScheduling::kOneAfterAnother);
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(BM_CaltrajCircle56mOneAfterAnother)->Unit(benchmark::kMillisecond);

void BM_CaltrajCosineSlip(benchmark::State& bench) {
    agv::Model model;
    agv::RunData data;
    std::string error;
    if (!agv::loadRandomTables(model.tables, error)) {
        bench.SkipWithError(error.c_str());
        return;
    }
    model.settings.SLIP = 0.05;
    prepare(model, 1, agv::MechanismError::kSlip);
    runCaltraj(bench, model, data);
}
BENCHMARK(BM_CaltrajCosineSlip)->Unit(benchmark::kMillisecond);

/// The state of type 2 halfway along the default cosine, with error 0.
struct MidRun {
    agv::Model model;
    agv::RunData data;
    agv::MotionState start;
    agv::ReferencePoint refs[2];

    MidRun() {
        prepare(model, 1, agv::MechanismError::kNone);
        agv::caltraj(model, data);
        const int k = 1;
        const agv::TrajectoryStore& store = *data.store;
        const int n = store.recordCount[k] / 2;
        const agv::PoseRecord& pose = store.theoryTraj[k][n];
        const agv::Pose p{pose[0], pose[1], pose[2], pose[3], pose[4]};
        start.theory = start.noFbc = start.fbc = p;
        start.p = pose[agv::kPoseX];  // x is the parameter of the cosine
        const agv::PoseRecord& ref = store.fbcRefTraj[k][n];
        refs[0] = refs[1] =
            agv::ReferencePoint{ref[0], ref[1], ref[2], ref[3], ref[4], 0.0, pose[agv::kPoseX]};
    }
};

/// One sub-step of type 2 in the middle of the default cosine.
void BM_RkgStep(benchmark::State& bench) {
    MidRun mid;
    agv::MechanismRun& run = mid.data.mechanism[1];
    run.vehicleType = 2;
    const double h = mid.model.settings.dt / 5.0;
    for (auto _ : bench) {
        agv::MotionState state = mid.start;
        agv::MotionState next;
        run.refs[0] = mid.refs[0];
        run.refs[1] = mid.refs[1];
        run.errors = agv::ErrorSignals{};
        agv::rkgStep(mid.model, run, h, state, next);
        benchmark::DoNotOptimize(next);
    }
}
BENCHMARK(BM_RkgStep);

/// One reference point search of a vehicle 1 cm beside the path, from 0.1 behind: the fast
/// search (range 0) and the plain stepping (range 1).
void BM_ReferenceSearch(benchmark::State& bench) {
    MidRun mid;
    const bool plain = bench.range(0) == 1;
    const agv::Pose& p = mid.start.fbc;
    const double x = p.x - 0.01 * std::sin(p.theta);
    const double y = p.y + 0.01 * std::cos(p.theta);
    for (auto _ : bench) {
        agv::ReferencePoint ref = mid.refs[1];
        const double pStart = ref.p - agv::kReferenceBackoff;
        const double dd =
            plain ? agv::findReferencePointByStepping(mid.model, 1, x, y, p.theta, pStart, ref)
                  : agv::findReferencePoint(mid.model, 1, x, y, p.theta, pStart, ref);
        benchmark::DoNotOptimize(dd);
    }
}
BENCHMARK(BM_ReferenceSearch)->Arg(0)->Arg(1);

}  // namespace
