// Adding a long run of step lengths to a residual one at a time, whole blocks at once, with
// the same bits.
//
// The inverse arc-length mapping steps along a table cut short by adding each step length to
// a negative residual f, f ← f + l, until f reaches zero. Within one binade of f
// (2^e ≤ |f| < 2^(e+1)) every double is a multiple of the unit u = 2^(e−52), and an addition
// whose result stays in that binade rounds the exact sum f + l to the nearest multiple of u.
// As f already is one, that result is f + round_u(l), with round_u(l) the multiple of u
// nearest to l: the rounding of the step length alone, the same whatever f is. So a block of
// additions that stays in the binade adds exactly the sum of the rounded lengths, a whole
// number of units, and that sum is added in one exact addition.
//
// Two cases break the argument and are never skipped: a length exactly halfway between two
// multiples of u (the rounding to even then depends on f's last bit), and a block after which
// f would leave the binade (below 2^e the unit halves). A block is skipped only when the
// result keeps |f| ≥ 2^e + u, so that every exact partial sum stays at or above 2^e.
//
// Per binade the rounded lengths, counted in units, are summed over blocks of kBlockSteps
// steps into running sums, together with running counts of the steps that cannot be skipped;
// a search finds the last block it can skip, starting where blocks of the binade's mean sum
// would end (neighbouring steps differ little in length) and widening in doubling steps until
// it has bracketed it. The sums are unsigned 64-bit integers; beyond 2^62 units in all (far
// beyond the paths of this system) no block counts as skippable, so no difference used wraps
// around.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace agv {

class BlockedSum {
  public:
    /// Steps per block.
    static constexpr std::size_t kBlockSteps = 8;
    /// Binades of |f| that have running sums: 2^kMinBinade to 2^(kMaxBinade+1) [m].
    static constexpr int kMinBinade = -3;
    static constexpr int kMaxBinade = 6;
    static constexpr int kBinades = kMaxBinade - kMinBinade + 1;

    /// Running sums of lengths[0..count); a step whose parameter is not at most paramLimit,
    /// or whose length is not a finite number ≥ 0, is never skipped.
    void build(const double* lengths, const double* params, std::size_t count, double paramLimit);
    void clear();

    /// Adds lengths[c], lengths[c + 1], ... to f in whole blocks while f stays negative in
    /// its binade, exactly as adding them one by one would; steps at or beyond `end` are
    /// not added. Returns the number of steps added (0 when c does not start a block).
    std::size_t skip(std::size_t c, std::size_t end, double& f) const {
        if (c % kBlockSteps != 0 || blocks_ == 0) return 0;
        return skipBlocks(c, end, f);
    }

  private:
    std::size_t skipBlocks(std::size_t c, std::size_t end, double& f) const;

    std::size_t blocks_ = 0;
    /// Unit u = 2^(e - 52) of each binade [m].
    double unit_[kBinades] = {};
    /// Per binade, blocks_ + 1 running sums of the rounded lengths, in units of u.
    std::vector<std::uint64_t> units_;
    /// Per binade, the mean sum of a block, in units of u (where a search starts).
    double meanUnits_[kBinades] = {};
    /// Per binade, blocks_ + 1 running counts of the steps that cannot be skipped.
    std::vector<std::uint32_t> blocked_;
};

}  // namespace agv
