#include "path/path_length.h"

#include "app/context.h"
#include "app/text_output.h"
#include "path/arc_length.h"
#include "path/curves.h"
#include "path/length_bound.h"

namespace agv {

int checkPathLength(AgvContext& ctx, int curveNumber) {
    if (!isCurveNumber(curveNumber)) return 0;
    const int I = curveNumber;
    // The trajectory store records one sample per stepLength of travel.
    const double smax = kMaxRecords * ctx.settings.stepLength;
    const double pEnd = ctx.path.pathEndParam[I];
    const auto bound = pathLengthLowerBound(ctx.settings.curve, I, pEnd, smax);
    const double sf = bound ? *bound : arcLength(ctx, 0.0, pEnd, I);
    ctx.path.pathEnd[I].sf = sf;
    // A length that is not a number cannot be run either: refused like a long one.
    if (!(sf <= smax)) {
        printText(*ctx.out,
                  "\n経路番号I=%d 経路長sf=%7.4f>%7.4f=smax限界を超えている．経路設定し直し", I, sf,
                  smax);
        return 0;
    }
    return 1;
}

}  // namespace agv
