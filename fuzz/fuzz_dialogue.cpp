// Bytes as the console's input: the whole dialogue up to the computation, which is not run.
// The first byte picks the section the dialogue starts at (as after a window key).
// Fails when a setting that is not a finite number gets through.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "app/common/computation.h"
#include "app/common/context.h"
#include "app/common/random_table_file.h"
#include "app/common/text_output.h"
#include "app/console/console.h"
#include "app/console/dialogue.h"

namespace {

/// Window keys that re-enter the dialogue after a computation ('0': the first pass).
const char kEntryKeys[] = {'0', 'c', 'e', 'f'};

void requireFinite(double value, const char* name) {
    if (!std::isfinite(value)) {
        std::fprintf(stderr, "non-finite setting %s = %g\n", name, value);
        std::abort();
    }
}

/// The conditions as read; with `complete` also what a computation would start from.
void checkSettings(const agv::AgvContext& ctx, bool complete) {
    const agv::SimulationSettings& s = ctx.model.settings;
    const double plain[] = {
        s.Vw,          s.dt,         s.wheelBase,     s.tread,         s.wheelBaseActual,
        s.treadActual, s.stepLength, s.rearWheelErrL, s.rearWheelErrR, s.frontWheelErr,
        s.steerDrift,  s.WBerr,      s.TRerr,         s.SLIP,          s.fn,
        s.zeta,        s.omegaN};
    for (const double value : plain)
        requireFinite(value, "of the vehicle, errors or feedback");
    const agv::CurveParams& c = s.curve;
    const double curve[] = {c.cosineA,    c.cosineL,    c.cosineN, c.cycloidA,  c.cycloidL,
                            c.quadraticA, c.quadraticL, c.cubicA,  c.cubicL,    c.ellipseA,
                            c.ellipseB,   c.spiralA,    c.spiralN, c.cardioidA, c.cardioidB,
                            c.roseA,      c.roseN,      c.circleR, c.circleN,   c.wavyA,
                            c.wavyN,      c.wavyR};
    for (const double value : curve)
        requireFinite(value, "curve constant");
    if (!complete) return;
    switch (s.curveNumber) {
        case 1:
            requireFinite(c.cosineK, "cosine K");
            break;
        case 2:
            requireFinite(c.cycloidK, "cycloid K");
            break;
        case 11:
            for (const double value :
                 {c.ellipseASquared, c.ellipseBSquared, c.ellipseAB, c.ellipseSqDiff})
                requireFinite(value, "derived ellipse constant");
            break;
        case 12:
            requireFinite(c.spiralRate, "spiral rate");
            break;
        default:
            break;
    }
    const int I = s.curveNumber;
    requireFinite(ctx.model.path.pathEnd[I].sf, "path length of the current curve");
    requireFinite(ctx.model.path.pathEndParam[I], "end parameter of the current curve");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One context for all inputs (its 3 MB store is never touched before a computation):
    // everything the dialogue may change is reset from the state after start-up.
    static agv::AgvContext& started = *[] {
        auto* ctx = new agv::AgvContext;
        ctx->out = &agv::discardedText();
        std::string error;
        if (!agv::loadRandomTables(ctx->model.tables, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::abort();
        }
        agv::initialiseRun(*ctx);
        return ctx;
    }();
    static agv::AgvContext& ctx = *[] {
        auto* fresh = new agv::AgvContext;
        fresh->out = &agv::discardedText();
        fresh->model.tables = started.model.tables;
        return fresh;
    }();
    ctx.scenario = started.scenario;
    ctx.model.settings = started.model.settings;
    ctx.model.path = started.model.path;
    ctx.model.gains = started.model.gains;
    ctx.run = started.run;
    ctx.view = started.view;
    if (size > 0) {
        const char key = kEntryKeys[data[0] % sizeof kEntryKeys];
        ctx.run.lastKey = key;
        ctx.run.computeCount = key == '0' ? 0 : 1;
        ++data;
        --size;
    }
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    agv::Console console(in, agv::discardedText());
    bool complete = true;
    try {
        agv::askConditions(ctx, console);
    } catch (const agv::InputEnded&) {
        // The program ends here; what was read so far must still be finite.
        complete = false;
    }
    checkSettings(ctx, complete);
    return 0;
}
