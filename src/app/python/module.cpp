// The Python module's entry into the simulator: a scenario from Python's arguments, checked
// and applied through the core's one way in, computed with the GIL released, and the
// recorded samples handed over as NumPy arrays. The Python package (agvsim/__init__.py)
// puts these in Python's words.
#include <pybind11/complex.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdint>
#include <future>
#include <limits>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "app/calibrate/calibration_report.h"
#include "app/common/computation.h"
#include "app/common/context.h"
#include "app/common/outcome_text.h"
#include "app/common/output_target.h"
#include "app/common/random_table_file.h"
#include "app/common/text_output.h"
#include "app/common/trajectory_csv.h"
#include "app/sweep/grid.h"
#include "app/sweep/options.h"
#include "app/sweep/session.h"
#include "app/sweep/shard_merge.h"
#include "path/curve_catalog.h"
#include "sim/controller.h"
#include "sim/controller_theory.h"
#include "sim/following_figures.h"
#include "sim/linear_theory.h"
#include "sim/mechanism_error.h"
#include "sim/scenario.h"
#include "sim/scenario_text.h"
#include "sim/square_benchmark.h"

namespace py = pybind11;

namespace {

/// Random tables that cannot be read; the package raises it as a refusal of ``tables``.
class TablesUnreadable : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// Values of one recorded sample, in the trajectory CSV's order after type and record: t,
/// then (s, θ, x, y, φ) of the theory, no-FBC, FBC vehicles and the reference point, then
/// dd and dth without and with FBC.
constexpr int kPoseValues = 5;
constexpr int kSampleColumns = 1 + 4 * kPoseValues + 4;

/// The name of the Python argument that set the field a refusal concerns.
const char* argumentOf(agv::ScenarioField field) {
    switch (field) {
        case agv::ScenarioField::kError:
            return "error";
        case agv::ScenarioField::kErrorValue1:
        case agv::ScenarioField::kErrorValue2:
            return "error_values";
        case agv::ScenarioField::kCurve:
            return "curve";
        case agv::ScenarioField::kCurveConstant:
        case agv::ScenarioField::kCurveConstants:
            return "curve_params";
        case agv::ScenarioField::kFn:
            return "fn";
        case agv::ScenarioField::kZeta:
            return "zeta";
        case agv::ScenarioField::kDesign:
            return "fn/zeta";
        case agv::ScenarioField::kPathLength:
            return "path";
        case agv::ScenarioField::kLookahead:
            return "lookahead";
        case agv::ScenarioField::kStanleyGain:
            return "stanley_gain";
        case agv::ScenarioField::kLqrWeights:
            return "lqr_weights";
        case agv::ScenarioField::kNone:
            break;
    }
    return "";
}

/// The keyword of an error given by its own (rear_wheels, drift, ...).
const char* keywordOf(agv::MechanismError error) {
    switch (error) {
        case agv::MechanismError::kRearWheels:
            return "rear_wheels";
        case agv::MechanismError::kFrontWheel:
            return "front_wheel";
        case agv::MechanismError::kSteerDrift:
            return "drift";
        case agv::MechanismError::kWheelBaseTread:
            return "wheelbase_tread";
        case agv::MechanismError::kSlip:
            return "slip";
        default:
            return "error_values";
    }
}

/// The random tables of one folder, read afresh for every computation (five small files),
/// so that an edited table is never served from an old copy.
agv::RandomTables tablesFrom(const std::string& folder) {
    agv::RandomTables tables{};
    std::string error;
    if (!agv::loadRandomTablesFrom(folder, tables, error)) throw TablesUnreadable(error);
    return tables;
}

/// How often the calling thread lets Python's signal handlers run while a run computes:
/// Ctrl-C ends a run well within half a second.
constexpr auto kSignalPoll = std::chrono::milliseconds(20);

/// Computes the context's scenario on a worker thread with the GIL released, while the
/// calling thread takes the GIL back every kSignalPoll to let Python's signal handlers run.
/// When one raises (Ctrl-C: KeyboardInterrupt), the computation is asked to stop, the worker
/// is joined (it ends within a record) and the exception raised: no thread is left running.
agv::RunOutcome computeInterruptibly(agv::AgvContext& ctx) {
    std::atomic<bool> stop{false};
    std::packaged_task<agv::RunOutcome()> task([&ctx, &stop] {
        return agv::computeTrajectories(ctx, agv::TypeScheduling::kConcurrent, {}, &stop);
    });
    std::future<agv::RunOutcome> outcome = task.get_future();
    std::unique_ptr<py::error_already_set> raised;
    {
        py::gil_scoped_release release;
        std::thread worker(std::move(task));
        while (outcome.wait_for(kSignalPoll) != std::future_status::ready) {
            py::gil_scoped_acquire acquire;
            if (PyErr_CheckSignals() != 0) {
                raised = std::make_unique<py::error_already_set>();
                stop.store(true, std::memory_order_relaxed);
                break;
            }
        }
        worker.join();
    }
    if (raised) throw std::move(*raised);
    return outcome.get();
}

/// Errors given by their own keywords: (error number, first value, second value).
using NamedErrors = std::vector<std::tuple<int, double, double>>;

/// The feedback law of run()'s arguments: its name and the parameters given (None keeps the
/// law's default).
struct Law {
    std::string controller = "fnzeta";
    std::optional<double> lookahead;
    std::optional<double> stanleyGain;
    /// Qd, Qθ, Qφ, R; empty: the defaults.
    std::vector<double> lqrWeights;
};

/// Qd, Qθ, Qφ and R of lqr_weights.
constexpr std::size_t kLqrWeightCount = 4;

void applyLaw(agv::Scenario& scenario, const Law& law) {
    // The package checks the name first; this guards the module's own callers.
    if (!agv::controllerOfName(law.controller.c_str(), scenario.controller))
        throw py::value_error("controller names no law: " + law.controller);
    agv::ControllerParams& c = scenario.controllerParams;
    if (law.lookahead) c.lookahead = *law.lookahead;
    if (law.stanleyGain) c.stanleyGain = *law.stanleyGain;
    if (law.lqrWeights.empty()) return;
    if (law.lqrWeights.size() != kLqrWeightCount)
        throw py::value_error("lqr_weights takes four values Qd, Qth, Qphi, R");
    c.lqrOffset = law.lqrWeights[0];
    c.lqrHeading = law.lqrWeights[1];
    c.lqrThird = law.lqrWeights[2];
    c.lqrInput = law.lqrWeights[3];
}

/// The scenario of run()'s arguments: --error N stands for its named keyword, the two forms
/// give one scenario.
agv::Scenario scenarioOf(int error, const std::vector<double>& errorValues, int curve,
                         const std::vector<double>& curveParams, double fn, double zeta,
                         const NamedErrors& named, std::optional<std::uint32_t> seed, bool mirror,
                         const Law& law) {
    agv::Scenario scenario;
    applyLaw(scenario, law);
    for (const auto& [number, value1, value2] : named)
        agv::giveError(scenario.errors, agv::mechanismErrorOf(number), value1, value2);
    agv::giveError(scenario.errors, agv::mechanismErrorOf(error),
                   errorValues.empty() ? 0.0 : errorValues[0],
                   errorValues.size() > 1 ? errorValues[1] : 0.0);
    scenario.curveNumber = curve;
    agv::setCurveConstants(scenario, curve, curveParams.data(),
                           static_cast<int>(curveParams.size()));
    scenario.fn = fn;
    scenario.zeta = zeta;
    scenario.seed = seed;
    scenario.mirror = mirror;
    return scenario;
}

/// The canonical text of run()'s arguments.
std::string scenarioTextOf(int error, const std::vector<double>& errorValues, int curve,
                           const std::vector<double>& curveParams, double fn, double zeta,
                           const NamedErrors& named, std::optional<std::uint32_t> seed, bool mirror,
                           const Law& law) {
    return agv::scenarioText(
        scenarioOf(error, errorValues, curve, curveParams, fn, zeta, named, seed, mirror, law));
}

/// run()'s keywords of a scenario text; ValueError naming the field that does not read.
py::dict parseScenario(const std::string& text) {
    agv::Scenario scenario;
    agv::ScenarioTextError error;
    if (!agv::parseScenarioText(text, scenario, error)) {
        throw py::value_error(error.field + "\n" + error.message);
    }
    py::dict keywords;
    static const std::pair<agv::MechanismError, const char*> kKeywords[] = {
        {agv::MechanismError::kRearWheels, "rear_wheels"},
        {agv::MechanismError::kFrontWheel, "front_wheel"},
        {agv::MechanismError::kSteerDrift, "drift"},
        {agv::MechanismError::kWheelBaseTread, "wheelbase_tread"},
        {agv::MechanismError::kSlip, "slip"},
    };
    for (const auto& [kind, keyword] : kKeywords) {
        if (!agv::hasError(scenario.errors.given, kind)) continue;
        double values[2];
        agv::errorValuesOf(scenario.errors, kind, values);
        if (agv::mechanismErrorInfo(kind)->valueCount == 2) {
            keywords[keyword] = py::make_tuple(values[0], values[1]);
        } else {
            keywords[keyword] = values[0];
        }
    }
    keywords["curve"] = scenario.curveNumber;
    double constants[agv::kMaxCurveConstants] = {};
    agv::curveConstantsOf(scenario, scenario.curveNumber, constants);
    py::list params;
    for (int i = 0; i < agv::curveConstantCount(scenario.curveNumber); ++i)
        params.append(constants[i]);
    keywords["curve_params"] = params;
    keywords["fn"] = scenario.fn;
    keywords["zeta"] = scenario.zeta;
    if (scenario.seed) keywords["seed"] = *scenario.seed;
    keywords["mirror"] = scenario.mirror;
    keywords["controller"] = agv::controllerName(scenario.controller);
    const agv::ControllerParams& c = scenario.controllerParams;
    keywords["lookahead"] = c.lookahead;
    keywords["stanley_gain"] = c.stanleyGain;
    keywords["lqr_weights"] = py::make_tuple(c.lqrOffset, c.lqrHeading, c.lqrThird, c.lqrInput);
    return keywords;
}

/// One computation: its context (the trajectory store) and outcome, or the refusal that
/// stopped it before it ran.
class Computation {
  public:
    Computation(int error, const std::vector<double>& errorValues, int curve,
                const std::vector<double>& curveParams, double fn, double zeta, bool compute,
                const std::string& tables, const NamedErrors& named,
                std::optional<std::uint32_t> seed, bool mirror, const Law& law)
        : ctx_(std::make_unique<agv::AgvContext>()) {
        const agv::Scenario scenario =
            scenarioOf(error, errorValues, curve, curveParams, fn, zeta, named, seed, mirror, law);

        ctx_->out = &agv::discardedText();
        ctx_->model.tables = tablesFrom(tables);
        agv::initialiseRun(*ctx_);
        for (const auto& given : named)
            named_ |= agv::errorBit(agv::mechanismErrorOf(std::get<0>(given)));
        refusal_ = agv::useScenario(*ctx_, scenario);
        if (!refusal_.accepted() || !compute) return;
        outcome_ = computeInterruptibly(*ctx_);
        computed_ = true;
    }

