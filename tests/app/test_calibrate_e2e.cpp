// Runs the real agvsim-calibrate: its help names every option and exit status, the JSON
// carries the estimates and the figures before and after, the picture holds both clusters
// before and after, and refusals say which option to change.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const char* const kBinary = AGV_BINARY_DIR "/src/agvsim-calibrate";

struct RunResult {
    int status = -1;
    std::string out;
};

/// Runs the program with the arguments (a shell word list), standard error into the output.
RunResult run(const std::string& args) {
    RunResult r;
    const std::string command =
        std::string("cd ") + AGV_SOURCE_DIR + " && " + kBinary + " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

double field(const std::string& json, const std::string& name) {
    const std::regex pattern("\"" + name + "\":([-+0-9.eE]+)");
    std::smatch m;
    if (!std::regex_search(json, m, pattern)) {
        ADD_FAILURE() << "no " << name << " in " << json;
        return 0.0;
    }
    return std::stod(m[1]);
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(CalibrateProgram, HelpNamesEveryOptionAndExitStatus) {
    const RunResult r = run("--help");
    EXPECT_EQ(r.status, 0);
    for (const char* option :
         {"--rear-wheels", "--wheelbase-tread", "--slip", "--front-wheel", "--drift", "--seed",
          "--square", "--runs", "--json", "--svg", "--help", "\n  0  ", "\n  1  ", "\n  2  "}) {
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
    }
}

TEST(CalibrateProgram, JsonAndPictureOfTheNoiseFreeCase) {
    const fs::path svg = fs::temp_directory_path() / "agvsim_calibrate_test.svg";
    // Ed = 1.01 with the mean wheel unchanged, Eb = 1.02.
    const RunResult r =
        run("--rear-wheels -0.4975124378,0.4975124378 --wheelbase-tread 2,0 "
            "--runs 2 --json --svg " +
            svg.string());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NEAR(field(r.out, "ed_true"), 1.01, 1e-9);
    EXPECT_NEAR(field(r.out, "eb_true"), 1.02, 1e-12);
    EXPECT_NEAR(field(r.out, "ed_estimated") - 1.0, 0.01, 0.05 * 0.01);
    EXPECT_NEAR(field(r.out, "eb_estimated") - 1.0, 0.02, 0.05 * 0.02);
    EXPECT_LT(field(r.out, "emax_syst_after"), field(r.out, "emax_syst_before") / 10.0);

    std::ifstream file(svg);
    std::stringstream picture;
    picture << file.rdbuf();
    fs::remove(svg);
    // Four clusters of two runs, each with its centroid, and the axes in millimetres.
    EXPECT_EQ(count(picture.str(), "class=\"cluster\""), 4u);
    EXPECT_EQ(count(picture.str(), "class=\"centroid\""), 4u);
    EXPECT_EQ(count(picture.str(), "<circle cx"), 4u * 2u + 4u);
    EXPECT_NE(picture.str().find("[mm]"), std::string::npos);
}

TEST(CalibrateProgram, RefusalsNameTheOption) {
    struct Case {
        const char* args;
        const char* says;
    };
    for (const Case& c :
         {Case{"--square 0,0.5", "--square: L = 0"},
          Case{"--square -4,0.5", "--square: L = -4 is negative"},
          Case{"--square 4,0.3", "too small for the vehicle"},
          Case{"--square 2,1.5", "--square: these constants"}, Case{"--runs 0", "--runs: 0 runs"},
          Case{"--slip 2 --runs 100", "--runs: 100 runs each way with the slip"},
          Case{"--bogus", "unknown option"}}) {
        const RunResult r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << ": " << r.out;
    }
}

}  // namespace
