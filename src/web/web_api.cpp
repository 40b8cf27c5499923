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
#include "app/draw_context.h"
#include "app/report.h"
#include "app/startup.h"
#include "app/text_output.h"
#include "draw/frame.h"
#include "draw/recording_backend.h"
#include "noise/random_tables.h"
#include "path/arc_length.h"
#include "path/path_dialogue.h"
#include "path/path_length.h"
#include "sim/caltraj.h"

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

/// A check's outcome: the form section it concerns and the dialogue's message.
struct Outcome {
    bool ok = true;
    const char* section = "";
    std::string message;
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
    r += ",\"report\":" + jsonString(report) + "}";
    return r.c_str();
}

/// Runs one of the core's checks with its printed refusal caught.
template <typename Check>
Outcome checked(AgvContext& ctx, const char* section, Check check) {
    std::ostringstream refusal;
    ctx.out = &refusal;
    Outcome outcome;
    outcome.ok = check();
    ctx.out = &agv::discardedText();
    outcome.section = section;
    outcome.message = trimmed(refusal.str());
    return outcome;
}

/// The dialogue's checks of the three sections, in its order; leaves the curve constants
/// stored in the settings.
Outcome checkConditions(AgvContext& ctx, const Conditions& c) {
    if (c.errorNumber < 0 || c.errorNumber > 5) {
        return {false, "error", " 0-5のどれかを選択(0:誤差なし) Error Number="};
    }
    const char errorNumber = static_cast<char>('0' + c.errorNumber);
    Outcome o = checked(ctx, "error", [&] {
        return agv::checkErrorChoice(ctx, errorNumber, c.errorValue1, c.errorValue2);
    });
    if (!o.ok) return o;
    if (agv::curveConstantCount(c.curve) == 0) {
        char message[64];
        std::snprintf(message, sizeof message, "I=%d  やり直し", c.curve);
        return {false, "curve", message};
    }
    agv::storeCurveConstants(ctx, c.curve, c.params);
    o = checked(ctx, "curve", [&] { return agv::checkCurveConstants(ctx, c.curve); });
    if (!o.ok) return o;
    return checked(ctx, "feedback", [&] { return agv::checkFeedbackDesign(ctx, c.fn, c.zeta); });
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
    if (!agv::loadRandomTables(s.ctx, error)) return 1;
    agv::initialiseRun(s.ctx);
    return 0;
}

/// The form's checks without changing anything: JSON {ok, section, message}.
EMSCRIPTEN_KEEPALIVE const char* agv_check(int errorNumber, double v1, double v2, int curve,
                                           double p1, double p2, double p3, double fn,
                                           double zeta) {
    AgvContext& ctx = session().ctx;
    const agv::SimulationSettings savedSettings = ctx.settings;
    const agv::FeedbackGains savedGains = ctx.gains;
    const Outcome o =
        checkConditions(ctx, conditionsOf(errorNumber, v1, v2, curve, p1, p2, p3, fn, zeta));
    ctx.settings = savedSettings;
    ctx.gains = savedGains;
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
    const agv::SimulationSettings savedSettings = ctx.settings;
    const agv::FeedbackGains savedGains = ctx.gains;
    const auto savedPath = std::make_unique<agv::PathTables>(ctx.path);
    const auto restore = [&] {
        ctx.settings = savedSettings;
        ctx.gains = savedGains;
        ctx.path = *savedPath;
    };

    Outcome o = checkConditions(ctx, c);
    if (!o.ok) {
        restore();
        return replyWith(o);
    }
    agv::applyErrorChoice(ctx, static_cast<char>('0' + c.errorNumber), c.errorValue1,
                          c.errorValue2);
    ctx.settings.curveNumber = c.curve;
    agv::setupPath(ctx, c.curve);
    o = checked(ctx, "curve", [&] { return agv::checkPathLength(ctx, c.curve) != 0; });
    if (!o.ok) {
        char line[96];
        std::snprintf(line, sizeof line, "\n経路長過ぎる．sf=%6.3f[m]  設定し直し",
                      ctx.path.pathEndReference[c.curve].s);
        o.message = trimmed(o.message + line);
        restore();
        return replyWith(o);
    }
    agv::applyFeedbackDesign(ctx, c.fn, c.zeta);

    std::ostringstream report;
    ctx.out = &report;
    agv::printConditions(ctx);
    ctx.out = &agv::discardedText();

    // Every run starts the slip noise afresh, as agvsim-batch does, so that a link always
    // gives the same numbers whatever was computed before.
    ctx.noise.rngState = agv::NoiseState{}.rngState;
    s.computed = false;
    if (agv::computeTrajectories(ctx) >= agv::kStoreOverflow) {
        char line[96];
        std::snprintf(line, sizeof line, "dialogue() I=%d 経路長長過ぎる．経路設定し直し", c.curve);
        return replyWith({false, "curve", line}, report.str());
    }
    if (!agv::trajectoriesAreFinite(ctx)) {
        return replyWith(
            {false, "all", "計算が発散した（誤差またはFBゲインが大き過ぎる）　設定し直し"},
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
        agv::writeTrajectoryCsv(csv, *s.ctx.store, s.ctx.settings.dt);
        s.reply = csv.str();
    }
    return s.reply.c_str();
}

/// Applies a window key; returns 0 nothing, 1 redraw, 2 to the dialogue, 3 end.
EMSCRIPTEN_KEEPALIVE int agv_key(int key) {
    WebSession& s = session();
    if (!s.computed) return 0;
    return static_cast<int>(agv::applyWindowKey(s.ctx, static_cast<unsigned char>(key)));
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
    agv::applyWindowKey(ctx, static_cast<unsigned char>('0' + t));
    const auto press = [&](int count, unsigned char up, unsigned char down) {
        for (int i = 0; i < (count < 0 ? -count : count); ++i)
            agv::applyWindowKey(ctx, count >= 0 ? up : down);
    };
    press(zoom, 'w', 'W');
    press(shiftX, 'X', 'x');
    press(shiftY, 'Y', 'y');
    const int last = ctx.store->recordCount[t - 1];
    ctx.view.motionIndex = index < 0 || index > last ? last : index;
}

/// Moves the animation to record index (held to the records of the type on show).
EMSCRIPTEN_KEEPALIVE void agv_set_index(int index) {
    WebSession& s = session();
    if (!s.computed) return;
    const int last = s.ctx.store->recordCount[s.ctx.settings.vehicleType - 1];
    s.ctx.view.motionIndex = index < 0 ? 0 : (index > last ? last : index);
}

/// What the page shows beside the picture: JSON {computed, type, index, last}.
EMSCRIPTEN_KEEPALIVE const char* agv_state() {
    WebSession& s = session();
    const AgvContext& ctx = s.ctx;
    const int type = ctx.settings.vehicleType;
    const int last = s.computed && type >= 1 && type <= agv::kVehicleTypeCount
                         ? ctx.store->recordCount[type - 1]
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
    agv::drawFrame(agv::sceneOf(s.ctx), s.picture);
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
