// An output file of a program: a regular file replaced atomically, or a stream (a FIFO,
// a character device, or "-" for standard output) written in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace agv {

/// One output, text or binary. A regular file (new, existing and writable, or named by a
/// symbolic link, which stays) is written under a temporary name beside it and renamed
/// over it by commit(); until then the old file is untouched, and the temporary file is
/// removed when the target is dropped or the program ends on SIGINT, SIGTERM or SIGHUP.
/// A FIFO, a character device or "-" is written in place as the data come. Every write
/// is checked: a failed one (a full disk, a reader that went away, the file size limit)
/// makes commit() fail. SIGPIPE and SIGXFSZ are ignored once a target is open, so that
/// such failures come back as write errors instead of ending the program.
class OutputTarget {
  public:
    OutputTarget();
    ~OutputTarget();
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;

    /// Opens path for writing; false with the reason in error (an existing file the user
    /// may not write, a folder, a missing folder, ...). Nothing is changed on failure.
    bool open(const std::string& path, std::string& error);

    /// The stream that writes to the target (text or binary alike).
    std::ostream& stream();
    /// Writes size bytes; false once any write has failed.
    bool write(const void* data, std::size_t size);
    /// Writes a text.
    bool write(const std::string& text) { return write(text.data(), text.size()); }

    /// Completes the output: flushes it and renames a temporary file into place. False
    /// with the reason in error when anything failed; a temporary file is then removed.
    bool commit(std::string& error);
    /// Drops the output: a temporary file is removed, the target stays as it was.
    void abandon();

    /// True when the target is written in place (FIFO, character device, "-").
    bool inPlace() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

/// Marks a temporary folder of a program's own making (holding files only): the signals
/// that remove temporary files remove it too, with its files. Returns a slot for
/// releaseTempFolder, or -1 when none is free (the folder is then left on a signal).
int holdTempFolder(const std::string& path);
void releaseTempFolder(int slot);

/// Writes bytes as the whole of the output path (see OutputTarget); false with the reason
/// in error.
bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    std::string& error);

}  // namespace agv
