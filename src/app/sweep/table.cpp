#include "app/sweep/table.h"

#include <cmath>

namespace agv {

const char* const kSweepCsvHeader =
    "fn,zeta,error_size,type,outcome,records,end_time,nofbc_max_dd,nofbc_max_dth,fbc_max_dd,"
    "fbc_max_dth,fbc_rms_dd,fbc_final_dd,fbc_final_dth";

const char* const kSweepTheoryColumns =
    ",max_pole_real,settling_time,theory_steady_dd,step_stable,beyond_linear";

const char* const kSweepLawColumns = ",controller,lookahead,stanley_gain";

namespace {

const char* const kMetricNames[] = {"nofbc_max_dd", "nofbc_max_dth", "fbc_max_dd",   "fbc_max_dth",
                                    "fbc_rms_dd",   "fbc_final_dd",  "fbc_final_dth"};
constexpr int kMetricCount = sizeof kMetricNames / sizeof kMetricNames[0];
}  // namespace

std::string sweepCsvHeader(bool theory, bool seeded, bool laws) {
    std::string header = kSweepCsvHeader;
    if (seeded) header.insert(header.find(",type,"), ",seed");
    if (laws) header.insert(header.find(seeded ? ",seed," : ",type,"), kSweepLawColumns);
    return header + (theory ? kSweepTheoryColumns : "");
}

std::string sweepRowKey(const GridValues& values) {
    std::string key = shortestNumber(values.fn) + ',' + shortestNumber(values.zeta) + ',' +
                      shortestNumber(values.errorSize) + ',';
    if (!values.law) return key;
    const ControllerKind kind = values.law->kind;
    const std::string parameter = shortestNumber(values.law->parameter);
    key += std::string(controllerName(kind)) + ',';
    key += (kind == ControllerKind::kPurePursuit ? parameter : std::string()) + ',';
    key += (kind == ControllerKind::kStanley ? parameter : std::string()) + ',';
    return key;
}

std::string sweepRunText(const GridValues& values) {
    std::string text = "fn=" + shortestNumber(values.fn) + " zeta=" + shortestNumber(values.zeta) +
                       " error_size=" + shortestNumber(values.errorSize);
    if (!values.law) return text;
    const ControllerKind kind = values.law->kind;
    text += std::string(" controller=") + controllerName(kind);
    if (kind == ControllerKind::kPurePursuit) {
        text += " lookahead=" + shortestNumber(values.law->parameter);
    } else if (kind == ControllerKind::kStanley) {
        text += " stanley_gain=" + shortestNumber(values.law->parameter);
    }
    return text;
}

int sweepMetricColumn(const std::string& name) {
    for (int i = 0; i < kMetricCount; ++i) {
        if (name == kMetricNames[i]) return i;
    }
    return -1;
}

std::string sweepMetricNames() {
    std::string names;
    for (const char* name : kMetricNames)
        names += (names.empty() ? "" : ", ") + std::string(name);
    return names;
}

bool sweepMetricValue(const MechanismResult& r, int column, double& value) {
    if (!r.hasFigures || column < 0 || column >= kMetricCount) return false;
    const double figures[kMetricCount] = {r.nofbcMaxDd, r.nofbcMaxDth, r.fbcMaxDd,   r.fbcMaxDth,
                                          r.fbcRmsDd,   r.fbcFinalDd,  r.fbcFinalDth};
    value = figures[column];
    return true;
}

void appendSweepRows(std::string& out, const GridValues& values, const PointResult& result,
                     bool theory) {
    std::string point = sweepRowKey(values);
    const bool statistic = values.statistic != SeedStatistic::kNone;
    if (values.seed) point += std::to_string(*values.seed) + ',';
    if (statistic) {
        point += values.statistic == SeedStatistic::kMean ? "mean,"
                 : values.statistic == SeedStatistic::kSd ? "sd,"
                                                          : "worst,";
    }
    for (int k = 0; k < 3; ++k) {
        const MechanismResult& r = result[k];
        out += point;
        out += std::to_string(k + 1) + ',' + outcomeName(r.outcome);
        if (r.hasFigures) {
            out += ',' + std::to_string(r.records);
            for (const double figure : {r.endTime, r.nofbcMaxDd, r.nofbcMaxDth, r.fbcMaxDd,
                                        r.fbcMaxDth, r.fbcRmsDd, r.fbcFinalDd, r.fbcFinalDth}) {
                out += ',';
                if (!(statistic && std::isnan(figure))) out += shortestNumber(figure);
            }
        } else {
            out += ",,,,,,,,,";
        }
        if (theory && r.hasTheory) {
            for (const double figure : {r.maxPoleReal, r.settlingTime, r.theorySteadyDd})
                out += ',' + (std::isnan(figure) ? std::string() : shortestNumber(figure));
            out += r.stepStable ? ",1" : ",0";
            out += r.beyondLinear ? ",1" : ",0";
        } else if (theory) {
            out += ",,,,,";
        }
        out += '\n';
    }
}

}  // namespace agv
