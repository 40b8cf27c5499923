// What a shard table says about itself on its first line: which shard of which grid it
// holds, the grid written as the options that make it again, so that a merge can tell
// shards of one sweep from those of another and knows every row to expect.
#pragma once

#include <string>

#include "app/sweep/options.h"

namespace agv {

/// The options that make this sweep's grid and base conditions, and --theory for the
/// theory's columns, in one canonical form: the same grid gives the same text however its
/// axes were written.
std::string gridIdentity(const SweepOptions& options);

/// The first line of a shard table (without the line break):
/// "# agvsim-sweep shard K/N: " followed by the grid identity.
std::string shardLine(const Shard& shard, const std::string& identity);

/// Reads a shard line into the shard and the grid's options (scenario and axes). False with
/// a one-line reason when the line is not one that shardLine writes.
bool parseShardLine(const std::string& line, Shard& shard, SweepOptions& grid, std::string& error);

}  // namespace agv
