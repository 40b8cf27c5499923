// Command-line options of agvsim-sweep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/sweep/grid.h"
#include "app/sweep/point_run.h"

namespace agv {

struct SweepOptions {
    /// Conditions every grid point starts from.
    Scenario scenario;
    /// fn, ζ and error size: given single values or swept axes.
    SweepGrid grid;
    /// The laws run at every grid point (several: compared, row by row) and the values of
    /// pure pursuit's look-ahead [m] and of the Stanley gain [1/s]; a parameter with several
    /// values is an axis of its law.
    std::vector<ControllerKind> controllers;
    std::vector<double> lookaheads, stanleyGains;
    /// Table of rows to write ("-": standard output; empty: none).
    std::string csvPath;
    /// Heat map to write as SVG (empty: none).
    std::string mapPath;
    /// Column shown by the heat map.
    std::string metric = "fbc_max_dd";
    /// Worker threads; 0 means one per core.
    int jobs = 0;
    /// The grid points this process computes; with --shard the table says which shard of
    /// which grid it holds on its first line.
    Shard shard;
    bool sharded = false;
    /// --theory: the linear theory's columns at the end of the table.
    bool theory = false;
    /// --seeds A:B: every grid point run for the slip seeds A to B, with their statistics.
    bool seeded = false;
    std::uint32_t firstSeed = 0, lastSeed = 0;
    /// Seeds per grid point: B - A + 1 with --seeds, else 1.
    std::size_t seedCount() const { return seeded ? std::size_t{lastSeed - firstSeed} + 1 : 1; }
    /// --merge: the shard tables to merge instead of computing.
    bool merge = false;
    std::vector<std::string> mergeFiles;
    /// --verify: rows of each shard the merge computes again (0: none).
    int verifyRows = 0;
    bool help = false;
    /// Folder the random tables are read from (empty: the working directory, then the
    /// project's data folder); a front end that carries its own tables sets it.
    std::string tablesFolder;
};

/// Reads argv[1..argc-1]. False with a one-line reason (without the program name).
bool parseSweepOptions(int argc, const char* const* argv, SweepOptions& options,
                       std::string& error);

/// The usage text of --help and of bad arguments.
std::string sweepUsage();

}  // namespace agv
