#include "app/sweep/seed_statistics.h"

#include <cmath>
#include <limits>

namespace agv {

namespace {

/// The figures of a run in the table's order, with whether each is a signed value.
constexpr int kFigureCount = 8;
double* figuresOf(MechanismResult& r, int i) {
    double* figures[kFigureCount] = {&r.endTime,   &r.nofbcMaxDd, &r.nofbcMaxDth, &r.fbcMaxDd,
                                     &r.fbcMaxDth, &r.fbcRmsDd,   &r.fbcFinalDd,  &r.fbcFinalDth};
    return figures[i];
}
constexpr bool kSigned[kFigureCount] = {false, false, false, false, false, false, true, true};

}  // namespace

PointResult seedStatistic(const std::vector<PointResult>& runs, SeedStatistic statistic) {
    PointResult out;
    for (int k = 0; k < 3; ++k) {
        std::vector<MechanismResult> done;
        for (const PointResult& run : runs) {
            if (run[k].outcome == CellOutcome::kDone && run[k].hasFigures) done.push_back(run[k]);
        }
        MechanismResult& m = out[k];
        m.outcome = done.size() == runs.size() ? CellOutcome::kDone : CellOutcome::kPartial;
        if (done.empty()) {
            m.outcome = runs.empty() ? CellOutcome::kRefused : runs.front()[k].outcome;
            m.hasFigures = false;
            continue;
        }
        m.hasFigures = true;
        m.records = static_cast<int>(done.size());
        const double n = static_cast<double>(done.size());
        for (int i = 0; i < kFigureCount; ++i) {
            double sum = 0.0;
            double worst = 0.0;
            for (MechanismResult& r : done) {
                const double v = *figuresOf(r, i);
                sum += v;
                const bool worse = kSigned[i] ? std::fabs(v) > std::fabs(worst) : v > worst;
                if (worse || &r == &done.front()) worst = v;
            }
            const double mean = sum / n;
            double value = mean;
            if (statistic == SeedStatistic::kSd) {
                double squares = 0.0;
                for (MechanismResult& r : done) {
                    const double d = *figuresOf(r, i) - mean;
                    squares += d * d;
                }
                value = done.size() < 2 ? std::numeric_limits<double>::quiet_NaN()
                                        : std::sqrt(squares / (n - 1.0));
            } else if (statistic == SeedStatistic::kWorst) {
                value = worst;
            }
            *figuresOf(m, i) = value;
        }
    }
    return out;
}

}  // namespace agv
