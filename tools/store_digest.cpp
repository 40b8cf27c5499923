// Prints 64-bit FNV-1a digests of the trajectory store after caltraj, over every
// curve at its default constants plus a 56.1 m circle, every error number and two
// feedback designs. Two builds (or two versions of the core) that print the same
// digests computed the same trajectories to the last bit.
//
// Usage: agv_store_digest [-v]   (-v: one line per case as well)

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "app/common/random_table_file.h"
#include "path/arc_length.h"
#include "sim/caltraj.h"
#include "sim/feedback.h"
#include "sim/scenario.h"

namespace {

constexpr std::uint64_t kFnvOffset = 1469598103934665603ULL;
constexpr std::uint64_t kFnvPrime = 1099511628211ULL;

struct Digest {
    std::uint64_t h = kFnvOffset;
    void add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            h ^= bytes[i];
            h *= kFnvPrime;
        }
    }
    template <typename T>
    void add(const T& value) {
        add(&value, sizeof(T));
    }
};

/// A path case: curve number and the constants that differ from the start-up values.
struct PathCase {
    const char* name;
    int curveNumber;
    void (*adjust)(agv::CurveParams&);
};

void keep(agv::CurveParams&) {}
void circle56(agv::CurveParams& c) {
    c.circleR = 4.7;
    c.circleN = 1.9;
}
void rose3(agv::CurveParams& c) {
    c.roseN = 3.0;
}
void roseHalf(agv::CurveParams& c) {
    c.roseN = 0.5;
}
void cosineLong(agv::CurveParams& c) {
    c.cosineA = 0.3;
    c.cosineN = 2.5;
}
void spiral4(agv::CurveParams& c) {
    c.spiralN = 4.0;
}
void ellipseFlat(agv::CurveParams& c) {
    c.ellipseA = 3.0;
    c.ellipseB = 0.5;
}
void wavyOdd(agv::CurveParams& c) {
    c.wavyN = 3.5;
}
void cubicSteep(agv::CurveParams& c) {
    c.cubicA = 3.0;
}

void straight59(agv::CurveParams& c) {
    c.cosineA = 0.0;
    c.cosineL = 59.9;
}
void straightTableEnd(agv::CurveParams& c) {
    c.cosineA = 0.0;
    c.cosineL = 29.99;
}
void straightPastTable(agv::CurveParams& c) {
    c.cosineA = 0.0;
    c.cosineL = 30.0;
}
void cycloid48(agv::CurveParams& c) {
    c.cycloidA = 1.9;
    c.cycloidL = 47.88;
}
void quadratic59(agv::CurveParams& c) {
    c.quadraticL = 59.5;
}
void cubic59(agv::CurveParams& c) {
    c.cubicL = 59.5;
}

const PathCase kMainCases[] = {
    {"cosine", 1, keep},   {"cycloid", 2, keep}, {"quadratic", 3, keep},     {"cubic", 4, keep},
    {"ellipse", 11, keep}, {"spiral", 12, keep}, {"cardioid", 13, keep},     {"rose", 14, keep},
    {"circle", 15, keep},  {"wavy", 16, keep},   {"circle56", 15, circle56},
};

const PathCase kExtraCases[] = {
    {"rose3", 14, rose3},          {"roseHalf", 14, roseHalf},       {"cosineLong", 1, cosineLong},
    {"spiral4", 12, spiral4},      {"ellipseFlat", 11, ellipseFlat}, {"wavyOdd", 16, wavyOdd},
    {"cubicSteep", 4, cubicSteep},
};

struct Design {
    double fn, zeta;
};
const Design kDesigns[] = {{1.0, 1.0}, {2.0, 0.7}};

/// The error of the case, in the units a user types.
agv::ScenarioErrors caseError(char errorNumber) {
    const agv::MechanismError error = agv::mechanismErrorOf(errorNumber - '0');
    switch (errorNumber) {
        case '1':
            return agv::onlyError(error, 2.0, -1.0);
        case '2':
            return agv::onlyError(error, 3.0);
        case '3':
            return agv::onlyError(error, 2.0);
        case '4':
            return agv::onlyError(error, 10.0, -5.0);
        case '5':
            return agv::onlyError(error, 5.0);
        default:
            return agv::onlyError(error, 0.0);
    }
}

