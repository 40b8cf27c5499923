#include "app/startup.h"

#include "app/context.h"
#include "draw/view_state.h"
#include "path/arc_length.h"
#include "path/path_length.h"
#include "sim/feedback.h"

namespace agv {

namespace {

/// Curve shown and checked at start.
constexpr int kStartCurve = 1;

}  // namespace

void initialiseRun(AgvContext& ctx) {
    // The start-up values are those of a fresh settings record.
    const SimulationSettings defaults;
    SimulationSettings& s = ctx.settings;

    s.stepLength = s.Vw * s.dt;

    s.curve = defaults.curve;
    s.curve.ellipseASquared = s.curve.ellipseA * s.curve.ellipseA;
    s.curve.ellipseBSquared = s.curve.ellipseB * s.curve.ellipseB;
    s.curve.spiralRate = s.curve.spiralA / kTwoPi;

    // Only the random slip starts with an error value (5 %).
    clearMechanismErrors(s);
    s.SLIP = defaults.SLIP;

    s.curveNumber = kStartCurve;
    setupPath(ctx, kStartCurve);
    // The default path always fits; the result is not needed here.
    checkPathLength(ctx, kStartCurve);

    s.fn = defaults.fn;
    s.zeta = defaults.zeta;
    s.omegaN = kTwoPi * s.fn;
    designGains(ctx);

    s.vehicleType = k1FDW1FS;
    setViewDefaults(ctx.view);

    ctx.run.lastKey = RunState{}.lastKey;
    ctx.run.computeCount = 0;
}

}  // namespace agv
