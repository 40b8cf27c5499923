// An output file of the sweep that appears whole or not at all: written under a temporary
// name beside its target and renamed into place when complete. Standard output ("-") and
// targets that are not regular files (a FIFO, a device) are written directly.
#pragma once

#include <cstdio>
#include <string>

namespace agv {

class SweepOutput {
  public:
    SweepOutput() = default;
    ~SweepOutput();
    SweepOutput(const SweepOutput&) = delete;
    SweepOutput& operator=(const SweepOutput&) = delete;

    /// Prepares the target, so that an unwritable one fails before any work. False with a
    /// one-line reason.
    bool open(const std::string& path, std::string& error);
    /// Appends text; a failure is reported by commit.
    void write(const std::string& text);
    /// Completes the file. False with a one-line reason; the temporary file is then gone.
    bool commit(std::string& error);

  private:
    void discard();

    std::string path_;
    /// Temporary name (empty when writing directly).
    std::string temp_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

}  // namespace agv
