// The agvsim program itself: a script on standard input, and a terminal (pseudo-terminal)
// for the single-key reads and the restoring of the terminal's mode.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "app/console/window.h"

namespace {

const std::string kProgram = AGV_BINARY_DIR "/src/agvsim";
const std::string kEndLine = "\n入力が終わりました。終了します。\n";
const std::string kHeader =
    "\nランダム変換表読み込み完了"
    "\n\n移動ロボット(AGV)の機構誤差による軌道誤差とフィードバック制御";
const std::string kFinalPrompt = "\n\n任意キーで描画画面へ       ";

struct Finished {
    std::string output;
    int status = -1;
};

/// Runs agvsim with the script as its standard input (a file, as in scripted use).
Finished runWithScript(const std::string& name, const std::string& script) {
    const std::string scriptPath = name + ".script";
    std::ofstream(scriptPath, std::ios::binary) << script;
    // Without a display the program stops after the dialogue instead of waiting in its
    // window, with the status that says so.
    const std::string command = "env -u DISPLAY '" + kProgram + "' < '" + scriptPath + "'";
    Finished run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(AgvsimScripted, CompletePassGoesOnToTheWindow) {
    ASSERT_EQ(access(kProgram.c_str(), X_OK), 0) << kProgram << " is not built";
    const Finished run = runWithScript("complete", "0\nn\nn\nx\n");
    EXPECT_EQ(run.status, agv::kNoDisplayStatus);
    EXPECT_EQ(run.output.rfind(kHeader, 0), 0u);
    EXPECT_NE(run.output.find("\n(2)AGV機構誤差 (2-0) 誤差なし"), std::string::npos);
    EXPECT_NE(run.output.find("\n      1RDW1FS 計算終わり\n　　   　  計算終了  "),
              std::string::npos);
    EXPECT_TRUE(endsWith(run.output, kFinalPrompt + " x\n")) << run.output;
}

TEST(AgvsimScripted, EndOfInputEndsWithStatusOneWherever) {
    ASSERT_EQ(access(kProgram.c_str(), X_OK), 0) << kProgram << " is not built";
    const struct {
        const char* script;
        const char* lastPrompt;
    } cases[] = {
        {"", " Error Number="},     {"1\n", "左 右(%)="},
        {"0\ny\n", "\n Input I= "}, {"0\ny\n16\n", "A n(=任意正数)="},
        {"0\nn\ny\n", "fn ζ="},     {"0\nn\nn\n", kFinalPrompt.c_str()},
    };
    int index = 0;
    for (const auto& c : cases) {
        const Finished run = runWithScript("ended" + std::to_string(index++), c.script);
        EXPECT_EQ(run.status, 1) << c.script;
        EXPECT_TRUE(endsWith(run.output, std::string(c.lastPrompt) + kEndLine)) << c.script << "\n"
                                                                                << run.output;
        EXPECT_EQ(run.output.find(kEndLine), run.output.size() - kEndLine.size());
    }
}

/// agvsim on a pseudo-terminal, as a user at a terminal runs it.
class TerminalRun {
  public:
    TerminalRun() {
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            // Without a display the program stops after the dialogue instead of waiting in
            // its window.
            unsetenv("DISPLAY");
            execl(kProgram.c_str(), kProgram.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~TerminalRun() {
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0) close(master_);
    }
    bool started() const { return pid_ > 0 && master_ >= 0; }

    /// Reads the program's output until it contains `text` after `from` (or 30 s pass).
    bool waitFor(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (output.find(text, from_) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline || !readSome(100)) return false;
        }
        from_ = output.find(text, from_) + text.size();
        return true;
    }
    /// Reads for a while and returns what arrived.
    std::string drain(int milliseconds) {
        const std::size_t before = output.size();
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < deadline)
            readSome(20);
        return output.substr(before);
    }
    void type(const std::string& keys) {
        ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    /// True once the terminal is in the key read's mode (no line editing, no echo).
    bool waitForKeyMode() {
        for (int i = 0; i < 3000; ++i) {
            termios mode{};
            if (tcgetattr(master_, &mode) == 0 && (mode.c_lflag & (ICANON | ECHO)) == 0) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    bool lineModeRestored() {
        termios mode{};
        return tcgetattr(master_, &mode) == 0 && (mode.c_lflag & ICANON) != 0 &&
               (mode.c_lflag & ECHO) != 0;
    }
    /// Waits for the program to end; its wait status.
    int finish() {
        drain(0);
        int status = 0;
        for (int i = 0; i < 3000; ++i) {
            if (!readSome(10)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                reaped_ = true;
                return status;
            }
        }
        return -1;
    }

    std::string output;

  private:
    bool readSome(int milliseconds) {
        pollfd fd{master_, POLLIN, 0};
        if (poll(&fd, 1, milliseconds) <= 0) return true;
        char buffer[4096];
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0) return false;  // the program has closed the terminal
        // The terminal turns each line break into CR LF; the program writes no CR itself.
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] != '\r') output.push_back(buffer[i]);
        }
        return true;
    }

