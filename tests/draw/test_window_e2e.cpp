// The real program end to end: console dialogue on a pipe, the window driven with
// xdotool and photographed with ImageMagick's import, compared with the picture the
// drawing code gives for the same run and keys; ESC ends with status 0. Without a
// display the program ends after the dialogue with status 2.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/console/window.h"
#include "draw/render_support.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace agvtest;
using Clock = std::chrono::steady_clock;

constexpr auto kPromptTimeout = std::chrono::seconds(60);
constexpr auto kWindowTimeout = std::chrono::seconds(20);
const char* const kProgram = AGV_BINARY_DIR "/src/agvsim";

// agvsim with its standard streams on pipes.
class Program {
  public:
    explicit Program(bool withDisplay) {
        int in[2], out[2], err[2];
        if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return;
        std::vector<char*> env;
        for (char** e = environ; *e != nullptr; ++e) {
            if (withDisplay || std::strncmp(*e, "DISPLAY=", 8) != 0) env.push_back(*e);
        }
        env.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            dup2(err[1], 2);
            for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
                close(fd);
            char* argv[] = {const_cast<char*>(kProgram), nullptr};
            execve(kProgram, argv, env.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        close(err[1]);
        in_ = in[1];
        out_ = out[0];
        err_ = err[0];
        fcntl(out_, F_SETFL, O_NONBLOCK);
        fcntl(err_, F_SETFL, O_NONBLOCK);
    }
    ~Program() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        for (int fd : {in_, out_, err_}) {
            if (fd >= 0) close(fd);
        }
    }

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    void send(const std::string& text) {
        ASSERT_EQ(write(in_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Waits until text appears in the output after everything found so far.
    bool waitFor(const std::string& text) {
        const auto deadline = Clock::now() + kPromptTimeout;
        while (Clock::now() < deadline) {
            drain();
            const size_t at = output_.find(text, seen_);
            if (at != std::string::npos) {
                seen_ = at + text.size();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    // Exit status, or -1 when the program has not ended within the timeout.
    int waitExit() {
        const auto deadline = Clock::now() + kWindowTimeout;
        while (Clock::now() < deadline) {
            drain();
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                drain();
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    const std::string& output() const { return output_; }
    const std::string& errors() const { return errors_; }

  private:
    void drain() {
        char buffer[4096];
        ssize_t n;
        while ((n = read(out_, buffer, sizeof buffer)) > 0)
            output_.append(buffer, n);
        while ((n = read(err_, buffer, sizeof buffer)) > 0)
            errors_.append(buffer, n);
    }

    pid_t pid_ = -1;
    bool exited_ = false;
    int in_ = -1, out_ = -1, err_ = -1;
    std::string output_, errors_;
    size_t seen_ = 0;
};

std::string run(const std::string& command) {
    std::string result;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr)
            result += buffer;
        pclose(pipe);
    }
    return result;
}

// Answers the dialogue's questions: error number and values, no path change, no
// feedback change, then the key that hands over to the window.
void answerDialogue(Program& p, char errorNumber, const std::string& values) {
    ASSERT_TRUE(p.waitFor("Error Number=")) << p.output();
    p.send(std::string(1, errorNumber));
    if (!values.empty()) {
        ASSERT_TRUE(p.waitFor("(%)=")) << p.output();
        p.send(values + "\n");
    }
    ASSERT_TRUE(p.waitFor("CP経路変更する")) << p.output();
    p.send("n");
    ASSERT_TRUE(p.waitFor("FBゲイン変更する")) << p.output();
    p.send("n");
    ASSERT_TRUE(p.waitFor("任意キーで描画画面へ")) << p.output();
    p.send("g");
}

class WindowEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        signal(SIGPIPE, SIG_IGN);
        ASSERT_TRUE(fs::exists(kProgram)) << kProgram;
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display";
        if (access("/usr/bin/xdotool", X_OK) != 0 || access("/usr/bin/import", X_OK) != 0) {
            GTEST_SKIP() << "needs xdotool and ImageMagick's import";
        }
        shot_ = fs::temp_directory_path() / ("agv_window_" + std::to_string(getpid()) + ".png");
    }
    void TearDown() override { fs::remove(shot_); }

    // The program's visible window (other tests may open windows of their own).
    std::string findWindow(pid_t pid) {
        const auto deadline = Clock::now() + kWindowTimeout;
        while (Clock::now() < deadline) {
            std::string id = run("xdotool search --onlyvisible --pid " + std::to_string(pid) +
                                 " --name 'W,w' 2>/dev/null");
            if (!id.empty()) return id.substr(0, id.find('\n'));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return {};
    }

    void keys(const std::string& window, const std::string& names) {
        run("xdotool key --window " + window + " " + names + " 2>/dev/null");
    }

    // Photographs the window until it shows the expected picture (keys are handled
    // asynchronously); returns the number of differing pixels of the last photograph.
    int differenceFrom(const std::string& window, const Picture& expected) {
        int differing = -1;
        const auto deadline = Clock::now() + kWindowTimeout;
        while (Clock::now() < deadline) {
            run("import -window " + window + " png:" + shot_.string() + " 2>/dev/null");
            int w = 0, h = 0;
            std::vector<std::uint8_t> rgb = readPngFile(shot_.string(), w, h);
            if (w == agv::kWindowSize && h == agv::kWindowSize) {
                const Picture shot(std::move(rgb));
                differing = 0;
                for (int r = 0; r < h; ++r) {
                    for (int c = 0; c < w; ++c)
                        differing += shot.pixel(c, r) != expected.pixel(c, r);
                }
                if (differing == 0) return 0;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return differing;
    }

    fs::path shot_;
};

TEST_F(WindowEndToEnd, KeysDriveThePictureAndTheConsoleAndEscapeEnds) {
    Program program(true);
    ASSERT_TRUE(program.started());
    answerDialogue(program, '1', "5 -5");
    const std::string window = findWindow(program.pid());
    ASSERT_FALSE(window.empty()) << program.errors();
    // The title reaches the window manager as UTF-8.
    EXPECT_EQ(run("xdotool getwindowname " + window + " 2>/dev/null"),
              std::string(agv::kWindowTitle) + "\n");

    // The same run, computed here, with the same keys.
    auto ctx = computedContext('1', 5.0, -5.0);
    keys(window, "2 s s s s s");
    for (unsigned char k : {'2', 's', 's', 's', 's', 's'})
        agv::applyWindowKey(*ctx, k);
    EXPECT_EQ(differenceFrom(window, renderFrame(*ctx)), 0) << "after 2 and five s";
    keys(window, "0 w x");
    for (unsigned char k : {'0', 'w', 'x'})
        agv::applyWindowKey(*ctx, k);
    EXPECT_EQ(differenceFrom(window, renderFrame(*ctx)), 0) << "after 0 w x";

    // Back to the console for a run without error; the shift survives it.
    keys(window, "e");
    answerDialogue(program, '0', "");
    auto second = computedContext('0', 0.0, 0.0);
    second->view.viewOffsetX = ctx->view.viewOffsetX;
    keys(window, "s");
    agv::applyWindowKey(*second, 's');
    EXPECT_EQ(differenceFrom(window, renderFrame(*second)), 0) << "after the new computation";

    run("xdotool keydown --window " + window + " Escape 2>/dev/null");
    EXPECT_EQ(program.waitExit(), 0) << program.errors();
}

TEST(WindowWithoutDisplay, ProgramEndsAfterTheDialogueWithOneLine) {
    signal(SIGPIPE, SIG_IGN);
    ASSERT_TRUE(fs::exists(kProgram)) << kProgram;
    Program program(false);
    ASSERT_TRUE(program.started());
    answerDialogue(program, '2', "3");
    EXPECT_EQ(program.waitExit(), 2);
    EXPECT_NE(program.errors().find("no X display"), std::string::npos) << program.errors();
    EXPECT_NE(program.output().find("計算終了"), std::string::npos);
}

}  // namespace