    bool refused() const { return !refusal_.accepted(); }
    bool pathTooLong() const { return refusal_.field == agv::ScenarioField::kPathLength; }
    std::string refusalReason() const { return agv::refusalReason(refusal_); }
    std::string refusalMessage() const {
        std::string text = agv::refusalText(refusal_);
        const auto first = text.find_first_not_of(" \n");
        return first == std::string::npos ? std::string() : text.substr(first);
    }
    std::string refusalField() const {
        // An error given by its own keyword is named by it.
        if (refusal_.field == agv::ScenarioField::kErrorValue1 ||
            refusal_.field == agv::ScenarioField::kErrorValue2) {
            if (named_ & agv::errorBit(refusal_.error)) return keywordOf(refusal_.error);
        }
        return argumentOf(refusal_.field);
    }

    std::string outcome() const {
        switch (outcome_.status) {
            case agv::RunStatus::kDone:
                return "done";
            case agv::RunStatus::kStoreOverflow:
                return "overflow";
            case agv::RunStatus::kDiverged:
                return "diverged";
            case agv::RunStatus::kStopped:
                return "stopped";
        }
        return "done";
    }
    std::string reason() const { return agv::outcomeReason(outcome_); }
    int failedType() const { return outcome_.done() ? 0 : outcome_.vehicleType; }

