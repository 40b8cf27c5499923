#include "app/sweep/progress.h"

#include <cmath>

namespace agv {

namespace {

/// Width of the bar itself [characters].
constexpr int kBarWidth = 30;
/// Least time between two redraws of the bar.
constexpr std::chrono::milliseconds kRedrawInterval{100};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string clock(double seconds) {
    const long whole = std::lround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

SweepProgress::SweepProgress(std::size_t total, int jobs, bool terminal)
    : total_(total),
      jobs_(jobs),
      terminal_(terminal),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_) {}

void SweepProgress::update(std::size_t done) {
    lastDone_ = done;
    if (!terminal_) return;
    const auto now = std::chrono::steady_clock::now();
    if (barShown_ && now - lastDraw_ < kRedrawInterval && done < total_) return;
    lastDraw_ = now;
    draw(done);
}

void SweepProgress::draw(std::size_t done) {
    const double elapsed = secondsSince(start_);
    const double rate = elapsed > 0.0 ? static_cast<double>(done) / elapsed : 0.0;
    const int filled = total_ == 0 ? kBarWidth : static_cast<int>(kBarWidth * done / total_);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kBarWidth, '.');
    const std::string left =
        rate > 0.0 ? clock(static_cast<double>(total_ - done) / rate) + " left" : "";
    std::fprintf(stderr, "\r\033[K[%s] %zu/%zu  %.1f points/s  %s", bar.c_str(), done, total_, rate,
                 left.c_str());
    std::fflush(stderr);
    barShown_ = true;
}

void SweepProgress::clearBar() {
    if (barShown_) std::fputs("\r\033[K", stderr);
    barShown_ = false;
}

void SweepProgress::message(const std::string& line) {
    clearBar();
    std::fprintf(stderr, "%s\n", line.c_str());
    if (terminal_) draw(lastDone_);
}

void SweepProgress::finish() {
    clearBar();
    const double elapsed = secondsSince(start_);
    std::fprintf(stderr, "agvsim-sweep: %zu of %zu grid points (%zu runs) in %.2f s with %d %s\n",
                 lastDone_, total_, 3 * lastDone_, elapsed, jobs_, jobs_ == 1 ? "job" : "jobs");
    std::fflush(stderr);
}

}  // namespace agv
