// The web page's entry points into the simulator: one run's conditions as a scenario text
// (the page's form and its links name a scenario by it), checked by the console dialogue's own
// rules, the computation, the condition report, the CSV of agvsim-batch, the window keys and the
// recorded picture. Every call into the simulation core is in this file.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/calibrate/calibration_report.h"
#include "app/common/computation.h"
#include "app/common/context.h"
#include "app/common/menu_names.h"
#include "app/common/outcome_text.h"
#include "app/common/random_table_file.h"
#include "app/common/report.h"
#include "app/common/text_output.h"
#include "app/common/trajectory_csv.h"
#include "draw/frame.h"
#include "draw/recording_backend.h"
#include "draw/scene.h"
#include "draw/window_keys.h"
#include "path/curve_catalog.h"
#include "sim/controller.h"
#include "sim/controller_theory.h"
#include "sim/exercise_text.h"
#include "sim/following_figures.h"
#include "sim/linear_theory.h"
#include "sim/model.h"
#include "sim/run_data.h"
#include "sim/scenario.h"
#include "sim/scenario_text.h"
#include "sim/square_benchmark.h"

namespace {

using agv::AgvContext;

/// The one run of the page.
struct WebSession {
    AgvContext ctx;
    /// True while the store holds a finished computation that can be shown.
    bool computed = false;
    agv::RecordingBackend picture;
    /// The calibration lab's own vehicle and records, so that the run on show stays (made at
    /// the first benchmark).
    std::unique_ptr<agv::Model> labModel;
    std::unique_ptr<agv::RunData> labData;
    /// The run pinned for comparison, drawn over the run on show (made at the first pin).
    std::unique_ptr<AgvContext> pinned;
    /// True while pinned holds a computed run.
    bool pinnedComputed = false;
    /// Time [s] and dd with feedback [m] of one type's records, in pairs (agv_dd_series).
    std::vector<double> ddSeries;
    /// Storage of the strings handed to the page; valid until the next call.
    std::string reply;
    std::string texts;
};

WebSession& session() {
    static WebSession* s = new WebSession;
    return *s;
}

/// A check's outcome: the form section it concerns, the dialogue's message and the same
/// in English.
struct Outcome {
    bool ok = true;
    const char* section = "";
    std::string message;
    std::string reason;
    /// The error whose value is refused (its number) and which of its values (0, 1).
    int errorNumber = 0;
    int valueIndex = 0;
    /// The field of a scenario text that does not parse.
    std::string field;
};

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \n");
    return text.substr(first, last - first + 1);
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string jsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string jsonNumbers(std::initializer_list<double> values) {
    std::string out = "[";
    for (const double v : values)
        out += (out.size() > 1 ? "," : "") + jsonNumber(v);
    return out + "]";
}

/// What the page shows of a computed run besides the picture: per type the last record,
/// end time, final and largest |dd| [m] and |dth| [rad] without and with feedback, and the
/// numbers of the condition report (speeds and each type's gains).
std::string runFacts(const AgvContext& ctx) {
    const agv::TrajectoryStore& store = *ctx.data.store;
    const auto summary = agv::summariseTrajectories(store);
    const agv::FeedbackGains& g = ctx.model.gains;
    std::string types = "[";
    for (int k = 0; k < 3; ++k) {
        const agv::TypeSummary& t = summary[k];
        const int n = t.lastRecord;
        types +=
            (k ? "," : "") + std::string("{\"last\":") + std::to_string(n) +
            ",\"end\":" + jsonNumber(t.endTime) + ",\"final\":" +
            jsonNumbers({store.noFbcErr[k][n][0], store.noFbcErr[k][n][1], store.fbcErr[k][n][0],
                         store.fbcErr[k][n][1]}) +
            ",\"peak\":" + jsonNumbers({t.maxDdNoFbc, t.maxDthNoFbc, t.maxDdFbc, t.maxDthFbc}) +
            "}";
    }
    return "{\"types\":" + types + "],\"Vw\":" + jsonNumber(ctx.model.settings.Vw) +
           ",\"omega\":" + jsonNumber(ctx.model.settings.omegaMax) + ",\"gains\":[" +
           jsonNumbers({g.Kd1, g.Kth1, g.KI1}) + "," + jsonNumbers({g.Kd2, g.Kth2, g.Kfi2}) + "," +
           jsonNumbers({g.Kd3, g.Kth3, g.Kfi3}) + "]}";
}

const char* replyWith(const Outcome& outcome, const std::string& report = {},
                      const std::string& facts = "null") {
    std::string& r = session().reply;
    r = "{\"ok\":";
    r += outcome.ok ? "true" : "false";
    r += ",\"section\":" + jsonString(outcome.section);
    r += ",\"message\":" + jsonString(outcome.message);
    r += ",\"reason\":" + jsonString(outcome.reason);
    r += ",\"errorNumber\":" + std::to_string(outcome.errorNumber);
    r += ",\"valueIndex\":" + std::to_string(outcome.valueIndex);
    r += ",\"field\":" + jsonString(outcome.field);
    r += ",\"report\":" + jsonString(report);
    r += ",\"facts\":" + facts + "}";
    return r.c_str();
}

/// The form section where the user set what a refusal concerns.
const char* sectionOf(agv::ScenarioField field) {
    switch (field) {
        case agv::ScenarioField::kError:
        case agv::ScenarioField::kErrorValue1:
        case agv::ScenarioField::kErrorValue2:
            return "error";
        case agv::ScenarioField::kFn:
        case agv::ScenarioField::kZeta:
        case agv::ScenarioField::kDesign:
        case agv::ScenarioField::kLookahead:
        case agv::ScenarioField::kStanleyGain:
        case agv::ScenarioField::kLqrWeights:
            return "feedback";
        default:
            return "curve";
    }
}

/// A refusal of the core's checks in the dialogue's words.
Outcome refused(const agv::Refusal& refusal) {
    Outcome outcome;
    outcome.ok = refusal.accepted();
    outcome.section = refusal.accepted() ? "" : sectionOf(refusal.field);
    outcome.message = trimmed(agv::refusalText(refusal));
    outcome.reason = agv::refusalReason(refusal);
    if (refusal.field == agv::ScenarioField::kErrorValue1 ||
        refusal.field == agv::ScenarioField::kErrorValue2) {
        outcome.errorNumber = agv::errorNumberOf(refusal.error);
        outcome.valueIndex = refusal.field == agv::ScenarioField::kErrorValue2 ? 1 : 0;
    }
    // A law's parameter is named as in a scenario text; an LQR weight by its place.
    switch (refusal.field) {
        case agv::ScenarioField::kLookahead:
            outcome.field = "lookahead";
            break;
        case agv::ScenarioField::kStanleyGain:
            outcome.field = "stanley-gain";
            break;
        case agv::ScenarioField::kLqrWeights:
            outcome.field = "lqr-weights";
            outcome.valueIndex = refusal.constantIndex < 0 ? 0 : refusal.constantIndex;
            break;
        default:
            break;
    }
    return outcome;
}

/// A text that is no scenario: the field at fault and what is wrong with it (the core's
/// words, in English; the page puts them next to the field).
Outcome unparsed(const agv::ScenarioTextError& bad) {
    Outcome outcome;
    outcome.ok = false;
    outcome.section = "text";
    outcome.field = bad.field;
    outcome.message = bad.field + ": " + bad.message;
    outcome.reason = bad.field + " " + bad.message;
    return outcome;
}

/// The scene of the session's run, and what its keys act on.
agv::Scene sceneOf(const AgvContext& ctx) {
    // The page's picture is a handout's: error sizes in full.
    return agv::Scene{ctx.model.settings, ctx.model.gains, ctx.model.path,
                      *ctx.data.store,    ctx.view,        agv::CaptionFormat::kExact};
}

agv::KeyAction applyKey(AgvContext& ctx, unsigned char key) {
    ctx.run.lastKey = static_cast<char>(key);
    return agv::applyWindowKey(agv::ViewControl{ctx.view, *ctx.data.store}, key);
}

/// The scenario of a text; false (with the field at fault) when it does not parse.
bool scenarioOf(const char* text, agv::Scenario& scenario, agv::ScenarioTextError& bad) {
    return agv::parseScenarioText(text ? text : "", scenario, bad);
}

/// A scenario's fields as the form shows them: each given error with its values, the curve
/// with all its constants, fn, ζ, the seed (null: none), mirror, the feedback law with every
/// law's parameters (the defaults where not given), numbers as text in their shortest form,
/// and the canonical text.
std::string formJson(const agv::Scenario& scenario) {
    std::string errors = "[";
    for (int n = 1; n <= agv::kMaxErrorNumber; ++n) {
        const agv::MechanismError error = agv::mechanismErrorOf(n);
        if (!agv::hasError(scenario.errors.given, error)) continue;
        double values[2];
        agv::errorValuesOf(scenario.errors, error, values);
        std::string list;
        for (int k = 0; k < agv::mechanismErrorInfo(error)->valueCount; ++k)
            list += (k ? "," : "") + jsonString(agv::shortestDecimal(values[k]));
        errors += (errors.size() > 1 ? "," : "") + std::string("{\"n\":") + std::to_string(n) +
                  ",\"values\":[" + list + "]}";
    }
    double constants[agv::kMaxCurveConstants] = {};
    agv::curveConstantsOf(scenario, scenario.curveNumber, constants);
    const agv::ControllerParams& p = scenario.controllerParams;
    std::string curve;
    for (int k = 0; k < agv::curveConstantCount(scenario.curveNumber); ++k)
        curve += (k ? "," : "") + jsonString(agv::shortestDecimal(constants[k]));
    return "{\"errors\":" + errors + "],\"curve\":" + std::to_string(scenario.curveNumber) +
           ",\"constants\":[" + curve +
           "],\"fn\":" + jsonString(agv::shortestDecimal(scenario.fn)) +
           ",\"zeta\":" + jsonString(agv::shortestDecimal(scenario.zeta)) +
           ",\"seed\":" + (scenario.seed ? jsonString(std::to_string(*scenario.seed)) : "null") +
           ",\"mirror\":" + (scenario.mirror ? "true" : "false") +
           ",\"controller\":" + jsonString(agv::controllerName(scenario.controller)) +
           ",\"lookahead\":" + jsonString(agv::shortestDecimal(p.lookahead)) +
           ",\"stanleyGain\":" + jsonString(agv::shortestDecimal(p.stanleyGain)) +
           ",\"lqrWeights\":[" + jsonString(agv::shortestDecimal(p.lqrOffset)) + "," +
           jsonString(agv::shortestDecimal(p.lqrHeading)) + "," +
           jsonString(agv::shortestDecimal(p.lqrThird)) + "," +
           jsonString(agv::shortestDecimal(p.lqrInput)) +
           "],\"text\":" + jsonString(agv::scenarioText(scenario)) + "}";
}

std::string jsonPoles(const agv::Pole* poles, int n) {
    std::string out = "[";
    for (int i = 0; i < n; ++i) {
        out += std::string(i > 0 ? "," : "") + "{\"re\":" + jsonNumber(poles[i].real()) +
               ",\"im\":" + jsonNumber(poles[i].imag()) + "}";
    }
    return out + "]";
}

const char* pathShapeName(agv::PathShape shape) {
    switch (shape) {
        case agv::PathShape::kStraight:
            return "straight";
        case agv::PathShape::kCircle:
            return "circle";
        case agv::PathShape::kVarying:
            break;
    }
    return "varying";
}

/// Angular frequencies of the Bode plot: kBodeSamples + 1 from ωn/kBodeSpan to ωn·kBodeSpan,
/// evenly on a log scale.
constexpr int kBodeSamples = 120;
constexpr double kBodeSpan = 100.0;
/// Natural frequencies of the root locus: kLocusSamples + 1 from kLocusFnLow to
/// kLocusFnHigh [Hz], evenly on a log scale.
constexpr int kLocusSamples = 80;
constexpr double kLocusFnLow = 0.1;
constexpr double kLocusFnHigh = 10.0;

/// n + 1 values from low to high, evenly on a log scale.
std::vector<double> logSpaced(double low, double high, int n) {
    std::vector<double> v;
    for (int i = 0; i <= n; ++i)
        v.push_back(low * std::pow(high / low, static_cast<double>(i) / n));
    return v;
}

/// Samples of the unit heading-rate disturbance's dd that the page draws.
constexpr int kResponseSamples = 200;

/// Why a law's steady offset is not defined, as agvsim-batch --theory says it.
const char* lawSteadyWhy(const agv::LawTheory& t, const agv::SimulationSettings& settings) {
    if (t.steadyDefined) return "";
    if (!t.stable()) return "unstable";
    return agv::slipActive(settings) ? "slip" : "bends";
}

/// The theory of a law other than fn/ζ (see agv_theory): per type its lateral poles, the
/// along-path poles of the fn/ζ speed law and the steady offsets, beside the run's records.
std::string lawTheoryJson(const WebSession& s) {
    const AgvContext& ctx = s.ctx;
    const agv::SimulationSettings& settings = ctx.model.settings;
    const agv::RunTheory speedLaw = agv::runTheory(ctx.model);
    const agv::TrajectoryStore& store = *ctx.data.store;
    std::string types;
    bool stable = true;
    for (int k = 0; k < agv::kVehicleTypeCount; ++k) {
        const agv::LawTheory t = agv::lawTheory(ctx.model, k + 1);
        stable = stable && t.stable();
        types += std::string(k > 0 ? "," : "") + "{\"type\":" + std::to_string(k + 1);
        types += ",\"stable\":" + std::string(t.stable() ? "true" : "false");
        types += ",\"verdict\":" + jsonString(t.stable() ? "stable" : "rightHalfPlane");
        types += ",\"maxPoleReal\":" + jsonNumber(t.poles.empty() ? 0.0 : t.poles.front().real());
        types += ",\"lateralPoles\":" + jsonPoles(t.poles.data(), static_cast<int>(t.poles.size()));
        const auto& along = speedLaw.types[static_cast<size_t>(k)].alongPathPoles;
        types += ",\"alongPathPoles\":" + jsonPoles(along.data(), agv::kAlongPathStates);
        types += ",\"steady\":{\"defined\":" + std::string(t.steadyDefined ? "true" : "false") +
                 ",\"dd\":" + (t.steadyDefined ? jsonNumber(t.steadyDd) : "null") +
                 ",\"dth\":" + (t.steadyDefined ? jsonNumber(t.steadyDth) : "null") +
                 ",\"why\":" + jsonString(lawSteadyWhy(t, settings)) + "}";
        if (s.computed) {
            const int last = store.recordCount[k];
            double peak = 0.0;
            for (int n = 0; n <= last; ++n)
                peak = std::max(peak, std::fabs(store.fbcErr[k][n][0]));
            types += ",\"simulated\":{\"endTime\":" + jsonNumber(store.endTime[k]) +
                     ",\"finalDd\":" + jsonNumber(store.fbcErr[k][last][0]) +
                     ",\"finalDth\":" + jsonNumber(store.fbcErr[k][last][1]) +
                     ",\"peakDd\":" + jsonNumber(peak) + "}";
        } else {
            types += ",\"simulated\":null";
        }
        types += "}";
    }
    const agv::PathShape shape = agv::pathCurvature(settings).shape;
    return "{\"computed\":" + std::string(s.computed ? "true" : "false") +
           ",\"controller\":" + jsonString(agv::controllerName(settings.controller)) +
           ",\"path\":" + jsonString(pathShapeName(shape)) +
           ",\"stable\":" + (stable ? "true" : "false") + ",\"dt\":" + jsonNumber(settings.dt) +
           ",\"types\":[" + types + "]}";
}

/// The theory of the current conditions as JSON (see agv_theory).
std::string theoryJson(const WebSession& s) {
    const AgvContext& ctx = s.ctx;
    const agv::RunTheory theory = agv::runTheory(ctx.model);
    const agv::TrajectoryStore& store = *ctx.data.store;
    std::string out = "{\"computed\":" + std::string(s.computed ? "true" : "false");
    out += ",\"controller\":\"fnzeta\"";
    out += ",\"path\":" + jsonString(pathShapeName(theory.path.shape));
    out += ",\"kappa\":" + jsonNumber(theory.path.kappa);
    out += ",\"stable\":" + std::string(theory.stable() ? "true" : "false");
    out += ",\"dt\":" + jsonNumber(ctx.model.settings.dt) + ",\"types\":[";
    for (int k = 0; k < agv::kVehicleTypeCount; ++k) {
        const agv::TypeTheory& t = theory.types[static_cast<size_t>(k)];
        out += std::string(k > 0 ? "," : "") + "{\"type\":" + std::to_string(k + 1);
        out += ",\"stable\":" + std::string(t.stable() ? "true" : "false");
        const char* verdicts[] = {"stable", "rightHalfPlane", "integrationStep"};
        out += ",\"verdict\":" + jsonString(verdicts[static_cast<int>(t.stability)]);
        out += ",\"step\":" + jsonNumber(t.step);
        out += ",\"stepLimitFn\":" + jsonNumber(t.stepLimitFn);
        out += ",\"beyondLinearRange\":" + std::string(t.beyondLinearRange ? "true" : "false");
        out += ",\"peakSteerAngle\":" + jsonNumber(t.peakSteerAngle);
        out += ",\"peakSteerRate\":" + jsonNumber(t.peakSteerRate);
        out += ",\"maxPoleReal\":" + jsonNumber(t.maxPoleReal);
        out += ",\"lateralPoles\":" + jsonPoles(t.lateralPoles.data(), agv::kLateralStates);
        out += ",\"alongPathPoles\":" + jsonPoles(t.alongPathPoles.data(), agv::kAlongPathStates);
        out += ",\"slowestTimeConstant\":" + jsonNumber(t.slowestTimeConstant);
        out +=
            ",\"response\":{\"ofRunError\":" + std::string(t.figuresOfRunError ? "true" : "false") +
            ",\"steady\":" + jsonNumber(t.figures.steady) +
            ",\"peak\":" + jsonNumber(t.figures.peak) +
            ",\"overshoot\":" + jsonNumber(t.figures.overshoot) +
            ",\"settlingTime\":" + jsonNumber(t.figures.settlingTime);
        if (s.computed && t.stable() && !t.figuresOfRunError) {
            // Over one and a half settling times (ten slowest time constants if it has none).
            const double horizon =
                std::isfinite(t.figures.settlingTime) && t.figures.settlingTime > 0.0
                    ? 1.5 * t.figures.settlingTime
                    : 10.0 * t.slowestTimeConstant;
            out += ",\"unit\":{\"horizon\":" + jsonNumber(horizon) + ",\"dd\":[";
            const std::vector<double> dd =
                agv::unitDisturbanceResponse(ctx.model.settings, ctx.model.gains, k + 1,
                                             theory.path.kappa, horizon, kResponseSamples + 1);
            for (size_t i = 0; i < dd.size(); ++i)
                out += (i > 0 ? "," : "") + jsonNumber(dd[i]);
            out += "]}";
        }
        out += "}";
        out += ",\"steady\":{\"defined\":" + std::string(t.steady.defined ? "true" : "false") +
               ",\"dd\":" + (t.steady.defined ? jsonNumber(t.steady.dd) : "null") +
               ",\"dth\":" + (t.steady.defined ? jsonNumber(t.steady.dth) : "null") + "}";
        const std::vector<double> omegas =
            logSpaced(std::fabs(ctx.model.settings.omegaN) / kBodeSpan,
                      std::fabs(ctx.model.settings.omegaN) * kBodeSpan, kBodeSamples);
        const std::vector<std::complex<double>> g = agv::headingRateResponse(
            ctx.model.settings, ctx.model.gains, k + 1, theory.path.kappa, omegas);
        out += ",\"bode\":{\"omega\":[";
        for (size_t i = 0; i < omegas.size(); ++i)
            out += (i > 0 ? "," : "") + jsonNumber(omegas[i]);
        out += "],\"magnitude\":[";
        for (size_t i = 0; i < g.size(); ++i)
            out += (i > 0 ? "," : "") + jsonNumber(std::abs(g[i]));
        out += "],\"phase\":[";
        for (size_t i = 0; i < g.size(); ++i)
            out += (i > 0 ? "," : "") + jsonNumber(std::arg(g[i]));
        out += "]},\"locus\":[";
        const std::vector<agv::LocusPoint> locus = agv::rootLocus(
            ctx.model.settings, k + 1, logSpaced(kLocusFnLow, kLocusFnHigh, kLocusSamples));
        for (size_t i = 0; i < locus.size(); ++i) {
            out += std::string(i > 0 ? "," : "") + "{\"fn\":" + jsonNumber(locus[i].fn) +
                   ",\"lateral\":" + jsonPoles(locus[i].lateral.data(), agv::kLateralStates) +
                   ",\"alongPath\":" + jsonPoles(locus[i].alongPath.data(), agv::kAlongPathStates) +
                   "}";
        }
        out += "]";
        out += ",\"periodic\":";
        out += t.periodic.defined ? "{\"omega\":" + jsonNumber(t.periodic.omega) +
                                        ",\"mean\":" + jsonNumber(t.periodic.mean) +
                                        ",\"amplitude\":" + jsonNumber(t.periodic.amplitude) + "}"
                                  : std::string("null");
        if (s.computed) {
            const int last = store.recordCount[k];
            std::vector<double> dd(static_cast<size_t>(last) + 1);
            agv::predictOffsets(ctx.model, k + 1, ctx.model.settings.dt, last, store.endTime[k],
                                dd.data());
            double peak = 0.0;
            for (int n = 0; n <= last; ++n)
                peak = std::max(peak, std::fabs(store.fbcErr[k][n][0]));
            out += ",\"simulated\":{\"endTime\":" + jsonNumber(store.endTime[k]) +
                   ",\"finalDd\":" + jsonNumber(store.fbcErr[k][last][0]) +
                   ",\"finalDth\":" + jsonNumber(store.fbcErr[k][last][1]) +
                   ",\"peakDd\":" + jsonNumber(peak) + "},\"predictedDd\":[";
            for (int n = 0; n <= last; ++n)
                out += (n > 0 ? "," : "") + jsonNumber(dd[static_cast<size_t>(n)]);
            out += "]";
        } else {
            out += ",\"simulated\":null,\"predictedDd\":null";
        }
        out += "}";
    }
    return out + "]}";
}

/// A benchmark's refusal: the square's constants (valueIndex 0: L, 1: r) and the runs in
/// the page's words, the errors as the core refuses them in a run.
Outcome benchmarkRefused(const agv::BenchmarkRefusal& r) {
    Outcome outcome;
    outcome.ok = false;
    switch (r.kind) {
        case agv::BenchmarkRefusalKind::kNone:
            return {};
        case agv::BenchmarkRefusalKind::kNoRuns:
            outcome.section = "runs";
            outcome.message = agv::formatText("往復回数 n=%g < 1　設定し直し", r.value);
            outcome.reason = agv::formatText("%g runs each way: at least 1 is needed", r.value);
            return outcome;
        case agv::BenchmarkRefusalKind::kCornerTooTight:
            outcome.section = "square";
            outcome.valueIndex = 1;
            outcome.message = agv::formatText(
                "角の半径 r=%g m は WheelBase の半分 %g m "
                "より小さい(内側の車輪が逆転する)　設定し直し",
                r.value, r.value2);
            outcome.reason = agv::formatText(
                "a corner radius of %g m is too small for the vehicle: its inner wheel would run "
                "backwards below half the WheelBase, %g m",
                r.value, r.value2);
            return outcome;
        case agv::BenchmarkRefusalKind::kTooManySlipRuns:
            outcome.section = "runs";
            outcome.message = agv::formatText(
                "すべりありの往復回数 n=%g は一周 %g m の正方形では %g 以下　設定し直し", r.value,
                r.value3, r.value2);
            outcome.reason = agv::formatText(
                "%g runs each way with the slip: the %g m square allows at most %g (a second's "
                "work)",
                r.value, r.value3, r.value2);
            return outcome;
        case agv::BenchmarkRefusalKind::kScenario:
            break;
    }
    outcome = refused(r.scenario);
    const agv::ScenarioField f = r.scenario.field;
    if (f == agv::ScenarioField::kCurveConstant || f == agv::ScenarioField::kCurveConstants ||
        f == agv::ScenarioField::kPathLength) {
        outcome.section = "square";
        outcome.valueIndex = r.scenario.constantIndex < 0 ? 0 : r.scenario.constantIndex;
    }
    return outcome;
}

/// Checks, applies and computes a scenario text in ctx as the dialogue does (see
/// agv_run_text); computed says afterwards whether its store holds a run to show.
const char* runText(AgvContext& ctx, bool& computed, const char* text) {
    WebSession& s = session();
    agv::Scenario scenario;
    agv::ScenarioTextError bad;
    if (!scenarioOf(text, scenario, bad)) return replyWith(unparsed(bad));
    const agv::Refusal refusal = agv::useScenario(ctx, scenario);
    if (!refusal.accepted()) return replyWith(refused(refusal));

    std::ostringstream report;
    ctx.out = &report;
    agv::printConditions(ctx);
    ctx.out = &agv::discardedText();

    // Every run starts the slip noise afresh, as agvsim-batch does, so that a link always
    // gives the same numbers whatever was computed before.
    ctx.data.noise.rngState = agv::SlipNoise{}.rngState;
    computed = false;
    const agv::RunOutcome outcome = agv::computeTrajectories(ctx);
    const std::string named = ",\"scenario\":" + jsonString(agv::scenarioText(scenario));
    if (!outcome.done()) {
        const bool overflow = outcome.status == agv::RunStatus::kStoreOverflow;
        // A diverged run is shown up to where it left the path: it has its facts. Those of
        // an overflow or a stopped run are incomplete.
        const bool kept = outcome.status == agv::RunStatus::kDiverged;
        computed = kept;
        Outcome failed;
        failed.ok = false;
        failed.section = overflow ? "curve" : "all";
        failed.message = trimmed(agv::dialogueRetryText(outcome));
        failed.reason = agv::outcomeReason(outcome);
        replyWith(failed, report.str(), kept ? runFacts(ctx) : "null");
    } else {
        computed = true;
        replyWith({}, report.str(), runFacts(ctx));
    }
    s.reply.insert(s.reply.size() - 1, named);
    return s.reply.c_str();
}

/// An exercise text that does not parse or is refused: the field at fault (a scenario
/// field, "free", "target" or "conditions"), the target's index (-1: none) and why, with
/// the dialogue's words for refused fixed conditions.
const char* exerciseRefused(const agv::ExerciseError& bad, const agv::Refusal& refusal) {
    Outcome outcome = refusal.accepted() ? Outcome{} : refused(refusal);
    outcome.ok = false;
    if (refusal.accepted()) {
        outcome.section = "exercise";
        outcome.field = bad.field;
        outcome.message = bad.field + ": " + bad.message;
        outcome.reason = bad.field + " " + bad.message;
    }
    std::string& r = session().reply;
    replyWith(outcome);
    r.insert(r.size() - 1, ",\"exerciseField\":" + jsonString(bad.field) +
                               ",\"targetIndex\":" + std::to_string(bad.targetIndex));
    return r.c_str();
}

/// A target as the page shows it: its figure, type, comparison ("<=", ">=", "" for stable),
/// limit and unit, and its text.
std::string targetJson(const agv::ExerciseTarget& t) {
    const bool stable = t.figure == agv::ExerciseFigure::kStable;
    return "{\"figure\":" + jsonString(agv::figureName(t.figure)) +
           ",\"type\":" + std::to_string(t.vehicleType) + ",\"comparison\":" +
           jsonString(stable                                     ? ""
                      : t.comparison == agv::Comparison::kAtMost ? "<="
                                                                 : ">=") +
           ",\"limit\":" + (stable ? "null" : jsonNumber(t.limit)) +
           ",\"unit\":" + jsonString(agv::figureUnit(t.figure)) +
           ",\"text\":" + jsonString(agv::targetText(t)) + "}";
}

/// Reads and checks an exercise text; false (with the reply written) when it is refused.
bool readExercise(const char* text, agv::Exercise& exercise) {
    agv::ExerciseError bad;
    agv::Refusal refusal;
    if (!agv::parseExerciseText(text ? text : "", exercise, bad) ||
        !agv::checkExercise(session().ctx.model, exercise, bad, refusal)) {
        exerciseRefused(bad, refusal);
        return false;
    }
    return true;
}

/// One figure of a run for the comparison of two runs.
struct Figure {
    const char* name;
    double value;
};

/// The figures of vehicleType (1..3) that the page compares: final and largest |dd| [m] and
/// |dth| [rad] without and with feedback, the end time [s], and the predicted 2 % settling
/// time of dd with feedback [s] (the fn/ζ law's linear theory; not finite where it has
/// none).
std::vector<Figure> compareFigures(const AgvContext& ctx, int vehicleType) {
    const int k = vehicleType - 1;
    const agv::TrajectoryStore& store = *ctx.data.store;
    const agv::TypeSummary t = agv::summariseTrajectories(store)[static_cast<size_t>(k)];
    const int n = t.lastRecord;
    double settling = std::nan("");
    if (ctx.model.settings.controller == agv::ControllerKind::kFnZeta) {
        const agv::TypeTheory theory = agv::runTheory(ctx.model).types[static_cast<size_t>(k)];
        if (theory.stable() && theory.figuresOfRunError) settling = theory.figures.settlingTime;
    }
    return {{"finalDdNoFbc", store.noFbcErr[k][n][0]},
            {"finalDthNoFbc", store.noFbcErr[k][n][1]},
            {"finalDdFbc", store.fbcErr[k][n][0]},
            {"finalDthFbc", store.fbcErr[k][n][1]},
            {"peakDdNoFbc", t.maxDdNoFbc},
            {"peakDthNoFbc", t.maxDthNoFbc},
            {"peakDdFbc", t.maxDdFbc},
            {"peakDthFbc", t.maxDthFbc},
            {"settlingTime", settling},
            {"endTime", t.endTime}};
}

/// Percent in a ratio.
constexpr double kRatioToPercent = 100.0;

/// What the page's menus list, from the catalogues the programs use: each error with its
/// scenario-text field, unit and values (symbol and start-up value), each curve with its menu
/// name and constants, each feedback law with its parameters' field and defaults. Numbers as
/// text in their shortest form, as the form shows them.
std::string catalogueJson() {
    const agv::Scenario start = agv::startupScenario();
    std::string errors = "[";
    for (int n = 0; n <= agv::kMaxErrorNumber; ++n) {
        const agv::MechanismError error = agv::mechanismErrorOf(n);
        const agv::MechanismErrorInfo& info = *agv::mechanismErrorInfo(error);
        double values[2] = {};
        agv::errorValuesOf(start.errors, error, values);
        // No error is chosen at start; the slip shows the model's start-up value.
        if (error == agv::MechanismError::kSlip)
            values[0] = agv::SimulationSettings{}.SLIP * kRatioToPercent;
        const char* field = agv::errorFieldName(error);
        std::string list;
        for (int k = 0; k < info.valueCount; ++k) {
            list += std::string(k ? "," : "") +
                    "{\"symbol\":" + jsonString(agv::errorValueSymbol(error, k)) +
                    ",\"start\":" + jsonString(agv::shortestDecimal(values[k])) + "}";
        }
        const char* unit = info.unit == agv::ErrorUnit::kDegrees   ? "deg"
                           : info.unit == agv::ErrorUnit::kPercent ? "%"
                                                                   : "";
        errors += std::string(n ? "," : "") + "{\"n\":" + std::to_string(n) +
                  ",\"field\":" + (field ? jsonString(field) : "null") +
                  ",\"unit\":" + jsonString(unit) + ",\"values\":[" + list + "]}";
    }
    std::string curves = "[";
    for (const agv::CurveInfo& info : agv::kCurveCatalog) {
        double constants[agv::kMaxCurveConstants] = {};
        agv::curveConstantsOf(start, info.number, constants);
        std::string list;
        for (int k = 0; k < info.constantCount; ++k) {
            list += std::string(k ? "," : "") + "{\"name\":" + jsonString(info.constants[k].name) +
                    ",\"start\":" + jsonString(agv::shortestDecimal(constants[k])) + "}";
        }
        curves += std::string(curves.size() > 1 ? "," : "") +
                  "{\"I\":" + std::to_string(info.number) +
                  ",\"ja\":" + jsonString(agv::curveMenuName(info.number)) + ",\"constants\":[" +
                  list + "]}";
    }
    const agv::ControllerParams p = start.controllerParams;
    const struct {
        agv::ControllerKind kind;
        std::vector<double> defaults;
    } laws[] = {{agv::ControllerKind::kFnZeta, {}},
                {agv::ControllerKind::kPurePursuit, {p.lookahead}},
                {agv::ControllerKind::kStanley, {p.stanleyGain}},
                {agv::ControllerKind::kLqr, {p.lqrOffset, p.lqrHeading, p.lqrThird, p.lqrInput}}};
    std::string lawList = "[";
    for (const auto& law : laws) {
        const char* field = agv::lawParamsFieldName(law.kind);
        std::string list;
        for (double v : law.defaults)
            list += (list.empty() ? "" : ",") + jsonString(agv::shortestDecimal(v));
        lawList += std::string(lawList.size() > 1 ? "," : "") +
                   "{\"name\":" + jsonString(agv::controllerName(law.kind)) +
                   ",\"field\":" + (field ? jsonString(field) : "null") + ",\"defaults\":[" + list +
                   "]}";
    }
    return "{\"errors\":" + errors + "],\"curves\":" + curves + "],\"laws\":" + lawList + "]}";
}

}  // namespace