    /// The types whose vehicle with feedback left the path: (type, last record kept).
    std::vector<std::pair<int, int>> divergedTypes() const {
        std::vector<std::pair<int, int>> types;
        if (!computed_ || outcome_.status == agv::RunStatus::kStoreOverflow ||
            outcome_.status == agv::RunStatus::kStopped)
            return types;
        const agv::TrajectoryStore& store = *ctx_->data.store;
        for (int k = 0; k < agv::kVehicleTypeCount; ++k) {
            if (store.diverged[k]) types.emplace_back(k + 1, store.recordCount[k]);
        }
        return types;
    }

    /// The samples of type 1-3, one row per record, kSampleColumns columns.
    py::array_t<double> samples(int type) const {
        if (type < 1 || type > agv::kVehicleTypeCount) throw py::index_error("type is 1, 2 or 3");
        const agv::TrajectoryStore& store = *ctx_->data.store;
        const int k = type - 1;
        const int last = recorded(k) ? store.recordCount[k] : -1;
        py::array_t<double> array(
            {static_cast<py::ssize_t>(last + 1), static_cast<py::ssize_t>(kSampleColumns)});
        auto out = array.mutable_unchecked<2>();
        const double dt = ctx_->model.settings.dt;
        for (int n = 0; n <= last; ++n) {
            int c = 0;
            out(n, c++) = n == last ? store.endTime[k] : n * dt;
            for (const auto* poses : {store.theoryTraj[k].data(), store.noFbcTraj[k].data(),
                                      store.fbcTraj[k].data(), store.fbcRefTraj[k].data()}) {
                for (int j = 0; j < kPoseValues; ++j)
                    out(n, c++) = poses[n][j];
            }
            out(n, c++) = store.noFbcErr[k][n][0];
            out(n, c++) = store.noFbcErr[k][n][1];
            out(n, c++) = store.fbcErr[k][n][0];
            out(n, c++) = store.fbcErr[k][n][1];
        }
        return array;
    }

