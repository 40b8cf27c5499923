#include "sim/records_needed.h"

#include <cmath>
#include <limits>
#include <memory>

#include "path/arc_length.h"
#include "path/curves.h"
#include "sim/model.h"

namespace agv {

double recordsNeeded(const SimulationSettings& settings, int curveNumber, double enough) {
    auto trial = std::make_unique<Model>();
    trial->settings = settings;
    const Model& model = *trial;
    prepareCurve(*trial, curveNumber);
    const double pEnd = model.path.pathEndParam[curveNumber];
    double halfStep = 0.0;
    int panels = 0;
    if (!arcLengthPanels(pEnd, halfStep, panels)) return 0.0;
    const double step = 2.0 * halfStep;
    const double T = settings.tread;
    double time = 0.0;
    // A path needing more than enough records is refused however many more it needs.
    const double enoughTime = enough * settings.dt;
    for (int i = 0; i < panels; ++i) {
        const double p = (i + 0.5) * step;
        const double Tkappa = T * curveCurvature(model, p, curveNumber);
        const double c = 1.0 / std::sqrt(1.0 + Tkappa * Tkappa);
        const double cruising = 1.0 / (c * settings.Vw);
        const double steering =
            c * c * T * std::fabs(curvatureRate(model, p, curveNumber)) / settings.omegaMax;
        const double perLength = cruising > steering ? cruising : steering;
        time += perLength * std::fabs(curveSpeed(model, p, curveNumber) * step);
        if (time > enoughTime) return enough;
    }
    const double records = time / settings.dt;
    return std::isnan(records) ? std::numeric_limits<double>::infinity() : records;
}

}  // namespace agv
