#include "app/batch/law_theory_report.h"

#include "app/batch/theory_report.h"
#include "app/common/text_output.h"
#include "sim/controller_theory.h"
#include "sim/linear_theory.h"

namespace agv {

namespace {

const char* const kTypeNames[kVehicleTypeCount] = {"2DW1C", "1FDW1FS", "1RDW1FS"};

}  // namespace

void writeLawTheoryReport(std::ostream& out, const Model& model, const TrajectoryStore& store) {
    const SimulationSettings& s = model.settings;
    const PathShape shape = pathCurvature(s).shape;
    const RunTheory speedLaw = runTheory(model);
    printText(out, "linear theory of the %s law (docs/controllers.md): %s\n",
              controllerName(s.controller),
              shape == PathShape::kStraight ? "straight path"
                                            : "the path bends: linearised as a straight path");
    for (int k = 0; k < kVehicleTypeCount; ++k) {
        const LawTheory t = lawTheory(model, k + 1);
        printText(out, "type %d (%s): %s, largest lateral pole real part %.6g 1/s\n", k + 1,
                  kTypeNames[k], t.stable() ? "stable" : "UNSTABLE",
                  t.poles.empty() ? 0.0 : t.poles.front().real());
        printPoles(out, "lateral poles [1/s]:", t.poles.data(), static_cast<int>(t.poles.size()));
        const auto& alongPath = speedLaw.types[static_cast<size_t>(k)].alongPathPoles;
        printPoles(out, "along-path poles [1/s]:", alongPath.data(),
                   static_cast<int>(alongPath.size()));
        const int last = store.recordCount[k];
        const double dd = store.fbcErr[k][last][0];
        const double dth = store.fbcErr[k][last][1];
        if (!t.steadyDefined) {
            const char* why = !t.stable()     ? "unstable loop"
                              : slipActive(s) ? "random slip"
                                              : "the path bends";
            printText(out,
                      "  steady dd, dth: not defined: %s; last record dd %.6g m, dth %.6g rad\n",
                      why, dd, dth);
        } else {
            printText(out, "  %-14s%16s%16s%12s\n", "steady", "predicted", "last record", "ratio");
            printSteadyRow(out, "dd [m]", t.steadyDd, dd);
            printSteadyRow(out, "dth [rad]", t.steadyDth, dth);
        }
        if (k + 1 < kVehicleTypeCount) out << '\n';
    }
}

}  // namespace agv
