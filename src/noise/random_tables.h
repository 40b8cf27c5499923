// The five random conversion tables: piecewise-linear maps from the magnitude of a
// uniform number in [0, 0.5] to a normally distributed value.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace agv {

struct AgvContext;

/// Most rows a table can hold.
inline constexpr int kRandomTableRows = 50;
/// Number of tables; table k serves magnitudes from k/10 to (k+1)/10.
inline constexpr int kRandomTableCount = 5;
/// Length of each slip noise sequence.
inline constexpr int kSlipNoiseLength = 30000;

/// One conversion table: rows 0..lastRow of (value, key), keys strictly increasing.
struct RandomTable {
    int lastRow = -1;
    std::array<double, kRandomTableRows> value{};
    std::array<double, kRandomTableRows> key{};
};

/// Tables, the uniform generator and the two slip noise sequences.
struct NoiseState {
    /// normalTable01, 12, 23, 34, 45 in this order.
    std::array<RandomTable, kRandomTableCount> tables{};
    /// State of the 32-bit uniform generator; 1 at program start.
    std::uint32_t rngState = 1;
    std::vector<double> slipNoise1 = std::vector<double>(kSlipNoiseLength, 0.0);
    std::vector<double> slipNoise2 = std::vector<double>(kSlipNoiseLength, 0.0);
};

/// File names of the five tables, in loading order.
extern const char* const kRandomTableFiles[kRandomTableCount];

/// Reads one table file; on failure returns false and says what is wrong in error.
bool readRandomTable(const std::string& path, int band, RandomTable& table, std::string& error);

/// Loads the five tables (working directory first, then the project's data
/// directory) and prints the completion line. On failure returns false with a
/// message naming the file and the fault; the context's tables are then left as
/// they were.
bool loadRandomTables(AgvContext& ctx, std::string& error);

/// Table conversion of one number u in [-0.5, 0.5].
double convertRandom(const AgvContext& ctx, double u);

}  // namespace agv