    /// The trajectory table in agvsim-batch's CSV format.
    py::bytes csv() const {
        std::ostringstream out;
        agv::writeTrajectoryCsv(out, *ctx_->data.store, ctx_->model.settings.dt);
        return out.str();
    }

    /// What agvsim-batch --summary prints, per type.
    py::list summary() const {
        py::list types;
        const auto figures = agv::summariseTrajectories(*ctx_->data.store);
        for (int k = 0; k < agv::kVehicleTypeCount; ++k) {
            const agv::TypeSummary& t = figures[k];
            py::dict type;
            type["records"] = t.lastRecord + 1;
            type["end_time"] = t.endTime;
            const char* vehicles[3] = {"theory", "nofbc", "fbc"};
            const agv::PoseRecord* poses[3] = {&t.finalTheory, &t.finalNoFbc, &t.finalFbc};
            const char* fields[kPoseValues] = {"s", "theta", "x", "y", "phi"};
            for (int v = 0; v < 3; ++v) {
                for (int j = 0; j < kPoseValues; ++j)
                    type[(std::string("final_") + vehicles[v] + "_" + fields[j]).c_str()] =
                        (*poses[v])[j];
            }
            type["nofbc_max_dd"] = t.maxDdNoFbc;
            type["nofbc_max_dth"] = t.maxDthNoFbc;
            type["fbc_max_dd"] = t.maxDdFbc;
            type["fbc_max_dth"] = t.maxDthFbc;
            types.append(type);
        }
        return types;
    }

    /// How closely each type's vehicle with feedback followed the path (docs/controllers.md,
    /// "Comparing the laws"): per type a dict, or None for a type without its records.
    py::list followingFigures() const {
        py::list types;
        for (int k = 0; k < agv::kVehicleTypeCount; ++k) {
            if (!recorded(k)) {
                types.append(py::none());
                continue;
            }
            const agv::FollowingFigures f =
                agv::followingFigures(*ctx_->data.store, k, ctx_->model.settings.dt);
            py::dict type;
            type["peak_dd"] = f.peakDd;
            type["rms_dd"] = f.rmsDd;
            type["steady_dd"] = f.steadyDd;
            type["settling_time"] = f.settlingTime;
            type["correction_integral"] = f.correctionIntegral;
            types.append(type);
        }
        return types;
    }

    /// The poles of each type's design over the natural frequencies fns [Hz] at the
    /// settings' ζ (docs/theory.md, section 7): per type (lateral [n, 3], along-path [n, 2]).
    py::list rootLocus(const std::vector<double>& fns) const {
        py::list types;
        const py::ssize_t n = static_cast<py::ssize_t>(fns.size());
        for (int type = 1; type <= agv::kVehicleTypeCount; ++type) {
            const std::vector<agv::LocusPoint> locus =
                agv::rootLocus(ctx_->model.settings, type, fns);
            py::array_t<std::complex<double>> lateral({n, py::ssize_t{agv::kLateralStates}});
            py::array_t<std::complex<double>> along({n, py::ssize_t{agv::kAlongPathStates}});
            auto l = lateral.mutable_unchecked<2>();
            auto a = along.mutable_unchecked<2>();
            for (py::ssize_t i = 0; i < n; ++i) {
                const agv::LocusPoint& p = locus[static_cast<size_t>(i)];
                for (py::ssize_t j = 0; j < agv::kLateralStates; ++j)
                    l(i, j) = p.lateral[static_cast<size_t>(j)];
                for (py::ssize_t j = 0; j < agv::kAlongPathStates; ++j)
                    a(i, j) = p.alongPath[static_cast<size_t>(j)];
            }
            types.append(py::make_tuple(lateral, along));
        }
        return types;
    }

    /// dd/u of each type for a heading-rate disturbance u at the angular frequencies
    /// omegas [rad/s] (docs/theory.md, section 6), at the path's curvature.
    py::list headingRateResponse(const std::vector<double>& omegas) const {
        py::list types;
        const double kappa = agv::pathCurvature(ctx_->model.settings).kappa;
        for (int type = 1; type <= agv::kVehicleTypeCount; ++type) {
            const std::vector<std::complex<double>> g = agv::headingRateResponse(
                ctx_->model.settings, ctx_->model.gains, type, kappa, omegas);
            types.append(
                py::array_t<std::complex<double>>(static_cast<py::ssize_t>(g.size()), g.data()));
        }
        return types;
    }

