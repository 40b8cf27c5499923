// A context prepared as the dialogue leaves it before a computation, with the core's
// messages captured, and vehicles placed on the path.
#pragma once

#include <cmath>
#include <sstream>

#include "app/context.h"
#include "path/arc_length.h"
#include "path/curves.h"
#include "sim/feedback.h"

namespace simtest {

struct SimContext {
    agv::AgvContext ctx;
    std::ostringstream console;

    /// The defaults of a fresh run with error number '0'.
    explicit SimContext(char errorNumber = '0') {
        ctx.out = &console;
        ctx.settings.errorNumber = errorNumber;
    }

    /// Sets up curve I with its current constants, the gains and the arc table.
    void prepare(int curveNumber) {
        ctx.settings.curveNumber = curveNumber;
        agv::setupPath(ctx, curveNumber);
        agv::designGains(ctx);
        agv::buildArcTable(ctx, curveNumber);
    }

    /// Sets fn and ζ and redesigns the gains.
    void design(double fn, double zeta) {
        ctx.settings.fn = fn;
        ctx.settings.zeta = zeta;
        ctx.settings.omegaN = agv::kTwoPi * fn;
        agv::designGains(ctx);
    }
};

/// The reference point of curve I at parameter p, as a search would leave it.
inline agv::ReferencePoint referenceAt(const agv::AgvContext& ctx, int curve, double p) {
    double pt[2];
    double d[3];
    agv::curvePoint(ctx, p, curve, pt);
    agv::curveTangent(ctx, p, curve, d);
    const double kappa = agv::curveCurvature(ctx, p, curve);
    return {agv::arcLength(ctx, 0.0, p, curve),    d[2],  pt[0], pt[1],
            std::atan(ctx.settings.tread * kappa), kappa, p};
}

/// All three vehicles at parameter p of curve I, heading along it and steering with it.
inline agv::MotionState stateOnPath(const agv::AgvContext& ctx, int curve, double p) {
    const agv::ReferencePoint r = referenceAt(ctx, curve, p);
    agv::MotionState state{};
    const double pose[agv::kPoseFields] = {r.s, r.theta, r.x, r.y, r.phi};
    for (const int base : {agv::kSlotTheory, agv::kSlotNoFbc, agv::kSlotFbc}) {
        for (int j = 0; j < agv::kPoseFields; ++j)
            state[base + j] = pose[j];
    }
    state[agv::kSlotKappa] = r.kappa;
    state[agv::kSlotParam] = p;
    return state;
}

}  // namespace simtest
