// The console layer: every console text of the program goes through one Console, which
// formats output, flushes it before each read, and reads single keys and numeric answers.
#pragma once

#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>

namespace agv {

/// Thrown by any read of the Console when its input has ended (terminal closed, script
/// ran out). The program turns it into a message and exit status 1.
class InputEnded : public std::runtime_error {
  public:
    InputEnded() : std::runtime_error("console input ended") {}
};

/// The line printed when input has ended, before the program stops.
extern const char* const kInputEndedMessage;

class Console {
  public:
    /// A console over given streams (scripted use, tests). The key read then skips white
    /// space and takes the next character.
    Console(std::istream& in, std::ostream& out);
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    /// The console over the process's standard input and output. On a terminal the key
    /// read takes one key press without echo and without Enter, and the terminal's mode
    /// is restored at exit and on SIGINT/SIGTERM.
    static Console& standard();

    /// printf-style output.
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    void
    print(const char* format, ...);

    /// The output stream (the core's messages are pointed here so that they interleave).
    std::ostream& out() {
        return out_;
    }

    /// One fresh key press. Leftovers of earlier answers never count as the key.
    char readKey();

    /// Reads one answer line and takes up to `count` numbers from it, in order, as "%lf"
    /// would; reading stops at the first field that does not parse (text, nan, inf, or a
    /// number that overflows). Fields not read keep their values. The rest of the line
    /// is discarded. Returns how many fields were read.
    int readNumbers(double* values, int count);

    /// Reads one answer line and takes an integer from it as "%d" would. Returns false
    /// (value unchanged) when it does not parse or does not fit an int.
    bool readInt(int& value);

  private:
    struct Standard;
    Console(std::unique_ptr<Standard> standard);

    /// Next character of the input, or -1 at its end or at a NUL byte.
    int nextChar();
    /// Skips white space (line breaks included) and returns the rest of the line that
    /// then starts; throws InputEnded when the input ends first.
    std::string readAnswerLine();
    char readTerminalKey();

    std::unique_ptr<Standard> standard_;
    std::istream& in_;
    std::ostream& out_;
    /// True when the input is an interactive terminal.
    bool terminal_ = false;
};

/// Puts the terminal back into the mode it had before a key read changed it. Safe to call
/// at any time and from signal handlers; does nothing when the mode was not changed.
void restoreTerminal();

/// Prints the end-of-input line, restores the terminal and ends the program with status 1.
[[noreturn]] void exitAtEndOfInput(Console& console);

}  // namespace agv