    /// The linear theory of the feedback vehicles (docs/theory.md); after a computation
    /// with the predicted dd on the record times of each type.
    py::dict theory() const {
        const agv::RunTheory theory = agv::runTheory(ctx_->model);
        const char* shapes[] = {"straight", "circle", "varying"};
        py::dict result;
        result["path"] = shapes[static_cast<int>(theory.path.shape)];
        result["kappa"] = theory.path.kappa;
        result["controller"] = agv::controllerName(ctx_->model.settings.controller);
        const bool otherLaw = ctx_->model.settings.controller != agv::ControllerKind::kFnZeta;
        bool stable = otherLaw || theory.stable();
        py::list types;
        for (const agv::TypeTheory& t : theory.types) {
            py::dict type;
            type["lateral_poles"] = py::array_t<std::complex<double>>(
                static_cast<py::ssize_t>(t.lateralPoles.size()), t.lateralPoles.data());
            type["along_path_poles"] = py::array_t<std::complex<double>>(
                static_cast<py::ssize_t>(t.alongPathPoles.size()), t.alongPathPoles.data());
            type["max_pole_real"] = t.maxPoleReal;
            type["stable"] = t.stable();
            const char* verdicts[] = {"stable", "right half-plane", "integration step"};
            type["verdict"] = verdicts[static_cast<int>(t.stability)];
            type["step"] = t.step;
            type["step_limit_fn"] =
                std::isnan(t.stepLimitFn) ? py::none() : py::cast(t.stepLimitFn);
            type["peak_steer_angle"] = t.peakSteerAngle;
            type["peak_steer_rate"] = t.peakSteerRate;
            type["peak_speed_correction"] = t.peakSpeedCorrection;
            type["peak_turn_correction"] = t.peakTurnCorrection;
            type["beyond_linear_range"] = t.beyondLinearRange;
            const auto periodic = [&](double v) {
                return t.periodic.defined ? py::cast(v) : py::none();
            };
            type["slip_dd_rms"] = std::isnan(t.slipDdRms) ? py::none() : py::cast(t.slipDdRms);
            type["path_omega"] = periodic(t.periodic.omega);
            type["periodic_mean_dd"] = periodic(t.periodic.mean);
            type["periodic_amplitude_dd"] = periodic(t.periodic.amplitude);
            type["slowest_time_constant"] = t.slowestTimeConstant;
            type["steady_dd"] = t.steady.defined ? py::cast(t.steady.dd) : py::none();
            type["steady_dth"] = t.steady.defined ? py::cast(t.steady.dth) : py::none();
            type["response_of_run_error"] = t.figuresOfRunError;
            type["response_steady"] = t.figures.steady;
            type["peak"] = t.figures.peak;
            type["overshoot"] = t.figures.overshoot;
            type["settling_time"] = t.figures.settlingTime;
            const int k = t.vehicleType - 1;
            if (computed_ && recorded(k)) {
                const agv::TrajectoryStore& store = *ctx_->data.store;
                const int last = store.recordCount[k];
                py::array_t<double> dd(static_cast<py::ssize_t>(last + 1));
                agv::predictOffsets(ctx_->model, t.vehicleType, ctx_->model.settings.dt, last,
                                    store.endTime[k], dd.mutable_data());
                type["predicted_dd"] = dd;
            } else {
                type["predicted_dd"] = py::none();
            }
            if (otherLaw) stable = replaceByLawTheory(t, type) && stable;
            types.append(type);
        }
        result["stable"] = stable;
        result["types"] = types;
        return result;
    }

