// What a shard table says about itself: on its first line which shard of which grid it
// holds, the grid written as the options that make it again, so that a merge can tell
// shards of one sweep from those of another and knows every row to expect; on its last
// line how many rows it holds and the SHA-256 of every byte before that line, so that a
// merge can tell a table that was changed after it was written.
#pragma once

#include <cstddef>
#include <string>

#include "app/sweep/options.h"
#include "app/sweep/sha256.h"

namespace agv {

/// The options that make this sweep's grid and base conditions, and --theory for the
/// theory's columns, in one canonical form: the same grid gives the same text however its
/// axes were written.
std::string gridIdentity(const SweepOptions& options);

/// The first line of a shard table (without the line break):
/// "# agvsim-sweep shard K/N: " followed by the grid identity.
std::string shardLine(const Shard& shard, const std::string& identity);

/// Reads a shard line into the shard and the grid's options (scenario and axes). False with
/// a one-line reason when the line is not one that shardLine writes, or names more shards
/// than the grid has points.
bool parseShardLine(const std::string& line, Shard& shard, SweepOptions& grid, std::string& error);

/// The rows and bytes of a shard table as they are written or read, and its last line.
class ShardSeal {
  public:
    /// Adds text (whole lines with their breaks) holding rows table rows.
    void add(const std::string& text, std::size_t rows);
    /// The last line (without the line break):
    /// "# agvsim-sweep shard end: R rows, sha256 " followed by 64 hex digits.
    std::string line() const;

  private:
    Sha256 digest_;
    std::size_t rows_ = 0;
};

/// Whether a line has the form of the last line of a shard table (whatever its figures).
bool isShardEndLine(const std::string& line);

}  // namespace agv
