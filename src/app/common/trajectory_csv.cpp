#include "app/common/trajectory_csv.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/common/number_format.h"
#include "app/common/outcome_text.h"
#include "app/common/output_target.h"
#include "app/common/text_output.h"
#include "sim/following_figures.h"

namespace agv {

const char* const kTrajectoryCsvHeader =
    "type,record,t,theory_s,theory_theta,theory_x,theory_y,theory_phi,nofbc_s,nofbc_theta,"
    "nofbc_x,nofbc_y,nofbc_phi,fbc_s,fbc_theta,fbc_x,fbc_y,fbc_phi,ref_s,ref_theta,ref_x,ref_y,"
    "ref_phi,nofbc_dd,nofbc_dth,fbc_dd,fbc_dth";

namespace {

/// Pose slots written per trajectory (s, θ, x, y, φ).
constexpr int kPoseValues = 5;
/// Room reserved per row; rows of long numbers only grow the text once more.
constexpr std::size_t kRowCharsGuess = 512;
const char* const kTypeNames[3] = {"2DW1C", "1FDW1FS", "1RDW1FS"};

void appendNumber(std::string& line, double value) {
    line += ',';
    appendShortest(line, value);
}

void appendPose(std::string& line, const PoseRecord& pose) {
    for (int slot = 0; slot < kPoseValues; ++slot)
        appendNumber(line, pose[slot]);
}

/// The larger of a running maximum and |value|; a NaN anywhere stays visible.
double largerMagnitude(double current, double value) {
    if (std::isnan(current) || std::isnan(value)) return std::nan("");
    return std::fmax(current, std::fabs(value));
}

}  // namespace

void appendTrajectoryRows(std::string& out, const TrajectoryStore& store, int k, double dt) {
    const int last = store.recordCount[k];
    out.reserve(out.size() + static_cast<std::size_t>(last + 1) * kRowCharsGuess);
    const std::string type = std::to_string(k + 1) + ',';
    for (int n = 0; n <= last; ++n) {
        out += type;
        out += std::to_string(n);
        appendNumber(out, n == last ? store.endTime[k] : n * dt);
        appendPose(out, store.theoryTraj[k][n]);
        appendPose(out, store.noFbcTraj[k][n]);
        appendPose(out, store.fbcTraj[k][n]);
        appendPose(out, store.fbcRefTraj[k][n]);
        appendNumber(out, store.noFbcErr[k][n][0]);
        appendNumber(out, store.noFbcErr[k][n][1]);
        appendNumber(out, store.fbcErr[k][n][0]);
        appendNumber(out, store.fbcErr[k][n][1]);
        out += '\n';
    }
}

std::string trajectoryCsvOutcome(const TrajectoryStore& store) {
    std::string lines;
    for (int k = 0; k < 3; ++k) {
        if (!store.diverged[k]) continue;
        lines += "# " + divergenceReason(k + 1, store.recordCount[k], store.divergedTime[k]) + "\n";
    }
    return lines;
}

void writeTrajectoryCsv(std::ostream& out, const TrajectoryStore& store, double dt) {
    out << kTrajectoryCsvHeader << '\n';
    for (int k = 0; k < 3; ++k) {
        std::string rows;
        appendTrajectoryRows(rows, store, k, dt);
        out << rows;
    }
    out << trajectoryCsvOutcome(store);
}

bool writeTrajectoryCsvRows(const std::string& path, const std::array<std::string, 3>& rows,
                            const std::string& outcome, std::string& error) {
    OutputTarget target;
    if (!target.open(path, error)) return false;
    target.stream() << kTrajectoryCsvHeader << '\n';
    for (const std::string& typeRows : rows)
        target.stream() << typeRows;
    target.stream() << outcome;
    return target.commit(error);
}

bool writeTrajectoryCsvFile(const std::string& path, const TrajectoryStore& store, double dt,
                            std::string& error) {
    std::array<std::string, 3> rows;
    for (int k = 0; k < 3; ++k)
        appendTrajectoryRows(rows[k], store, k, dt);
    return writeTrajectoryCsvRows(path, rows, trajectoryCsvOutcome(store), error);
}

std::array<TypeSummary, 3> summariseTrajectories(const TrajectoryStore& store) {
    std::array<TypeSummary, 3> summary{};
    for (int k = 0; k < 3; ++k) {
        TypeSummary& type = summary[k];
        const int last = store.recordCount[k];
        type.lastRecord = last;
        type.endTime = store.endTime[k];
        type.diverged = store.diverged[k];
        type.divergedTime = store.divergedTime[k];
        type.finalTheory = store.theoryTraj[k][last];
        type.finalNoFbc = store.noFbcTraj[k][last];
        type.finalFbc = store.fbcTraj[k][last];
        for (int n = 0; n <= last; ++n) {
            type.maxDdNoFbc = largerMagnitude(type.maxDdNoFbc, store.noFbcErr[k][n][0]);
            type.maxDthNoFbc = largerMagnitude(type.maxDthNoFbc, store.noFbcErr[k][n][1]);
            type.maxDdFbc = largerMagnitude(type.maxDdFbc, store.fbcErr[k][n][0]);
            type.maxDthFbc = largerMagnitude(type.maxDthFbc, store.fbcErr[k][n][1]);
        }
    }
    return summary;
}

namespace {

/// Characters of a number in exponent form besides its decimals: "-1." and "e+308".
constexpr int kExponentFormChars = 8;

/// One summary value right-aligned in a column of the given width, with six decimals, or
/// with an exponent when those would leave no space before it (1e300 has 301 digits).
void printCell(std::ostream& out, int width, double value) {
    const std::string fixed = formatText("%.6f", value);
    if (static_cast<int>(fixed.size()) < width) {
        printText(out, "%*s", width, fixed.c_str());
        return;
    }
    const int decimals = std::max(0, width - 1 - kExponentFormChars);
    printText(out, "%*.*e", width, decimals, value);
}

void printPoseRow(std::ostream& out, const char* vehicle, const PoseRecord& pose,
                  const double* maxDd, const double* maxDth) {
    printText(out, "  %-14s", vehicle);
    printCell(out, 11, pose[kPoseS]);
    printCell(out, 11, pose[kPoseX]);
    printCell(out, 11, pose[kPoseY]);
    printCell(out, 13, pose[kPoseTheta]);
    printCell(out, 13, pose[kPosePhi]);
    if (maxDd != nullptr) {
        printCell(out, 14, *maxDd);
        printCell(out, 16, *maxDth);
    }
    out << '\n';
}

}  // namespace

void writeFollowingFigures(std::ostream& out, const TrajectoryStore& store, double dt) {
    printText(out, "following of the FBC (green) vehicles (docs/controllers.md, section 7):\n");
    printText(out, "  %-10s%16s%16s%16s%16s%20s\n", "type", "peak|dd| [m]", "rms|dd| [m]",
              "steady dd [m]", "settling [s]", "int|corr|dt [rad]");
    for (int k = 0; k < 3; ++k) {
        if (store.diverged[k]) {
            printText(out, "  %-10d%s\n", k + 1, "left the path: no figures");
            continue;
        }
        const FollowingFigures f = followingFigures(store, k, dt);
        printText(out, "  %-10d%16.9g%16.9g%16.9g%16.9g%20.9g\n", k + 1, f.peakDd, f.rmsDd,
                  f.steadyDd, f.settlingTime, f.correctionIntegral);
    }
}

void writeSummary(std::ostream& out, const std::array<TypeSummary, 3>& summary) {
    for (int k = 0; k < 3; ++k) {
        const TypeSummary& type = summary[k];
        printText(out, "type %d (%s): records 0..%d, end time %.4f s%s\n", k + 1, kTypeNames[k],
                  type.lastRecord, type.endTime,
                  type.diverged
                      ? ("; " + divergenceReason(k + 1, type.lastRecord, type.divergedTime)).c_str()
                      : "");
        printText(out, "  %-14s%11s%11s%11s%13s%13s%14s%16s\n", "vehicle", "s [m]", "x [m]",
                  "y [m]", "theta [rad]", "phi [rad]", "max|dd| [m]", "max|dth| [rad]");
        printPoseRow(out, "theory (red)", type.finalTheory, nullptr, nullptr);
        printPoseRow(out, "no FBC (blue)", type.finalNoFbc, &type.maxDdNoFbc, &type.maxDthNoFbc);
        printPoseRow(out, "FBC (green)", type.finalFbc, &type.maxDdFbc, &type.maxDthFbc);
        if (k < 2) out << '\n';
    }
}

}  // namespace agv