  private:
    /// The figures of a law other than fn/ζ in place of the fn/ζ design's (docs/controllers.md):
    /// its lateral poles and steady offsets beside the fn/ζ speed law's along-path poles; its
    /// predicted dd on a straight path. What is not predicted for it is None. Whether it holds.
    bool replaceByLawTheory(const agv::TypeTheory& speedLaw, py::dict& type) const {
        const agv::Model& model = ctx_->model;
        const agv::LawTheory law = agv::lawTheory(model, speedLaw.vehicleType);
        const agv::LawLoop loop = agv::lawLoop(law, speedLaw);
        const bool rightHalfPlane = !(loop.maxPoleReal < 0.0);
        const bool stepFails = loop.maxStepGrowth > 1.0;
        type["lateral_poles"] = py::array_t<std::complex<double>>(
            static_cast<py::ssize_t>(law.poles.size()), law.poles.data());
        type["max_pole_real"] = loop.maxPoleReal;
        type["stable"] = !rightHalfPlane && !stepFails;
        type["verdict"] = rightHalfPlane ? "right half-plane"
                          : stepFails    ? "integration step"
                                         : "stable";
        const double slowest = law.poles.front().real();
        type["slowest_time_constant"] =
            slowest < 0.0 ? 1.0 / -slowest : std::numeric_limits<double>::infinity();
        type["steady_dd"] = law.steadyDefined ? py::cast(law.steadyDd) : py::none();
        type["steady_dth"] = law.steadyDefined ? py::cast(law.steadyDth) : py::none();
        for (const char* unpredicted :
             {"step_limit_fn", "peak_steer_angle", "peak_steer_rate", "peak_speed_correction",
              "peak_turn_correction", "beyond_linear_range", "slip_dd_rms", "path_omega",
              "periodic_mean_dd", "periodic_amplitude_dd", "response_of_run_error",
              "response_steady", "peak", "overshoot", "settling_time"})
            type[unpredicted] = py::none();
        const int k = speedLaw.vehicleType - 1;
        const bool straight = agv::pathCurvature(model.settings).shape == agv::PathShape::kStraight;
        if (computed_ && recorded(k) && straight) {
            const agv::TrajectoryStore& store = *ctx_->data.store;
            const int last = store.recordCount[k];
            std::vector<double> times(static_cast<std::size_t>(last) + 1);
            for (int n = 0; n <= last; ++n)
                times[static_cast<std::size_t>(n)] =
                    n == last ? store.endTime[k] : n * model.settings.dt;
            py::array_t<double> dd(static_cast<py::ssize_t>(last + 1));
            agv::predictLawOffsets(model.settings, model.lqr, speedLaw.vehicleType, times.data(),
                                   last + 1, dd.mutable_data());
            type["predicted_dd"] = dd;
        } else {
            type["predicted_dd"] = py::none();
        }
        return !rightHalfPlane && !stepFails;
    }

    /// Whether type index k has records to hand over: all types when done or diverged;
    /// after an overflow, only the types before the one that ran out; none of a stopped run.
    bool recorded(int k) const {
        if (refused() || !computed_ || outcome_.status == agv::RunStatus::kStopped) return false;
        if (outcome_.status != agv::RunStatus::kStoreOverflow) return true;
        return k < outcome_.vehicleType - 1;
    }

