// Progress of a sweep on standard error: a bar redrawn in place on a terminal (done/total,
// rate, time left), one final line otherwise.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

namespace agv {

class SweepProgress {
  public:
    /// total grid points; terminal: whether standard error is one.
    SweepProgress(std::size_t total, int jobs, bool terminal);

    /// done points so far; redraws the bar at most every tenth of a second.
    void update(std::size_t done);
    /// A line of its own above the bar.
    void message(const std::string& line);
    /// The final line (replacing the bar on a terminal).
    void finish();

  private:
    void draw(std::size_t done);
    void clearBar();

    std::size_t total_;
    int jobs_;
    bool terminal_;
    bool barShown_ = false;
    std::size_t lastDone_ = 0;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace agv
