// The console layer over string streams: key reads, answer lines, end of input, flushing.
#include "app/console/console.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

namespace agv {
namespace {

struct ScriptedConsole {
    explicit ScriptedConsole(const std::string& script) : in(script), console(in, out) {}
    std::istringstream in;
    std::ostringstream out;
    Console console;
};

TEST(ConsoleKeys, SkipsLeftoverWhiteSpaceAndTakesOneCharacter) {
    ScriptedConsole c(" \n\ty\n  0.5 2\nnq");
    EXPECT_EQ(c.console.readKey(), 'y');
    double values[2] = {0.0, 0.0};
    EXPECT_EQ(c.console.readNumbers(values, 2), 2);
    // Keys written without separators are taken one at a time.
    EXPECT_EQ(c.console.readKey(), 'n');
    EXPECT_EQ(c.console.readKey(), 'q');
    EXPECT_THROW(c.console.readKey(), InputEnded);
}

TEST(ConsoleNumbers, ReadsOneLineAndKeepsWhatItDoesNotGive) {
    ScriptedConsole c("0.5 -2 1\n0.5\n2\n  -2.5e1,7 8\n5abc 6\n+.25 0x10 9\n");
    double v[3] = {9.0, 9.0, 9.0};
    EXPECT_EQ(c.console.readNumbers(v, 3), 3);
    EXPECT_DOUBLE_EQ(v[0], 0.5);
    EXPECT_DOUBLE_EQ(v[1], -2.0);
    EXPECT_DOUBLE_EQ(v[2], 1.0);

    // Numbers missing on a line are not taken from the next one.
    double w[3] = {7.0, 8.0, 9.0};
    EXPECT_EQ(c.console.readNumbers(w, 3), 1);
    EXPECT_DOUBLE_EQ(w[0], 0.5);
    EXPECT_DOUBLE_EQ(w[1], 8.0);
    EXPECT_DOUBLE_EQ(w[2], 9.0);
    double single = 0.0;
    EXPECT_EQ(c.console.readNumbers(&single, 1), 1);
    EXPECT_DOUBLE_EQ(single, 2.0);

    // Reading stops at the first field that does not parse, as "%lf %lf" does.
    double pair[2] = {1.0, 1.0};
    EXPECT_EQ(c.console.readNumbers(pair, 2), 1);
    EXPECT_DOUBLE_EQ(pair[0], -25.0);
    EXPECT_DOUBLE_EQ(pair[1], 1.0);
    EXPECT_EQ(c.console.readNumbers(pair, 2), 1);
    EXPECT_DOUBLE_EQ(pair[0], 5.0);
    EXPECT_DOUBLE_EQ(pair[1], 1.0);
    EXPECT_EQ(c.console.readNumbers(pair, 2), 2);
    EXPECT_DOUBLE_EQ(pair[0], 0.25);
    EXPECT_DOUBLE_EQ(pair[1], 16.0);
}

TEST(ConsoleNumbers, RefusesTextNanInfinityAndOverflow) {
    ScriptedConsole c("abc 4\nnan 1\n-inf\n1e400 2\n3 infinity\n1e-400\n");
    for (int line = 0; line < 4; ++line) {
        double v[2] = {1.5, 2.5};
        EXPECT_EQ(c.console.readNumbers(v, 2), 0) << "line " << line;
        EXPECT_DOUBLE_EQ(v[0], 1.5);
        EXPECT_DOUBLE_EQ(v[1], 2.5);
    }
    double v[2] = {1.5, 2.5};
    EXPECT_EQ(c.console.readNumbers(v, 2), 1);
    EXPECT_DOUBLE_EQ(v[0], 3.0);
    EXPECT_DOUBLE_EQ(v[1], 2.5);
    // An underflow reads as zero, as formatted input gives it.
    EXPECT_EQ(c.console.readNumbers(v, 1), 1);
    EXPECT_EQ(v[0], 0.0);
}

TEST(ConsoleNumbers, IntegerAnswers) {
    ScriptedConsole c("12abc\n-3\n1.9\nabc\n99999999999\n+7");
    int value = 0;
    EXPECT_TRUE(c.console.readInt(value));
    EXPECT_EQ(value, 12);
    EXPECT_TRUE(c.console.readInt(value));
    EXPECT_EQ(value, -3);
    EXPECT_TRUE(c.console.readInt(value));
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(c.console.readInt(value));
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(c.console.readInt(value));
    EXPECT_EQ(value, 1);
    // A last line without a line break still counts; after it the input has ended.
    EXPECT_TRUE(c.console.readInt(value));
    EXPECT_EQ(value, 7);
    EXPECT_THROW(c.console.readInt(value), InputEnded);
}

TEST(ConsoleNumbers, EndOfInputInsteadOfAnAnswer) {
    // A NUL byte ends the input: endless zeros (a device) must not re-prompt forever.
    for (const std::string& script :
         {std::string(), std::string("  \n\n\t "), std::string(" \0\0\0y\n1\n", 8)}) {
        ScriptedConsole c(script);
        double v = 1.0;
        EXPECT_THROW(c.console.readNumbers(&v, 1), InputEnded);
        EXPECT_DOUBLE_EQ(v, 1.0);
        int i = 0;
        EXPECT_THROW(c.console.readInt(i), InputEnded);
        EXPECT_THROW(c.console.readKey(), InputEnded);
    }
}

TEST(ConsoleNumbers, VeryLongLineIsReadToItsEnd) {
    const std::string script = "4 " + std::string(100000, 'x') + "\n5\n";
    ScriptedConsole c(script);
    double v = 0.0;
    EXPECT_EQ(c.console.readNumbers(&v, 1), 1);
    EXPECT_DOUBLE_EQ(v, 4.0);
    EXPECT_EQ(c.console.readNumbers(&v, 1), 1);
    EXPECT_DOUBLE_EQ(v, 5.0);
}

// Output that becomes visible only when flushed, and input that notes what was visible
// when it was asked for more characters.
class HeldOutput : public std::stringbuf {
  public:
    std::string visible;

  protected:
    int sync() override {
        visible = str();
        return 0;
    }
};

class WatchingInput : public std::streambuf {
  public:
    WatchingInput(const std::string& text, const HeldOutput& output)
        : text_(text), output_(output) {}
    std::string seenAtRead;

  protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        if (used_) return traits_type::eof();
        used_ = true;
        seenAtRead = output_.visible;
        setg(text_.data(), text_.data(), text_.data() + text_.size());
        return traits_type::to_int_type(*gptr());
    }

  private:
    std::string text_;
    const HeldOutput& output_;
    bool used_ = false;
};

TEST(ConsoleOutput, PromptIsFlushedBeforeEveryRead) {
    HeldOutput held;
    std::ostream out(&held);
    for (int kind = 0; kind < 3; ++kind) {
        WatchingInput watching("5\n", held);
        std::istream in(&watching);
        Console console(in, out);
        console.print("\n prompt %d%%=", kind);
        double v = 0.0;
        int i = 0;
        if (kind == 0) console.readKey();
        if (kind == 1) console.readNumbers(&v, 1);
        if (kind == 2) console.readInt(i);
        EXPECT_THAT(watching.seenAtRead,
                    testing::EndsWith("\n prompt " + std::to_string(kind) + "%="));
    }
}

TEST(ConsoleOutput, LongFormattedTextIsWhole) {
    std::istringstream in;
    std::ostringstream out;
    Console console(in, out);
    const std::string longText(2000, 'a');
    console.print("[%s]%d", longText.c_str(), 42);
    EXPECT_EQ(out.str(), "[" + longText + "]42");
}

}  // namespace
}  // namespace agv