    std::unique_ptr<agv::AgvContext> ctx_;
    agv::Refusal refusal_;
    /// The errors given by their own keywords.
    agv::ErrorMask named_ = 0;
    agv::RunOutcome outcome_;
    bool computed_ = false;
};

py::list curveCatalog() {
    py::list curves;
    const agv::Scenario startup;
    for (const agv::CurveInfo& info : agv::kCurveCatalog) {
        py::list constants;
        for (int i = 0; i < info.constantCount; ++i) {
            const agv::CurveConstant& c = info.constants[i];
            constants.append(py::make_tuple(c.name, startup.curve.*(c.field), c.zeroMakesNoPath));
        }
        curves.append(py::make_tuple(info.number, info.name, constants));
    }
    return curves;
}

/// The laws' short names, the default first.
std::vector<std::string> controllerNames() {
    std::vector<std::string> names;
    for (int k = 0; const char* name = agv::controllerName(static_cast<agv::ControllerKind>(k));
         ++k)
        names.emplace_back(name);
    return names;
}

py::list errorCatalog() {
    py::list errors;
    for (const agv::MechanismErrorInfo& info : agv::kMechanismErrors) {
        const char* unit = info.unit == agv::ErrorUnit::kPercent   ? "%"
                           : info.unit == agv::ErrorUnit::kDegrees ? "deg"
                                                                   : "";
        errors.append(
            py::make_tuple(agv::errorNumberOf(info.kind), info.name, info.valueCount, unit));
    }
    return errors;
}

/// The square-path benchmark of agvsim-calibrate (docs/calibration.md) for the true errors
/// given by their keywords, the slip's first seed, the square's side and corner radius [m]
/// (None: the program's defaults) and the runs each way: ("", "", "", JSON, SVG) with the
/// program's --json object and --svg picture, or (argument, reason, Japanese message, "",
/// "") of a refusal. A run that does not end raises RuntimeError with its reason.
py::tuple umbmark(const NamedErrors& named, std::optional<std::uint32_t> seed,
                  std::optional<double> side, std::optional<double> cornerRadius, int runs,
                  const std::string& tables) {
    agv::Scenario scenario;
    for (const auto& [number, value1, value2] : named)
        agv::giveError(scenario.errors, agv::mechanismErrorOf(number), value1, value2);
    scenario.seed = seed;
    if (side) scenario.curve.squareL = *side;
    if (cornerRadius) scenario.curve.squareR = *cornerRadius;
    auto model = std::make_unique<agv::Model>();
    model->tables = tablesFrom(tables);
    const agv::BenchmarkRefusal refusal = agv::checkBenchmark(*model, scenario, runs);
    const auto refused = [](const char* argument, const std::string& reason,
                            const std::string& message) {
        return py::make_tuple(argument, reason, message, "", "");
    };
    switch (refusal.kind) {
        case agv::BenchmarkRefusalKind::kNone:
            break;
        case agv::BenchmarkRefusalKind::kNoRuns:
            return refused("runs", agv::formatText("%d runs each way; at least 1 is needed", runs),
                           "走行回数が1未満では測れない　設定し直し");
        case agv::BenchmarkRefusalKind::kCornerTooTight:
            return refused("corner_radius",
                           agv::formatText("a corner radius of %g m is too small for the "
                                           "vehicle: its inner wheel would run backwards below "
                                           "half the WheelBase, %g m",
                                           refusal.value, refusal.value2),
                           "角の半径が小さすぎて内側の車輪が逆転する　設定し直し");
        case agv::BenchmarkRefusalKind::kTooManySlipRuns:
            return refused("runs",
                           agv::formatText("%g runs each way with the slip; the %g m square "
                                           "allows at most %g (a second's work; a smaller "
                                           "square_side allows more)",
                                           refusal.value, refusal.value3, refusal.value2),
                           "スリップありの走行回数が多すぎる　設定し直し");
        case agv::BenchmarkRefusalKind::kScenario: {
            const agv::Refusal& r = refusal.scenario;
            const char* argument = keywordOf(r.error);
            if (r.field == agv::ScenarioField::kCurveConstant ||
                r.field == agv::ScenarioField::kPathLength) {
                argument = r.constantIndex == 1 ? "corner_radius" : "square_side";
            } else if (r.field == agv::ScenarioField::kCurveConstants) {
                argument = "corner_radius";
            } else if (r.field != agv::ScenarioField::kErrorValue1 &&
                       r.field != agv::ScenarioField::kErrorValue2) {
                argument = argumentOf(r.field);
            }
            std::string message = agv::refusalText(r);
            const auto first = message.find_first_not_of(" \n");
            return refused(argument, agv::refusalReason(r),
                           first == std::string::npos ? std::string() : message.substr(first));
        }
    }
    std::string json;
    std::string svg;
    std::string failure;
    {
        py::gil_scoped_release release;
        auto data = std::make_unique<agv::RunData>();
        const agv::Calibration c = agv::runCalibration(*model, *data, scenario, runs);
        for (const agv::BenchmarkRuns* benchmark : {&c.before, &c.after}) {
            if (!benchmark->outcome.done() && failure.empty())
                failure = agv::outcomeReason(benchmark->outcome);
        }
        if (failure.empty()) {
            json = agv::calibrationJson(c, scenario, runs);
            svg = agv::returnPositionsSvg(c);
        }
    }
    if (!failure.empty())
        throw std::runtime_error("a run of the benchmark did not end: " + failure);
    return py::make_tuple("", "", "", json, svg);
}

/// agvsim-sweep's table for its options (without --csv, --map, --merge): (status, table,
/// message) with the tool's exit status. The grid runs with the GIL released; every tenth
/// of a second the calling thread takes it back to call progress(done, total) (when not
/// None) and to let Python's signal handlers run, so that Ctrl-C ends the sweep after the
/// points in hand: every worker has ended when the KeyboardInterrupt is raised.
py::tuple sweepTable(const std::vector<std::string>& arguments, const std::string& tables,
                     const py::object& progress) {
    std::vector<const char*> argv{"agvsim-sweep"};
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    argv.push_back("--csv");
    argv.push_back("-");
    agv::SweepOptions options;
    std::string message;
    if (!agv::parseSweepOptions(static_cast<int>(argv.size()), argv.data(), options, message)) {
        return py::make_tuple(2, py::bytes(), message);
    }
    options.tablesFolder = tables;
    std::string table;
    int status = 0;
    std::unique_ptr<py::error_already_set> raised;
    {
        py::gil_scoped_release release;
        agv::SweepSession session;
        status = session.prepare(options, message);
        if (status == 0) {
            const std::size_t total = session.runCount();
            const auto tick = [&](std::size_t done) {
                py::gil_scoped_acquire acquire;
                if (raised) return;
                try {
                    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
                    if (!progress.is_none()) progress(done, total);
                } catch (py::error_already_set& error) {
                    raised = std::make_unique<py::error_already_set>(std::move(error));
                }
            };
            if (session.table(table, tick, [&] { return raised != nullptr; })) tick(total);
        }
    }
    if (raised) throw std::move(*raised);
    return py::make_tuple(status, py::bytes(table), message);
}

/// The values of an axis as agvsim-sweep reads them ("start:stop:count" or a comma list):
/// (values, "") or ([], the reason it is refused).
py::tuple axisValues(const std::string& flag, const std::string& text) {
    std::vector<double> values;
    std::string error;
    if (!agv::parseAxisValues(flag, text, values, error)) values.clear();
    return py::make_tuple(values, error);
}

/// Writes bytes as the whole file path with the tools' output rules (a temporary file
/// renamed into place, FIFOs and devices written in place): "" or the reason it failed.
std::string writeFile(const std::string& path, const py::bytes& data) {
    const std::string_view view = data;
    std::vector<std::uint8_t> bytes(view.begin(), view.end());
    std::string error;
    py::gil_scoped_release release;
    if (!agv::writeWholeFile(path, bytes, error) && error.empty()) error = "not written";
    return error;
}

/// agvsim-sweep --merge of the shard tables into the file output: (status, message).
py::tuple mergeTables(const std::vector<std::string>& paths, const std::string& output) {
    // A merge needs at least one shard: the whole grid cannot be made of none.
    if (paths.empty()) return py::make_tuple(2, std::string("no shard tables to merge"));
    std::string message;
    int status = 0;
    {
        py::gil_scoped_release release;
        status = agv::mergeShardTables(paths, output, message);
    }
    return py::make_tuple(status, message);
}

}  // namespace

