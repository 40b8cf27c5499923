// A sweep from its options to its rows, for every front end that runs one (agvsim-sweep,
// the Python module): the random tables, one run's data per worker, the checks of the base
// conditions and of every axis value, and the grid points of the shard in grid order.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/sweep/options.h"
#include "app/sweep/point_run.h"
#include "app/sweep/pool.h"
#include "app/sweep/shard_identity.h"

namespace agv {

/// Most worker threads per core, whatever --jobs asks for: more only add run data (a few
/// megabytes each), not speed.
inline constexpr int kJobsPerCore = 4;

class SweepSession {
  public:
    SweepSession();
    ~SweepSession();
    SweepSession(const SweepSession&) = delete;
    SweepSession& operator=(const SweepSession&) = delete;

    /// Loads the random tables, makes the workers and checks the conditions and every axis
    /// value. 0 when the sweep can run; else agvsim-sweep's exit status (1 tables
    /// unreadable, 2 refused, 3 path too long) with a one-line message.
    int prepare(const SweepOptions& options, std::string& message);

    /// Worker threads, grid points and runs (grid points times seeds) of this sweep (or
    /// shard).
    int jobs() const { return static_cast<int>(runners_.size()); }
    std::size_t pointCount() const { return points_.size(); }
    std::size_t runCount() const;

    /// The first lines of the table: the shard line of a shard, then the header.
    std::string tableHead() const;
    /// The last line of a shard's table (with its break), from the seal of every byte
    /// before it; empty for a table that is no shard.
    std::string tableEnd(const ShardSeal& seal) const;

    /// Runs the points; deliver receives each point's values and result in grid order. With
    /// seeds, each seed's run of a point in seed order, then its mean, standard deviation
    /// and worst value over the seeds (values.statistic says which). False when stop asked
    /// to end early (the points delivered so far are a prefix).
    using Delivery = std::function<void(const GridValues& values, const PointResult& result)>;
    bool run(const Delivery& deliver, const SweepTick& tick, const SweepStop& stop = {}) const;

    /// The whole table (head and rows), computed without a word on the way.
    std::string table() const;
    /// The whole table into out, with tick and stop as for run(); false when stopped (out
    /// is then incomplete).
    bool table(std::string& out, const SweepTick& tick, const SweepStop& stop = {}) const;

  private:
    int checkAxes(std::string& message) const;

    const SweepOptions* options_ = nullptr;
    std::unique_ptr<SweepModel> model_;
    std::vector<std::unique_ptr<SweepRunner>> runners_;
    std::vector<std::size_t> points_;
};

}  // namespace agv
