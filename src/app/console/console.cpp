#include "app/console/console.h"

#include "app/common/text_output.h"

#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <vector>

namespace agv {

const char* const kInputEndedMessage = "\n入力が終わりました。終了します。\n";

namespace {

/// Longest part of an answer line that is kept; the rest is read and dropped.
constexpr std::size_t kMaxAnswerLength = 1024;
/// Ctrl-D as a raw key: the terminal's end of input.
constexpr unsigned char kEndOfTransmission = 4;
/// Bytes taken by one raw read; a key press that sends several (arrows, function keys,
/// multi-byte characters) is taken whole and only its first byte counts.
constexpr std::size_t kKeyBytes = 16;

// The terminal's mode before the key read changed it. Written only while modeChanged is
// 0, read by signal handlers only while it is 1.
termios savedMode;
volatile std::sig_atomic_t modeChanged = 0;

extern "C" void restoreAndReraise(int signalNumber) {
    restoreTerminal();
    // The handler was installed with SA_RESETHAND, so this takes the default action.
    std::raise(signalNumber);
}

void installTerminalGuards() {
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction previous {};
        if (sigaction(signalNumber, nullptr, &previous) != 0) continue;
        if (previous.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = restoreAndReraise;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(signalNumber, &action, nullptr);
    }
    std::atexit(restoreTerminal);
}

/// Unbuffered-by-stdio input over a file descriptor, so that the buffered part is known
/// and can be dropped before a key read.
class FdInputBuffer : public std::streambuf {
  public:
    explicit FdInputBuffer(int fd) : fd_(fd) { setg(buffer_, buffer_, buffer_); }

    /// Drops what has been read from the descriptor but not yet taken.
    void discardPending() { setg(buffer_, buffer_, buffer_); }

  protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        ssize_t n;
        do {
            n = ::read(fd_, buffer_, sizeof buffer_);
        } while (n < 0 && errno == EINTR);
        if (n <= 0) return traits_type::eof();
        setg(buffer_, buffer_, buffer_ + n);
        return traits_type::to_int_type(*gptr());
    }

  private:
    int fd_;
    char buffer_[256];
};

bool isWhite(int c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

void restoreTerminal() {
    if (modeChanged) {
        tcsetattr(STDIN_FILENO, TCSANOW, &savedMode);
        modeChanged = 0;
    }
}

void exitAtEndOfInput(Console& console) {
    console.print("%s", kInputEndedMessage);
    console.out().flush();
    restoreTerminal();
    std::exit(1);
}

struct Console::Standard {
    FdInputBuffer buffer{STDIN_FILENO};
    std::istream stream{&buffer};
};

Console::Console(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

Console::Console(std::unique_ptr<Standard> standard)
    : standard_(std::move(standard)), in_(standard_->stream), out_(std::cout) {
    terminal_ = isatty(STDIN_FILENO) != 0;
    if (terminal_) installTerminalGuards();
}

Console::~Console() = default;

Console& Console::standard() {
    static Console console(std::make_unique<Standard>());
    return console;
}

void Console::print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    printTextV(out_, format, args);
    va_end(args);
}

int Console::nextChar() {
    const auto c = in_.get();
    // Text has no NUL bytes: one means the input is no text (zeros of a device, say), which
    // would otherwise be answered with the same question forever.
    if (c == std::istream::traits_type::eof() || c == 0) return -1;
    return static_cast<int>(c);
}

char Console::readKey() {
    out_.flush();
    if (terminal_) return readTerminalKey();
    int c;
    do {
        c = nextChar();
        if (c < 0) throw InputEnded();
    } while (isWhite(c));
    return static_cast<char>(c);
}

char Console::readTerminalKey() {
    // Only a key pressed from now on counts: drop what an earlier answer left behind.
    standard_->buffer.discardPending();
    tcflush(STDIN_FILENO, TCIFLUSH);
    if (!modeChanged) {
        if (tcgetattr(STDIN_FILENO, &savedMode) != 0) throw InputEnded();
        modeChanged = 1;
    }
    termios raw = savedMode;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    unsigned char keys[kKeyBytes];
    ssize_t n;
    do {
        n = ::read(STDIN_FILENO, keys, sizeof keys);
    } while (n < 0 && errno == EINTR);
    restoreTerminal();
    if (n <= 0 || keys[0] == kEndOfTransmission) throw InputEnded();
    return static_cast<char>(keys[0]);
}

std::string Console::readAnswerLine() {
    out_.flush();
    int c;
    do {
        c = nextChar();
        if (c < 0) throw InputEnded();
    } while (isWhite(c));
    std::string line(1, static_cast<char>(c));
    while ((c = nextChar()) >= 0 && c != '\n') {
        if (line.size() < kMaxAnswerLength) line.push_back(static_cast<char>(c));
    }
    return line;
}

int Console::readNumbers(double* values, int count) {
    const std::string line = readAnswerLine();
    const char* cursor = line.c_str();
    int read = 0;
    while (read < count) {
        char* end = nullptr;
        const double value = std::strtod(cursor, &end);
        // nan, inf and overflowing numbers are not answers: they would poison the run.
        if (end == cursor || !std::isfinite(value)) break;
        values[read++] = value;
        cursor = end;
    }
    return read;
}

bool Console::readInt(int& value) {
    const std::string line = readAnswerLine();
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(line.c_str(), &end, 10);
    if (end == line.c_str() || errno == ERANGE || number < INT_MIN || number > INT_MAX) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

}  // namespace agv