PYBIND11_MODULE(_agvsim, m) {
    m.doc() = "The C++ simulator behind the agvsim package; use agvsim, not this module.";
    py::class_<Law>(m, "Law")
        .def(py::init<>())
        .def_readwrite("controller", &Law::controller)
        .def_readwrite("lookahead", &Law::lookahead)
        .def_readwrite("stanley_gain", &Law::stanleyGain)
        .def_readwrite("lqr_weights", &Law::lqrWeights);
    py::class_<Computation>(m, "Computation")
        .def(py::init<int, const std::vector<double>&, int, const std::vector<double>&, double,
                      double, bool, const std::string&, const NamedErrors&,
                      std::optional<std::uint32_t>, bool, const Law&>(),
             py::arg("error"), py::arg("error_values"), py::arg("curve"), py::arg("curve_params"),
             py::arg("fn"), py::arg("zeta"), py::arg("compute"), py::arg("tables"),
             py::arg("named_errors") = NamedErrors{}, py::arg("seed") = py::none(),
             py::arg("mirror") = false, py::arg("law") = Law{})
        .def_property_readonly("refused", &Computation::refused)
        .def_property_readonly("path_too_long", &Computation::pathTooLong)
        .def_property_readonly("refusal_reason", &Computation::refusalReason)
        .def_property_readonly("refusal_message", &Computation::refusalMessage)
        .def_property_readonly("refusal_field", &Computation::refusalField)
        .def_property_readonly("outcome", &Computation::outcome)
        .def_property_readonly("reason", &Computation::reason)
        .def_property_readonly("failed_type", &Computation::failedType)
        .def_property_readonly("diverged_types", &Computation::divergedTypes)
        .def("samples", &Computation::samples, py::arg("type"))
        .def("csv", &Computation::csv)
        .def("summary", &Computation::summary)
        .def("following_figures", &Computation::followingFigures)
        .def("theory", &Computation::theory)
        .def("root_locus", &Computation::rootLocus, py::arg("fns"))
        .def("heading_rate_response", &Computation::headingRateResponse, py::arg("omegas"));
    m.def("curve_catalog", &curveCatalog);
    m.def("scenario_text", &scenarioTextOf, py::arg("error"), py::arg("error_values"),
          py::arg("curve"), py::arg("curve_params"), py::arg("fn"), py::arg("zeta"),
          py::arg("named_errors"), py::arg("seed"), py::arg("mirror"), py::arg("law") = Law{});
    m.def("parse_scenario", &parseScenario, py::arg("text"));
    m.def("sweep_table", &sweepTable, py::arg("arguments"), py::arg("tables"), py::arg("progress"));
    m.def("axis_values", &axisValues, py::arg("flag"), py::arg("text"));
    m.def("write_file", &writeFile, py::arg("path"), py::arg("data"));
    py::register_exception<TablesUnreadable>(m, "TablesUnreadable", PyExc_OSError);
    m.def("merge_tables", &mergeTables, py::arg("paths"), py::arg("output"));
    m.def("error_catalog", &errorCatalog);
    m.def("controller_names", &controllerNames);
    m.def("umbmark", &umbmark, py::arg("named_errors"), py::arg("seed"), py::arg("side"),
          py::arg("corner_radius"), py::arg("runs"), py::arg("tables"));
    m.attr("SAMPLE_COLUMNS") = kSampleColumns;
}
