// The merge of shard tables into the table of the whole grid. Every shard is checked
// before anything is written: each file says which shard of which grid it holds, all of
// them belong to one grid, every shard is there once, each holds exactly the rows of its
// grid points, in order and as agvsim-sweep writes them, and ends with the row count and
// digest of what it holds.
#pragma once

#include <string>
#include <vector>

namespace agv {

/// Exit status of a merge: 0 written, 1 an output or a file that cannot be read or written,
/// 2 tables that do not make the whole grid. Each file is read once, from start to end (a
/// FIFO will do). verify > 0 computes the grid points of that many rows chosen at random
/// from each shard again and refuses a shard whose rows differ from the computation's.
int mergeShardTables(const std::vector<std::string>& paths, const std::string& outputPath,
                     std::string& error, int verify = 0);

}  // namespace agv
