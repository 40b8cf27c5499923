#include "app/batch/theory_report.h"

#include <cmath>
#include <string>
#include <vector>

#include "app/common/text_output.h"

namespace agv {

namespace {

const char* const kTypeNames[kVehicleTypeCount] = {"2DW1C", "1FDW1FS", "1RDW1FS"};

const char* shapeText(PathShape shape) {
    switch (shape) {
        case PathShape::kStraight:
            return "straight path";
        case PathShape::kCircle:
            return "circle";
        case PathShape::kVarying:
            break;
    }
    return "curvature varies: linearised as a straight path";
}

/// The verdict on a type's design: whether it holds, and if not, why.
std::string verdictText(const TypeTheory& t) {
    switch (t.stability) {
        case Stability::kStable:
            break;
        case Stability::kRightHalfPlane:
            return "unstable: pole in the right half-plane";
        case Stability::kIntegrationStep: {
            std::string text = formatText("unstable at the %g ms step: ", 1000.0 * t.step);
            if (std::isnan(t.stepLimitFn)) return text + "a pole beyond its stability region";
            return text + formatText("%s above %.4f Hz", t.stepLimitFn < 0.0 ? "|fn|" : "fn",
                                     std::fabs(t.stepLimitFn));
        }
    }
    return t.beyondLinearRange ? "stable, but beyond the linear range" : "stable";
}

/// The peaks of the predicted response that the model limits.
void printLinearRange(std::ostream& out, const TypeTheory& t) {
    if (t.vehicleType == k2DW1C) {
        printText(out, "  linear range: turn-rate correction %.6g rad/s, speed correction %.6g m/s",
                  t.peakTurnCorrection, t.peakSpeedCorrection);
    } else {
        printText(out,
                  "  linear range: steering angle %.6g rad, steering rate %.6g rad/s, speed "
                  "correction %.6g m/s",
                  t.peakSteerAngle, t.peakSteerRate, t.peakSpeedCorrection);
    }
    out << (t.beyondLinearRange ? ": beyond the linear range (a limit acts)\n" : "\n");
}

/// Why the steady value is not defined.
const char* undefinedReason(const RunTheory& theory, const TypeTheory& type,
                            const SimulationSettings& settings) {
    if (!type.stable()) return "not defined: unstable design";
    if (slipActive(settings)) return "not defined: random slip";
    if (theory.path.shape == PathShape::kVarying) return "not defined: the curvature varies";
    return "not defined";
}

/// The mean and the amplitude at the path's frequency of dd, predicted and as the last
/// period of records shows them.
void printPeriodic(std::ostream& out, const TypeTheory& t, const TrajectoryStore& store, int k,
                   double dt) {
    const int last = store.recordCount[k];
    std::vector<double> time(static_cast<size_t>(last) + 1);
    std::vector<double> dd(static_cast<size_t>(last) + 1);
    for (int n = 0; n <= last; ++n) {
        time[static_cast<size_t>(n)] = n < last ? n * dt : store.endTime[k];
        dd[static_cast<size_t>(n)] = store.fbcErr[k][n][0];
    }
    const PeriodicOffset seen = lastPeriod(time.data(), dd.data(), last + 1, t.periodic.omega);
    printText(out, "  path frequency %.6g rad/s (period %.6g s)\n", t.periodic.omega,
              kTwoPi / t.periodic.omega);
    printText(out, "  %-14s%16s%16s%12s\n", "dd", "predicted", "last period", "ratio");
    if (!seen.defined) {
        printText(out, "  %-14s%16.6g%16s\n", "mean [m]", t.periodic.mean, "-");
        printText(out, "  %-14s%16.6g%16s\n", "amplitude [m]", t.periodic.amplitude, "-");
        return;
    }
    printSteadyRow(out, "mean [m]", t.periodic.mean, seen.mean);
    printSteadyRow(out, "amplitude [m]", t.periodic.amplitude, seen.amplitude);
}

}  // namespace

void printPoles(std::ostream& out, const char* title, const Pole* poles, int n) {
    printText(out, "  %-26s", title);
    for (int i = 0; i < n; ++i) {
        const Pole& p = poles[i];
        if (p.imag() == 0.0) {
            printText(out, " %.6g", p.real());
        } else {
            printText(out, " %.6g%+.6gi", p.real(), p.imag());
        }
    }
    out << '\n';
}

void printSteadyRow(std::ostream& out, const char* name, double predicted, double simulated) {
    printText(out, "  %-14s%16.6g%16.6g", name, predicted, simulated);
    if (predicted != 0.0) {
        printText(out, "%12.6g\n", simulated / predicted);
    } else {
        printText(out, "%12s\n", "-");
    }
}

void writeTheoryReport(std::ostream& out, const RunTheory& theory,
                       const SimulationSettings& settings, const TrajectoryStore& store) {
    printText(out, "linear theory (docs/theory.md): %s, curvature %.6g 1/m\n",
              shapeText(theory.path.shape), theory.path.kappa);
    for (int k = 0; k < kVehicleTypeCount; ++k) {
        const TypeTheory& t = theory.types[static_cast<size_t>(k)];
        printText(out, "type %d (%s): %s, largest pole real part %.6g 1/s\n", k + 1, kTypeNames[k],
                  verdictText(t).c_str(), t.maxPoleReal);
        printPoles(out, "lateral poles [1/s]:", t.lateralPoles.data(), kLateralStates);
        printPoles(out, "along-path poles [1/s]:", t.alongPathPoles.data(), kAlongPathStates);
        printText(out, "  %-26s %.6g s\n", "slowest time constant:", t.slowestTimeConstant);
        printText(out, "  response to %s:\n",
                  t.figuresOfRunError ? "the run's error" : "a unit heading-rate disturbance");
        printText(out, "    peak %.6g m, overshoot ", t.figures.peak);
        if (std::isnan(t.figures.overshoot)) {
            out << "-";
        } else if (t.figures.steady == 0.0) {
            printText(out, "%.6g %% of the peak (settles at 0)", 100.0 * t.figures.overshoot);
        } else {
            printText(out, "%.6g %%", 100.0 * t.figures.overshoot);
        }
        printText(out, ", 2 %% settling time %.6g s\n", t.figures.settlingTime);
        if (t.stable()) printLinearRange(out, t);
        const int last = store.recordCount[k];
        const double dd = store.fbcErr[k][last][0];
        const double dth = store.fbcErr[k][last][1];
        if (t.periodic.defined) printPeriodic(out, t, store, k, settings.dt);
        if (!std::isnan(t.slipDdRms)) {
            double sum = 0.0;
            for (int n = 0; n <= store.recordCount[k]; ++n)
                sum += store.fbcErr[k][n][0] * store.fbcErr[k][n][0];
            const double rms = std::sqrt(sum / (store.recordCount[k] + 1));
            printText(out, "  %-14s%16s%16s%12s\n", "random slip", "predicted", "records", "ratio");
            printSteadyRow(out, "dd RMS [m]", t.slipDdRms, rms);
        }
        if (!t.steady.defined) {
            printText(out, "  steady dd, dth: %s; last record dd %.6g m, dth %.6g rad\n",
                      undefinedReason(theory, t, settings), dd, dth);
        } else {
            printText(out, "  %-14s%16s%16s%12s\n", "steady", "predicted", "last record", "ratio");
            printSteadyRow(out, "dd [m]", t.steady.dd, dd);
            printSteadyRow(out, "dth [rad]", t.steady.dth, dth);
        }
        if (k + 1 < kVehicleTypeCount) out << '\n';
    }
}

}  // namespace agv