/// Runs one case in a fresh context and digests its result and the valid records.
bool runCase(const PathCase& pc, char errorNumber, const Design& design, Digest& digest,
             int& result) {
    agv::Model model;
    agv::RunData data;
    if (errorNumber == '5') {
        std::string error;
        if (!agv::loadRandomTables(model.tables, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return false;
        }
    }
    agv::Scenario scenario;
    scenario.errors = caseError(errorNumber);
    pc.adjust(scenario.curve);
    scenario.curveNumber = pc.curveNumber;
    scenario.fn = design.fn;
    scenario.zeta = design.zeta;
    agv::applyScenario(model, scenario);
    const agv::RunOutcome outcome = agv::caltraj(model, data);

    const agv::TrajectoryStore& st = *data.store;
    // The figure the digests were first taken of: 3000 for a run out of records, else the
    // last record index of type 3.
    result =
        outcome.status == agv::RunStatus::kStoreOverflow ? agv::kMaxRecords : st.recordCount[2];
    digest.add(result);
    for (int k = 0; k < agv::kVehicleTypeCount; ++k) {
        const int count = st.recordCount[k];
        digest.add(count);
        digest.add(st.endTime[k]);
        for (int n = 0; n <= count && n < agv::kMaxRecords; ++n) {
            digest.add(st.theoryTraj[k][n]);
            digest.add(st.noFbcTraj[k][n]);
            digest.add(st.fbcTraj[k][n]);
            digest.add(st.fbcRefTraj[k][n]);
            digest.add(st.noFbcDiff[k][n]);
            digest.add(st.fbcDiff[k][n]);
            digest.add(st.noFbcErr[k][n]);
            digest.add(st.fbcErr[k][n]);
        }
    }
    return true;
}

/// Paths whose parameter range outruns the arc table, up to the length limit.
const PathCase kLongCases[] = {
    {"straight59", 1, straight59},       {"tableEnd", 1, straightTableEnd},
    {"pastTable", 1, straightPastTable}, {"cycloid48", 2, cycloid48},
    {"quadratic59", 3, quadratic59},     {"cubic59", 4, cubic59},
};

template <std::size_t N>
bool runGroup(const char* group, const PathCase (&cases)[N], bool verbose,
              const char* errors = "012345", int designs = 2) {
    Digest total;
    for (const PathCase& pc : cases) {
        for (const char* e = errors; *e != '\0'; ++e) {
            for (int di = 0; di < designs; ++di) {
                const Design& d = kDesigns[di];
                Digest one;
                int result = 0;
                if (!runCase(pc, *e, d, one, result)) return false;
                total.add(one.h);
                if (verbose) {
                    std::printf("%-11s err %c fn %.1f zeta %.1f result %4d  %016llx\n", pc.name, *e,
                                d.fn, d.zeta, result, static_cast<unsigned long long>(one.h));
                }
            }
        }
    }
    std::printf("%s digest %016llx\n", group, static_cast<unsigned long long>(total.h));
    return true;
}

}  // namespace

/// agv_store_digest [-v] [group ...]: every group (main, extra, long) or those named.
int main(int argc, char** argv) {
    bool verbose = false;
    std::vector<std::string> groups;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-v") == 0) {
            verbose = true;
        } else {
            groups.emplace_back(argv[i]);
        }
    }
    auto wanted = [&](const char* group) {
        return groups.empty() || std::find(groups.begin(), groups.end(), group) != groups.end();
    };
    if (wanted("main") && !runGroup("main", kMainCases, verbose)) return 1;
    if (wanted("extra") && !runGroup("extra", kExtraCases, verbose)) return 1;
    if (wanted("long") && !runGroup("long", kLongCases, verbose, "03", 1)) return 1;
    return 0;
}