extern "C" {

/// Loads the random tables and sets the start-up conditions. 0 when ready.
EMSCRIPTEN_KEEPALIVE int agv_init() {
    WebSession& s = session();
    s.ctx.out = &agv::discardedText();
    std::string error;
    if (!agv::loadRandomTables(s.ctx.model.tables, error)) return 1;
    agv::initialiseRun(s.ctx);
    return 0;
}

/// A scenario text read as the form shows it: JSON {ok, field, message} and, when it parses,
/// form (see formJson). Nothing is checked or changed.
EMSCRIPTEN_KEEPALIVE const char* agv_scenario(const char* text) {
    agv::Scenario scenario;
    agv::ScenarioTextError bad;
    if (!scenarioOf(text, scenario, bad)) return replyWith(unparsed(bad));
    std::string& r = session().reply;
    replyWith({});
    r.insert(r.size() - 1, ",\"form\":" + formJson(scenario));
    return r.c_str();
}

/// The checks of a scenario text without changing anything: JSON {ok, section, message,
/// reason, errorNumber, valueIndex, field}.
EMSCRIPTEN_KEEPALIVE const char* agv_check_text(const char* text) {
    agv::Scenario scenario;
    agv::ScenarioTextError bad;
    if (!scenarioOf(text, scenario, bad)) return replyWith(unparsed(bad));
    return replyWith(refused(agv::checkScenario(session().ctx.model, scenario)));
}

/// Checks, applies and computes a scenario text as the dialogue does: JSON {ok, section,
/// message, reason, errorNumber, valueIndex, field, report, facts, scenario (the canonical
/// text of the run)}. A refused scenario leaves the previous one and its results.
EMSCRIPTEN_KEEPALIVE const char* agv_run_text(const char* text) {
    WebSession& s = session();
    return runText(s.ctx, s.computed, text);
}

/// Pins a run for comparison: a scenario text computed beside the run on show, as
/// agv_run_text computes it and with its reply; the pictures then draw it over the run on
/// show. A text refused leaves nothing pinned.
EMSCRIPTEN_KEEPALIVE const char* agv_pin_text(const char* text) {
    WebSession& s = session();
    s.pinnedComputed = false;
    if (!s.pinned) {
        s.pinned = std::make_unique<AgvContext>();
        s.pinned->out = &agv::discardedText();
        s.pinned->model.tables = s.ctx.model.tables;
        agv::initialiseRun(*s.pinned);
    }
    return runText(*s.pinned, s.pinnedComputed, text);
}

/// Leaves nothing pinned.
EMSCRIPTEN_KEEPALIVE void agv_unpin() {
    session().pinnedComputed = false;
}

/// The figures of the pinned run and the run on show for the vehicle type on show, and their
/// difference (current - pinned): JSON {pinned, type, figures: [{name, pinned, current,
/// difference}]} (see compareFigures); pinned is false when no run is pinned.
EMSCRIPTEN_KEEPALIVE const char* agv_compare() {
    WebSession& s = session();
    const bool both = s.computed && s.pinned && s.pinnedComputed;
    const int type = s.ctx.view.vehicleType;
    s.reply = "{\"pinned\":" + std::string(both ? "true" : "false") +
              ",\"type\":" + std::to_string(type) + ",\"figures\":[";
    if (both && type >= 1 && type <= agv::kVehicleTypeCount) {
        const auto current = compareFigures(s.ctx, type);
        const auto pinned = compareFigures(*s.pinned, type);
        for (size_t i = 0; i < current.size(); ++i) {
            s.reply += std::string(i > 0 ? "," : "") + "{\"name\":" + jsonString(current[i].name) +
                       ",\"pinned\":" + jsonNumber(pinned[i].value) +
                       ",\"current\":" + jsonNumber(current[i].value) +
                       ",\"difference\":" + jsonNumber(current[i].value - pinned[i].value) + "}";
        }
    }
    s.reply += "]}";
    return s.reply.c_str();
}

/// The computed run in the CSV format of agvsim-batch; empty before a computation.
EMSCRIPTEN_KEEPALIVE const char* agv_csv() {
    WebSession& s = session();
    s.reply.clear();
    if (s.computed) {
        std::ostringstream csv;
        agv::writeTrajectoryCsv(csv, *s.ctx.data.store, s.ctx.model.settings.dt);
        s.reply = csv.str();
    }
    return s.reply.c_str();
}

/// The condition report of the computed run for the vehicle type on show; empty before a
/// computation.
EMSCRIPTEN_KEEPALIVE const char* agv_report() {
    WebSession& s = session();
    s.reply.clear();
    if (!s.computed) return s.reply.c_str();
    std::ostringstream report;
    s.ctx.out = &report;
    agv::printConditions(s.ctx);
    s.ctx.out = &agv::discardedText();
    s.reply = report.str();
    return s.reply.c_str();
}

/// Applies a window key; returns 0 nothing, 1 redraw, 2 to the dialogue, 3 end.
EMSCRIPTEN_KEEPALIVE int agv_key(int key) {
    WebSession& s = session();
    if (!s.computed) return 0;
    return static_cast<int>(applyKey(s.ctx, static_cast<unsigned char>(key)));
}

/// The view a picture of agvsim-batch shows: type, record (-1: the last), presses of 'w'
/// ('W' when negative) and of 'X' and 'Y' ('x', 'y' when negative), from the initial view.
EMSCRIPTEN_KEEPALIVE void agv_set_view(int type, int index, int zoom, int shiftX, int shiftY) {
    WebSession& s = session();
    if (!s.computed) return;
    AgvContext& ctx = s.ctx;
    ctx.view.viewScale = agv::kViewScaleInitial;
    ctx.view.viewOffsetX = 0.0;
    ctx.view.viewOffsetY = 0.0;
    const int t = type < 1 ? 1 : (type > agv::kVehicleTypeCount ? agv::kVehicleTypeCount : type);
    applyKey(ctx, static_cast<unsigned char>('0' + t));
    const auto press = [&](int count, unsigned char up, unsigned char down) {
        for (int i = 0; i < (count < 0 ? -count : count); ++i)
            applyKey(ctx, count >= 0 ? up : down);
    };
    press(zoom, 'w', 'W');
    press(shiftX, 'X', 'x');
    press(shiftY, 'Y', 'y');
    const int last = ctx.data.store->recordCount[t - 1];
    ctx.view.motionIndex = index < 0 || index > last ? last : index;
}

/// Moves the animation to record index (held to the records of the type on show).
EMSCRIPTEN_KEEPALIVE void agv_set_index(int index) {
    WebSession& s = session();
    if (!s.computed) return;
    const int last = s.ctx.data.store->recordCount[s.ctx.view.vehicleType - 1];
    s.ctx.view.motionIndex = index < 0 ? 0 : (index > last ? last : index);
}

/// What the page shows beside the picture: JSON {computed, type, index, last}.
EMSCRIPTEN_KEEPALIVE const char* agv_state() {
    WebSession& s = session();
    const AgvContext& ctx = s.ctx;
    const int type = ctx.view.vehicleType;
    const int last = s.computed && type >= 1 && type <= agv::kVehicleTypeCount
                         ? ctx.data.store->recordCount[type - 1]
                         : 0;
    s.reply = "{\"computed\":" + std::string(s.computed ? "true" : "false") +
              ",\"type\":" + std::to_string(type) +
              ",\"index\":" + std::to_string(ctx.view.motionIndex) +
              ",\"last\":" + std::to_string(last) + "}";
    return s.reply.c_str();
}

/// The linear theory of the current conditions (docs/theory.md) as JSON: {computed, path
/// ("straight", "circle", "varying"), kappa [1/m], stable, dt [s], types: [{type, stable,
/// verdict ("stable", "rightHalfPlane", "integrationStep"), step (the integration sub-step
/// [s]), stepLimitFn (with "integrationStep": the fn above which the step fails [Hz]),
/// beyondLinearRange, peakSteerAngle [rad], peakSteerRate [rad/s], maxPoleReal,
/// lateralPoles, alongPathPoles ([{re, im}] [1/s]), slowestTimeConstant [s], response {ofRunError,
/// steady, peak [m], overshoot [ratio], settlingTime [s], and after a computation of a stable
/// design whose error leaves dd at 0, unit {horizon [s], dd: the unit heading-rate disturbance's dd
/// [m per rad/s] at i·horizon/200, i = 0..200}}, steady {defined, dd [m], dth [rad]},
/// bode {omega [rad/s], magnitude [m per rad/s], phase [rad]} of dd/u for a heading-rate
/// disturbance u, locus [{fn [Hz], lateral, alongPath}] over fn from 0.1 to 10 Hz at ζ,
/// periodic (on a cosine or a wavy circle: {omega [rad/s], mean [m], amplitude [m]} of the
/// steady dd, else null), simulated
/// {endTime, finalDd, finalDth, peakDd} and predictedDd (dd [m] at records 0..last: n·dt, the last
/// at endTime), both null before a computation}]}. Numbers that are not finite (a design that does
/// not settle) are null. Every reply names its controller; for a law other than fn/ζ
/// (docs/controllers.md) it is {computed, controller, path, stable, dt, types: [{type, stable,
/// verdict, maxPoleReal, lateralPoles (the law's), alongPathPoles (the fn/ζ speed law's),
/// steady {defined, dd, dth, why ("unstable", "slip", "bends" when not defined)}, simulated}]},
/// the theory agvsim-batch --theory prints for it.
EMSCRIPTEN_KEEPALIVE const char* agv_theory() {
    WebSession& s = session();
    s.reply = s.ctx.model.settings.controller == agv::ControllerKind::kFnZeta ? theoryJson(s)
                                                                              : lawTheoryJson(s);
    return s.reply.c_str();
}

/// The page's menus: JSON {errors, curves, laws} (see catalogueJson).
EMSCRIPTEN_KEEPALIVE const char* agv_catalogue() {
    WebSession& s = session();
    s.reply = catalogueJson();
    return s.reply.c_str();
}

/// The calibration lab: the bidirectional square-path benchmark of a scenario text (its errors,
/// slip seed and square, curve 21's constants L, r), `runs` times each way, its estimates and
/// the benchmark with them corrected. JSON {ok, section ("runs", "square", or the form section
/// of the refused error), message, reason, errorNumber, valueIndex, field, calibration (the
/// object agvsim-calibrate --json prints)}. The run on show is left as it is.
EMSCRIPTEN_KEEPALIVE const char* agv_calibrate(const char* text, int runs) {
    WebSession& s = session();
    agv::Scenario scenario;
    agv::ScenarioTextError bad;
    if (!scenarioOf(text, scenario, bad)) return replyWith(unparsed(bad));
    if (!s.labModel) {
        auto model = std::make_unique<agv::Model>();
        std::string error;
        if (!agv::loadRandomTables(model->tables, error)) {
            Outcome failed;
            failed.ok = false;
            failed.section = "all";
            failed.message = failed.reason = error;
            return replyWith(failed);
        }
        s.labModel = std::move(model);
        s.labData = std::make_unique<agv::RunData>();
    }
    const agv::BenchmarkRefusal refusal = agv::checkBenchmark(*s.labModel, scenario, runs);
    if (!refusal.accepted()) return replyWith(benchmarkRefused(refusal));
    const agv::Calibration c = agv::runCalibration(*s.labModel, *s.labData, scenario, runs);
    for (const agv::BenchmarkRuns* set : {&c.before, &c.after}) {
        if (!set->outcome.done()) {
            Outcome failed;
            failed.ok = false;
            failed.section = "all";
            failed.message = trimmed(agv::dialogueRetryText(set->outcome));
            failed.reason = agv::outcomeReason(set->outcome);
            return replyWith(failed);
        }
    }
    std::string json = agv::calibrationJson(c, scenario, runs);
    replyWith({});
    s.reply.insert(s.reply.size() - 1, ",\"calibration\":" + trimmed(json));
    return s.reply.c_str();
}

/// Records the picture of the current view; returns how many numbers it has (0 before a
/// computation). agv_picture_numbers and agv_picture_texts hand them over.
EMSCRIPTEN_KEEPALIVE int agv_draw() {
    WebSession& s = session();
    s.picture.reset();
    if (!s.computed) return 0;
    agv::drawFrame(sceneOf(s.ctx), s.picture,
                   s.pinned && s.pinnedComputed ? s.pinned->data.store.get() : nullptr);
    s.texts.clear();
    for (const std::string& t : s.picture.texts())
        s.texts += t + '\n';
    return static_cast<int>(s.picture.numbers().size());
}

EMSCRIPTEN_KEEPALIVE const double* agv_picture_numbers() {
    return session().picture.numbers().data();
}

/// The texts of the picture, each ended by a line break.
EMSCRIPTEN_KEEPALIVE const char* agv_picture_texts() {
    return session().texts.c_str();
}

/// An exercise text read and checked: JSON {ok, section, message, reason, errorNumber,
/// valueIndex, field, exerciseField, targetIndex} of its first fault, or {ok: true,
/// exercise: {text (canonical), form (the fixed conditions as agv_scenario's form), free
/// (field names), targets [{figure, type, comparison, limit, unit, text}]}}.
EMSCRIPTEN_KEEPALIVE const char* agv_exercise(const char* text) {
    agv::Exercise exercise;
    if (!readExercise(text, exercise)) return session().reply.c_str();
    std::string free = "[";
    for (int n = 0; n < agv::kTextFieldCount; ++n) {
        const auto field = static_cast<agv::TextField>(n);
        if (agv::hasField(exercise.free, field))
            free += (free.size() > 1 ? "," : "") + jsonString(agv::textFieldName(field));
    }
    std::string targets = "[";
    for (const agv::ExerciseTarget& t : exercise.targets)
        targets += (targets.size() > 1 ? "," : "") + targetJson(t);
    std::string& r = session().reply;
    replyWith({});
    r.insert(r.size() - 1, ",\"exercise\":{\"text\":" + jsonString(agv::exerciseText(exercise)) +
                               ",\"form\":" + formJson(exercise.conditions) + ",\"free\":" + free +
                               "],\"targets\":" + targets + "]}");
    return r.c_str();
}

/// The exercise's verdict on the run on show: JSON {ok, computed, answer (the run's
/// scenario text), refused (null, or {field, fixed: the text of its fixed value, "" for the
/// default}), pass, targets [{target, pass, measured (null for stable or a type that left the
/// path), diverged, divergedTime [s]}]}; an exercise text refused answers as agv_exercise.
EMSCRIPTEN_KEEPALIVE const char* agv_exercise_check(const char* text) {
    WebSession& s = session();
    agv::Exercise exercise;
    if (!readExercise(text, exercise)) return s.reply.c_str();
    std::string& r = s.reply;
    r = "{\"ok\":true,\"computed\":" + std::string(s.computed ? "true" : "false");
    if (!s.computed) return (r += ",\"refused\":null,\"pass\":false,\"targets\":[]}").c_str();
    r += ",\"answer\":" + jsonString(agv::scenarioText(s.ctx.scenario));
    const agv::AnswerRefusal changed = agv::checkAnswer(exercise, s.ctx.scenario);
    if (changed.refused) {
        r += ",\"refused\":{\"field\":" + jsonString(agv::textFieldName(changed.field)) +
             ",\"fixed\":" + jsonString(changed.fixedText) + "},\"pass\":false,\"targets\":[]}";
        return r.c_str();
    }
    const agv::ExerciseVerdict verdict =
        agv::judgeExercise(exercise, *s.ctx.data.store, s.ctx.model.settings.dt);
    r += ",\"refused\":null,\"pass\":" + std::string(verdict.pass ? "true" : "false") +
         ",\"targets\":[";
    for (std::size_t i = 0; i < verdict.targets.size(); ++i) {
        const agv::TargetVerdict& v = verdict.targets[i];
        r += std::string(i > 0 ? "," : "") + "{\"target\":" + targetJson(v.target) +
             ",\"pass\":" + (v.pass ? "true" : "false") +
             ",\"measured\":" + jsonNumber(v.measured) +
             ",\"diverged\":" + (v.diverged ? "true" : "false") +
             ",\"divergedTime\":" + jsonNumber(v.divergedTime) + "}";
    }
    r += "]}";
    return r.c_str();
}

/// Type's (1-3) dd with feedback for the target band plot: returns how many records it has
/// (0 before a computation); agv_dd_series_numbers hands over their time [s] and dd [m] in
/// pairs.
EMSCRIPTEN_KEEPALIVE int agv_dd_series(int type) {
    WebSession& s = session();
    s.ddSeries.clear();
    if (!s.computed || type < 1 || type > agv::kVehicleTypeCount) return 0;
    const agv::TrajectoryStore& store = *s.ctx.data.store;
    const int k = type - 1;
    for (int n = 0; n <= store.recordCount[k]; ++n) {
        s.ddSeries.push_back(agv::recordTime(store, k, n, s.ctx.model.settings.dt));
        s.ddSeries.push_back(store.fbcErr[k][n][0]);
    }
    return store.recordCount[k] + 1;
}

EMSCRIPTEN_KEEPALIVE const double* agv_dd_series_numbers() {
    return session().ddSeries.data();
}

}  // extern "C"
