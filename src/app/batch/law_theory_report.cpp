#include "app/batch/law_theory_report.h"

#include "app/common/text_output.h"
#include "sim/controller_theory.h"
#include "sim/linear_theory.h"

namespace agv {

namespace {

const char* const kTypeNames[kVehicleTypeCount] = {"2DW1C", "1FDW1FS", "1RDW1FS"};

void printPole(std::ostream& out, const std::complex<double>& p) {
    if (p.imag() == 0.0) {
        printText(out, " %.6g", p.real());
    } else {
        printText(out, " %.6g%+.6gi", p.real(), p.imag());
    }
}

void printSteadyRow(std::ostream& out, const char* name, double predicted, double simulated) {
    printText(out, "  %-14s%16.6g%16.6g", name, predicted, simulated);
    if (predicted != 0.0) {
        printText(out, "%12.6g\n", simulated / predicted);
    } else {
        printText(out, "%12s\n", "-");
    }
}

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
        printText(out, "  %-26s", "lateral poles [1/s]:");
        for (const std::complex<double>& p : t.poles)
            printPole(out, p);
        out << '\n';
        printText(out, "  %-26s", "along-path poles [1/s]:");
        for (const Pole& p : speedLaw.types[static_cast<size_t>(k)].alongPathPoles)
            printPole(out, p);
        out << '\n';
        const int last = store.recordCount[k];
        const double dd = store.fbcErr[k][last][0];
        const double dth = store.fbcErr[k][last][1];
        if (!t.steadyDefined) {
            const char* why = !t.stable()                                      ? "unstable loop"
                              : hasError(s.errorsGiven, MechanismError::kSlip) ? "random slip"
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
