// The web page's entry points into the simulator: one run's conditions from the form,
// checked by the console dialogue's own rules, the computation, the condition report, the
// CSV of agvsim-batch, the window keys and the recorded picture. Every call into the
// simulation core is in this file.
#include <emscripten/emscripten.h>

#include <sstream>
#include <string>

#include "app/batch_output.h"
#include "app/context.h"
#include "app/dialogue.h"
#include "app/outcome_text.h"
#include "app/path_dialogue.h"
#include "app/random_table_file.h"
#include "app/report.h"
#include "app/startup.h"
#include "app/text_output.h"
#include "draw/frame.h"
#include "draw/recording_backend.h"
#include "draw/scene.h"
#include "draw/window_keys.h"
#include "path/arc_length.h"
#include "path/path_length.h"
#include "sim/caltraj.h"
#include "sim/settings_check.h"

namespace {

using agv::AgvContext;

/// The one run of the page.
struct WebSession {
    AgvContext ctx;
    /// True while the store holds a finished computation that can be shown.
    bool computed = false;
    agv::RecordingBackend picture;
    /// Storage of the strings handed to the page; valid until the next call.
    std::string reply;
    std::string texts;
};

WebSession& session() {
    static WebSession* s = new WebSession;
    return *s;
}

/// The conditions of one form.
struct Conditions {
    int errorNumber;
    double errorValue1, errorValue2;
    int curve;
    double params[agv::kMaxCurveConstants];
    double fn, zeta;
};

/// A check's outcome: the form section it concerns, the dialogue's message and the same
/// in English.
struct Outcome {
    bool ok = true;
    const char* section = "";
    std::string message;
    std::string reason;
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

const char* replyWith(const Outcome& outcome, const std::string& report = {}) {
    std::string& r = session().reply;
    r = "{\"ok\":";
    r += outcome.ok ? "true" : "false";
    r += ",\"section\":" + jsonString(outcome.section);
    r += ",\"message\":" + jsonString(outcome.message);
    r += ",\"reason\":" + jsonString(outcome.reason);
    r += ",\"report\":" + jsonString(report) + "}";
    return r.c_str();
}

/// A refusal of the core's checks in the dialogue's words.
Outcome refused(const char* section, const agv::Refusal& refusal) {
    Outcome outcome;
    outcome.ok = refusal.accepted();
    outcome.section = section;
    outcome.message = trimmed(agv::refusalText(refusal));
    outcome.reason = agv::refusalReason(refusal);
    return outcome;
}

/// The scene of the session's run, and what its keys act on.
agv::Scene sceneOf(const AgvContext& ctx) {
    return agv::Scene{ctx.model.settings, ctx.model.path, *ctx.data.store, ctx.view};
}

agv::KeyAction applyKey(AgvContext& ctx, unsigned char key) {
    ctx.run.lastKey = static_cast<char>(key);
    return agv::applyWindowKey(agv::ViewControl{ctx.model.settings, ctx.view, *ctx.data.store},
                               key);
}

/// The dialogue's checks of the three sections, in its order; leaves the curve constants
/// stored in the settings.
Outcome checkConditions(AgvContext& ctx, const Conditions& c) {
    if (c.errorNumber < 0 || c.errorNumber > 5) {
        return {false, "error",
                " 0-5のどれかを選択(0:誤差なし) Error Number=", "the error number must be 0 to 5"};
    }
    const agv::MechanismError error = agv::mechanismErrorOf(c.errorNumber);
    Outcome o =
        refused("error", agv::checkErrorChoice(ctx.model, error, c.errorValue1, c.errorValue2));
    if (!o.ok) return o;
    if (agv::curveConstantCount(c.curve) == 0) {
        char message[64];
        std::snprintf(message, sizeof message, "I=%d  やり直し", c.curve);
        return {false, "curve", message, "curve " + std::to_string(c.curve) + " is no path"};
    }
    agv::storeCurveConstants(ctx, c.curve, c.params);
    o = refused("curve", agv::checkCurveConstants(ctx.model, c.curve));
    if (!o.ok) return o;
    return refused("feedback", agv::checkFeedbackDesign(ctx.model, c.fn, c.zeta));
}

Conditions conditionsOf(int errorNumber, double v1, double v2, int curve, double p1, double p2,
                        double p3, double fn, double zeta) {
    return Conditions{errorNumber, v1, v2, curve, {p1, p2, p3}, fn, zeta};
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

/// The form's checks without changing anything: JSON {ok, section, message}.
EMSCRIPTEN_KEEPALIVE const char* agv_check(int errorNumber, double v1, double v2, int curve,
                                           double p1, double p2, double p3, double fn,
                                           double zeta) {
    AgvContext& ctx = session().ctx;
    const agv::SimulationSettings savedSettings = ctx.model.settings;
    const Outcome o =
        checkConditions(ctx, conditionsOf(errorNumber, v1, v2, curve, p1, p2, p3, fn, zeta));
    ctx.model.settings = savedSettings;
    return replyWith(o);
}

/// Checks, sets and computes the conditions as the dialogue's three sections and its
/// computation do: JSON {ok, section, message, report}. A refused run leaves the previous
/// conditions and results as they were.
EMSCRIPTEN_KEEPALIVE const char* agv_run(int errorNumber, double v1, double v2, int curve,
                                         double p1, double p2, double p3, double fn, double zeta) {
    WebSession& s = session();
    AgvContext& ctx = s.ctx;
    const Conditions c = conditionsOf(errorNumber, v1, v2, curve, p1, p2, p3, fn, zeta);
    const agv::SimulationSettings savedSettings = ctx.model.settings;
    const agv::FeedbackGains savedGains = ctx.model.gains;
    const auto savedPath = std::make_unique<agv::PathTables>(ctx.model.path);
    const auto restore = [&] {
        ctx.model.settings = savedSettings;
        ctx.model.gains = savedGains;
        ctx.model.path = *savedPath;
    };

    Outcome o = checkConditions(ctx, c);
    if (!o.ok) {
        restore();
        return replyWith(o);
    }
    agv::applyErrorChoice(ctx, agv::mechanismErrorOf(c.errorNumber), c.errorValue1, c.errorValue2);
    ctx.model.settings.curveNumber = c.curve;
    agv::setupPath(ctx.model, c.curve);
    const agv::RunOutcome check = agv::checkPathLength(ctx.model, c.curve);
    if (!check.done()) {
        restore();
        return replyWith(
            {false, "curve", trimmed(agv::pathTooLongText(check)), agv::outcomeReason(check)});
    }
    agv::applyFeedbackDesign(ctx, c.fn, c.zeta);

    std::ostringstream report;
    ctx.out = &report;
    agv::printConditions(ctx);
    ctx.out = &agv::discardedText();

    // Every run starts the slip noise afresh, as agvsim-batch does, so that a link always
    // gives the same numbers whatever was computed before.
    ctx.data.noise.rngState = agv::SlipNoise{}.rngState;
    s.computed = false;
    const agv::RunOutcome outcome = agv::computeTrajectories(ctx);
    if (!outcome.done()) {
        const char* section = outcome.status == agv::RunStatus::kStoreOverflow ? "curve" : "all";
        return replyWith(
            {false, section, trimmed(agv::dialogueRetryText(outcome)), agv::outcomeReason(outcome)},
            report.str());
    }
    s.computed = true;
    return replyWith({}, report.str());
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
    const int last = s.ctx.data.store->recordCount[s.ctx.model.settings.vehicleType - 1];
    s.ctx.view.motionIndex = index < 0 ? 0 : (index > last ? last : index);
}

/// What the page shows beside the picture: JSON {computed, type, index, last}.
EMSCRIPTEN_KEEPALIVE const char* agv_state() {
    WebSession& s = session();
    const AgvContext& ctx = s.ctx;
    const int type = ctx.model.settings.vehicleType;
    const int last = s.computed && type >= 1 && type <= agv::kVehicleTypeCount
                         ? ctx.data.store->recordCount[type - 1]
                         : 0;
    s.reply = "{\"computed\":" + std::string(s.computed ? "true" : "false") +
              ",\"type\":" + std::to_string(type) +
              ",\"index\":" + std::to_string(ctx.view.motionIndex) +
              ",\"last\":" + std::to_string(last) + "}";
    return s.reply.c_str();
}

/// Records the picture of the current view; returns how many numbers it has (0 before a
/// computation). agv_picture_numbers and agv_picture_texts hand them over.
EMSCRIPTEN_KEEPALIVE int agv_draw() {
    WebSession& s = session();
    s.picture.reset();
    if (!s.computed) return 0;
    agv::drawFrame(sceneOf(s.ctx), s.picture);
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

}  // extern "C"