    int master_ = -1;
    pid_t pid_ = -1;
    bool reaped_ = false;
    std::size_t from_ = 0;
};

TEST(AgvsimTerminal, KeysWithoutEnterAndTheModeRestored) {
    ASSERT_EQ(access(kProgram.c_str(), X_OK), 0) << kProgram << " is not built";
    TerminalRun run;
    ASSERT_TRUE(run.started());
    ASSERT_TRUE(run.waitFor(" Error Number="));
    ASSERT_TRUE(run.waitForKeyMode());
    // One key, no Enter, no echo by the terminal: only the program's own text follows.
    run.type("1");
    ASSERT_TRUE(run.waitFor("     1を選択\n後車輪半径の誤差比率設定　RearWheelerr 左 右(%)="));
    // A numeric answer is a line, edited and echoed by the terminal.
    EXPECT_TRUE(run.lineModeRestored());
    run.type("2 -3\n");
    ASSERT_TRUE(run.waitFor("CP経路変更する？　yes:y   no:n  "));
    ASSERT_TRUE(run.waitForKeyMode());
    // Typed at once: only the first key counts, the rest is dropped before the next read.
    run.type("ny");
    ASSERT_TRUE(run.waitFor("FBゲイン変更する？　yes:y   no:n  "));
    ASSERT_TRUE(run.waitForKeyMode());
    EXPECT_EQ(run.drain(300).find("fn ζ="), std::string::npos);
    run.type("n");
    ASSERT_TRUE(
        run.waitFor("(2-1) 後車輪  左右の車輪半径誤差比率 err(RWH) (L,R)=( 2.00 -3.00)(%)"));
    ASSERT_TRUE(run.waitFor("任意キーで描画画面へ       "));
    ASSERT_TRUE(run.waitForKeyMode());
    run.type("q");
    const int status = run.finish();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == agv::kNoDisplayStatus) << status;
    EXPECT_TRUE(run.lineModeRestored());
}

TEST(AgvsimTerminal, InterruptAndEndOfInputRestoreTheMode) {
    ASSERT_EQ(access(kProgram.c_str(), X_OK), 0) << kProgram << " is not built";
    {
        TerminalRun run;
        ASSERT_TRUE(run.started());
        ASSERT_TRUE(run.waitFor(" Error Number="));
        ASSERT_TRUE(run.waitForKeyMode());
        run.type("\x03");  // Ctrl-C
        const int status = run.finish();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
        EXPECT_TRUE(run.lineModeRestored());
    }
    {
        TerminalRun run;
        ASSERT_TRUE(run.started());
        ASSERT_TRUE(run.waitFor(" Error Number="));
        ASSERT_TRUE(run.waitForKeyMode());
        run.type("\x04");  // Ctrl-D as a key
        ASSERT_TRUE(run.waitFor(kEndLine));
        const int status = run.finish();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        EXPECT_TRUE(run.lineModeRestored());
    }
}

}  // namespace
