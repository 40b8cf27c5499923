// The five random conversion tables: piecewise-linear maps from the magnitude of a
// uniform number in [0, 0.5] to a normally distributed value.
#pragma once

#include <array>

namespace agv {

/// Most rows a table can hold.
inline constexpr int kRandomTableRows = 50;
/// Number of tables; table k serves magnitudes from k/10 to (k+1)/10.
inline constexpr int kRandomTableCount = 5;

/// One conversion table: rows 0..lastRow of (value, key), keys strictly increasing.
struct RandomTable {
    int lastRow = -1;
    std::array<double, kRandomTableRows> value{};
    std::array<double, kRandomTableRows> key{};
};

/// normalTable01, 12, 23, 34, 45 in this order.
using RandomTables = std::array<RandomTable, kRandomTableCount>;

/// Table conversion of one number u in [-0.5, 0.5].
double convertRandom(const RandomTables& tables, double u);

}  // namespace agv
