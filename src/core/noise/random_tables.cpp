#include "noise/random_tables.h"

#include <cmath>

namespace agv {

namespace {

/// Magnitudes below this are scaled directly instead of looked up.
constexpr double kDirectLimit = 0.001;
/// Gain applied to such small magnitudes.
constexpr double kDirectGain = 0.4;
/// Upper limits of the bands of tables 01 to 34; table 45 takes everything above.
constexpr double kBandUpper[kRandomTableCount - 1] = {0.1, 0.2, 0.3, 0.4};

}  // namespace

double convertRandom(const RandomTables& tables, double u) {
    const double a = std::fabs(u);
    if (a < kDirectLimit) return kDirectGain * u;
    int band = 0;
    while (band < kRandomTableCount - 1 && a >= kBandUpper[band])
        ++band;
    const RandomTable& table = tables[band];
    if (table.lastRow < 0) return 0.0;  // never loaded

    for (int i = 0; i < table.lastRow; ++i) {
        if (table.key[i] <= a && a <= table.key[i + 1]) {
            const double v = table.value[i] + (table.value[i + 1] - table.value[i]) /
                                                  (table.key[i + 1] - table.key[i]) *
                                                  (a - table.key[i]);
            return v * u / a;
        }
    }
    // Only a table that does not cover its band gets here: hold the nearest end value.
    const double v = a < table.key[0] ? table.value[0] : table.value[table.lastRow];
    return v * u / a;
}

}  // namespace agv
