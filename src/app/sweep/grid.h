// The grid of a sweep: fn, ζ and the error size, each one value or an axis of values,
// the order of the grid points and the share of them one shard computes.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "app/sweep/point_run.h"

namespace agv {

/// The quantities a sweep can vary, in the order of the grid's nesting (fn outermost).
enum SweepAxis : int { kAxisFn = 0, kAxisZeta = 1, kAxisErrorSize = 2 };
inline constexpr int kSweepAxisCount = 3;

/// Most grid points a sweep may have.
inline constexpr std::size_t kMaxGridPoints = 1000000;

/// Reads "start:stop:count" (count values evenly spaced, both ends included) or a comma list
/// of finite numbers. The values must increase strictly. False with a one-line reason.
bool parseAxisValues(const std::string& flag, const std::string& text, std::vector<double>& values,
                     std::string& error);

/// Values of the three quantities; one with a single value is not swept. A sweep that
/// compares laws runs each of them at every grid point, one after another.
struct SweepGrid {
    std::array<std::vector<double>, kSweepAxisCount> axes{{{1.0}, {1.0}, {0.0}}};
    /// The laws run at every grid point, in order (empty: the scenario's one law).
    std::vector<LawVariant> laws;

    /// Grid points: combinations of the three quantities.
    std::size_t points() const { return axes[0].size() * axes[1].size() * axes[2].size(); }
    /// Runs of a law at a grid point (the grid points when no laws are compared); the unit
    /// of the grid's order and of its shards.
    std::size_t size() const { return points() * lawCount(); }
    std::size_t lawCount() const { return laws.empty() ? 1 : laws.size(); }
    /// The values of run i; the law varies fastest, then the error size, fn slowest.
    GridValues at(std::size_t index) const;
    /// Position of the grid point of run i along each axis.
    std::array<std::size_t, kSweepAxisCount> position(std::size_t index) const;
    /// The swept quantities in nesting order (the first is the map's horizontal axis).
    std::vector<int> swept() const;
};

/// Every count-th grid point starting at index.
struct Shard {
    std::size_t index = 0;
    std::size_t count = 1;
    bool owns(std::size_t point) const { return point % count == index; }
};

/// Reads "K/N" with 0 <= K < N. False with a one-line reason.
bool parseShard(const std::string& text, Shard& shard, std::string& error);

}  // namespace agv
