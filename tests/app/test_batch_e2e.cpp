// Runs the real agvsim-batch executable and checks its exit status, output and files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/common/computation.h"
#include "app/common/context.h"
#include "app/common/random_table_file.h"
#include "app/common/trajectory_csv.h"
#include "app/console/dialogue.h"
#include "app/console/path_dialogue.h"
#include "path/arc_length.h"
#include "path/path_length.h"

namespace {

namespace fs = std::filesystem;

const char* const kBatchBinary = AGV_BINARY_DIR "/src/agvsim-batch";

struct RunResult {
    int status = -1;
    std::string out, err;
};

std::string readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

class BatchRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kBatchBinary)) << kBatchBinary;
        char pattern[] = "/tmp/agv_batch_e2e_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    /// Runs the tool in the temporary folder; withoutDisplay unsets DISPLAY in the child.
    RunResult run(const std::vector<std::string>& args, bool withoutDisplay = false) {
        const fs::path outPath = dir_ / "stdout.txt";
        const fs::path errPath = dir_ / "stderr.txt";
        std::vector<char*> argv{const_cast<char*>(kBatchBinary)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
                ::chdir(dir_.c_str()) != 0) {
                ::_exit(127);
            }
            if (withoutDisplay) ::unsetenv("DISPLAY");
            ::execv(kBatchBinary, argv.data());
            ::_exit(127);
        }
        RunResult result;
        int status = 0;
        if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
            result.status = WEXITSTATUS(status);
        }
        result.out = readFile(outPath);
        result.err = readFile(errPath);
        fs::remove(outPath);
        fs::remove(errPath);
        return result;
    }

    /// Files the run left in its folder.
    std::vector<std::string> leftFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    fs::path dir_;
};

/// The same conditions computed in this process through the console's steps.
struct Conditions {
    agv::MechanismError errorNumber = agv::MechanismError::kNone;
    double errorValue1 = 0.0, errorValue2 = 0.0;
    int curve = 0;  // 0: keep the start-up path
    std::vector<double> params;
    double fn = 1.0, zeta = 1.0;
};

std::string expectedCsv(const Conditions& c) {
    agv::AgvContext ctx;
    std::ostringstream messages;
    ctx.out = &messages;
    std::string error;
    if (!agv::loadRandomTables(ctx.model.tables, error)) return "tables: " + error;
    agv::initialiseRun(ctx);
    agv::Scenario scenario;
    scenario.errors = agv::onlyError(c.errorNumber, c.errorValue1, c.errorValue2);
    if (c.curve != 0) {
        scenario.curveNumber = c.curve;
        agv::setCurveConstants(scenario, c.curve, c.params.data(),
                               static_cast<int>(c.params.size()));
    }
    scenario.fn = c.fn;
    scenario.zeta = c.zeta;
    if (!agv::useScenario(ctx, scenario).accepted()) return "refused";
    if (!agv::computeTrajectories(ctx).done()) return "not computed";
    std::ostringstream csv;
    agv::writeTrajectoryCsv(csv, *ctx.data.store, ctx.model.settings.dt);
    return csv.str();
}

TEST_F(BatchRun, DefaultRunWritesTheConsoleComputationAsCsv) {
    const RunResult result = run({"--csv", "run.csv", "--summary"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string csv = readFile(dir_ / "run.csv");
    EXPECT_EQ(csv, expectedCsv(Conditions{}));
    EXPECT_EQ(csv.rfind(std::string(agv::kTrajectoryCsvHeader) + "\n", 0), 0u);
    EXPECT_NE(result.out.find("type 1 (2DW1C): "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("type 3 (1RDW1FS): "), std::string::npos) << result.out;
    // The computation's own messages go to standard error.
    EXPECT_NE(result.err.find("1RDW1FS 計算終わり"), std::string::npos) << result.err;
    EXPECT_EQ(leftFiles(), std::vector<std::string>{"run.csv"});
}

TEST_F(BatchRun, OptionsReachTheComputationAsTheDialogueWouldSetThem) {
    Conditions c;
    c.errorNumber = agv::MechanismError::kWheelBaseTread;
    c.errorValue1 = -3.0;
    c.errorValue2 = 2.0;
    c.curve = 12;
    c.params = {1.0, 1.5};
    c.fn = 2.0;
    c.zeta = 0.7;
    const RunResult result =
        run({"--error=4", "--error-values", "-3,2", "--curve", "12", "--curve-params=1,1.5", "--fn",
             "2", "--zeta=0.7", "--csv", "-", "--summary"});
    ASSERT_EQ(result.status, 0) << result.err;
    // With --csv - the CSV alone is on standard output and the summary moves to standard error.
    EXPECT_EQ(result.out, expectedCsv(c));
    EXPECT_NE(result.err.find("type 2 (1FDW1FS): "), std::string::npos) << result.err;

    // Constants missing at the end keep their start-up values (cosine n = 1).
    Conditions straight;
    straight.curve = 1;
    straight.params = {0.0, 5.0, 1.0};
    const RunResult shortParams = run({"--curve", "1", "--curve-params=0,5", "--csv", "-"});
    ASSERT_EQ(shortParams.status, 0) << shortParams.err;
    EXPECT_EQ(shortParams.out, expectedCsv(straight));
}

TEST_F(BatchRun, BadArgumentsExitWithStatus2AndWriteNothing) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{"--csv", "run.csv", "--frobnicate"}, "agvsim-batch: unknown option --frobnicate"},
        {{"--csv", "run.csv", "--error", "7"}, "agvsim-batch: --error must be 0 to 5"},
        // Refused by the dialogue's own checks, in the tool's words.
        {{"--csv", "run.csv", "--curve-params", "0.5,-2,1"},
         "--curve-params refused: L = -2 is negative"},
        {{"--csv", "run.csv", "--zeta", "0"}, "--fn/--zeta refused: zeta = 0"},
        // A valid error, a refused constant and a refused design: the curve is refused first.
        {{"--csv", "run.csv", "--drift", "2", "--curve-params", "0.5,-2", "--fn", "0"},
         "--curve-params refused: L = -2 is negative"},
        {{"--csv", "run.csv", "--slip", "2", "--wheelbase-tread", "-100,0"},
         "--wheelbase-tread refused: a WheelBase error of -100 %"},
        {{"--csv", "run.csv", "--error", "3", "--drift", "1"}, "give the same error twice"},
        {{"--csv", "run.csv", "--scenario", "drift=1 curve=9"}, "--scenario: 'curve' takes"},
        {{"--csv", "run.csv", "--scenario", "drift=1", "--mirror"}, "give it without --mirror"},
        {{"--csv", "run.csv", "--error", "4", "--error-values", "-100,5"},
         "--error-values refused: a WheelBase error of -100 %"},
        {{"--csv", "run.csv", "--index", "100000"}, "--index 100000 is past the last record"},
        {{"--csv", "run.csv", "--controller", "pure-pursuit", "--lookahead", "0"},
         "--lookahead refused: the look-ahead distance 0 m is not a positive number"},
        {{"--csv", "run.csv", "--controller", "lqr", "--lqr-weights", "1,1,1,-1"},
         "--lqr-weights refused: the LQR weight R = -1"},
        // Two outputs in one place, refused before anything runs.
        {{"--gif", "-", "--csv", "-"}, "--csv and --gif cannot both write to standard output"},
        {{"--csv", "X", "--png", "./X"}, "--csv and --png cannot both write to './X'"},
    };
    for (const Case& c : cases) {
        const RunResult result = run(c.args);
        EXPECT_EQ(result.status, 2) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("usage: agvsim-batch"), std::string::npos) << result.err;
        EXPECT_TRUE(leftFiles().empty()) << c.message;
        EXPECT_TRUE(result.out.empty()) << c.message;
    }

    const RunResult help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: agvsim-batch", 0), 0u) << help.out;
}

TEST_F(BatchRun, ControllerOptionsReachTheRunAndItsTheory) {
    // A 2° drift on a straight path under the Stanley law: the theory's steady offset beside
    // the last record's, as for the fn/zeta law, and the scenario text names the law.
    const std::vector<std::string> law = {"--drift",        "2",      "--curve",      "1",
                                          "--curve-params", "0,1,20", "--controller", "stanley",
                                          "--stanley-gain", "3"};
    std::vector<std::string> args = law;
    args.insert(args.end(), {"--theory", "--summary"});
    const RunResult result = run(args);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("linear theory of the stanley law"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("type 3 (1RDW1FS): stable"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("max|dd|"), std::string::npos) << result.out;
    args = law;
    args.push_back("--print-scenario");
    const RunResult text = run(args);
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, "drift=2 curve=1:0,1,20 controller=stanley stanley-gain=3\n");
}

TEST_F(BatchRun, TooLongPathsExitWithStatus3AndWriteNothing) {
    // sf = 62.8319 m is longer than the 60 m the store can hold.
    RunResult result = run({"--curve", "15", "--curve-params", "5,2", "--csv", "run.csv"});
    EXPECT_EQ(result.status, 3) << result.err;
    EXPECT_NE(result.err.find("path 15 is 62.8319 m long, more than the 60 m"), std::string::npos)
        << result.err;
    EXPECT_TRUE(leftFiles().empty());

    // sf = 59.6903 m passes the length check, but type 2 slows down in the bends and would
    // run out of records; so would it on the 4.8 m of a rose of twenty small petals.
    for (const auto& [curve, params] : {std::pair{"--curve=15", "--curve-params=5,1.9"},
                                        std::pair{"--curve=14", "--curve-params=0.1,10"}}) {
        result = run({curve, params, "--csv=run.csv", "--summary"});
        EXPECT_EQ(result.status, 3) << result.err;
        EXPECT_NE(result.err.find("would take type 2 (1FDW1FS), slowed down in its bends, more "
                                  "than the 3000 records"),
                  std::string::npos)
            << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;
        EXPECT_TRUE(leftFiles().empty());
    }
}

TEST_F(BatchRun, LengthLimitOnBothSidesAndHugeConstants) {
    // R = 10: n = 0.95652 is 60.0999 m long, refused by the length check.
    RunResult result = run({"--curve", "15", "--curve-params", "10,0.95652", "--csv", "run.csv"});
    EXPECT_EQ(result.status, 3) << result.err;
    EXPECT_NE(result.err.find("path 15 is 60.0999 m long"), std::string::npos) << result.err;
    // n = 0.95334 is 59.90 m: it passes the length check, but type 2, a little slower on the
    // circle, needs at least 3000 records: refused up front.
    result = run({"--curve", "15", "--curve-params", "10,0.95334", "--csv", "run.csv"});
    EXPECT_EQ(result.status, 3) << result.err;
    EXPECT_EQ(result.err.find("smax"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("more than the 3000 records"), std::string::npos) << result.err;
    // Constants whose length would take minutes to sum are refused on a bound.
    for (const char* params : {"1,1e9", "1e-300,1e308"}) {
        result = run({"--curve", "3", "--curve-params", params});
        EXPECT_EQ(result.status, 3) << params << result.err;
        EXPECT_NE(result.err.find("more than the 60 m the store holds"), std::string::npos)
            << result.err;
    }
    result = run({"--curve", "12", "--curve-params", "1,1e9"});
    EXPECT_EQ(result.status, 3) << result.err;
    EXPECT_TRUE(leftFiles().empty());
}

TEST_F(BatchRun, DivergedComputationKeepsItsRecordsAndExitsWithStatus4) {
    // 10 % slip on a wavy line: type 1 leaves the path, types 2 and 3 reach its end.
    RunResult result = run({"--error", "5", "--error-values", "10", "--curve", "1",
                            "--curve-params", "1,1,5", "--csv", "run.csv", "--summary"});
    EXPECT_EQ(result.status, 4) << result.err;
    const std::regex said(
        "type 1 diverged: its vehicle with feedback left the path after "
        "record ([0-9]+) \\(t = [0-9.]+ s\\)");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(result.err, match, said)) << result.err;
    const std::string reason = match.str(0);
    const int last = std::stoi(match.str(1));
    EXPECT_NE(result.out.find("records 0.." + std::to_string(last) + ", end time "),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("; " + reason), std::string::npos) << result.out;
    // Every record of each type, the diverged one's up to there, and the outcome last.
    const std::string csv = readFile(dir_ / "run.csv");
    std::map<std::string, int> rowsOfType;
    std::istringstream lines(csv);
    std::string line, lastLine;
    while (std::getline(lines, line)) {
        ++rowsOfType[line.substr(0, line.find(','))];
        lastLine = line;
    }
    EXPECT_EQ(lastLine, "# " + reason);
    EXPECT_EQ(rowsOfType["1"], last + 1);
    for (const char* type : {"2", "3"}) {
        const std::regex records(std::string("type ") + type +
                                 " \\([0-9A-Z]+\\): records 0..([0-9]+),");
        ASSERT_TRUE(std::regex_search(result.out, match, records)) << result.out;
        EXPECT_EQ(rowsOfType[type], std::stoi(match.str(1)) + 1) << type;
    }
    EXPECT_EQ(result.out.find("diverged", result.out.find("type 2 (")), std::string::npos);

    // A design whose vehicle leaves the 48 m cycloid at once stops there, every type.
    result = run({"--curve", "2", "--curve-params", "1.9,47.88", "--error", "1", "--error-values",
                  "10.2,0", "--fn", "-100", "--csv", "-"});
    EXPECT_EQ(result.status, 4) << result.err;
    EXPECT_NE(result.err.find("type 1 diverged: its vehicle with feedback left the path after "
                              "record 0 (t = 0.0"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1 + 3 + 3);
}

TEST_F(BatchRun, FailedWritesExitWithStatus1) {
    const std::string batch = kBatchBinary;
    const auto shell = [&](const std::string& command) {
        const std::string line = "cd \"" + dir_.string() + "\" && " + command;
        const int status = std::system(("bash -c '" + line + "' 2>/dev/null").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    // A reader that goes away early: the CSV is larger than the pipe holds.
    EXPECT_EQ(shell(batch + " --csv - | true; exit ${PIPESTATUS[0]}"), 1);
    // A file size limit of 1 KiB: the CSV fails and leaves nothing, the summary fails too.
    EXPECT_EQ(shell("ulimit -f 1; exec " + batch + " --csv run.csv"), 1);
    EXPECT_TRUE(leftFiles().empty());
    EXPECT_EQ(shell("ulimit -f 1; exec " + batch + " --summary > summary.txt"), 1);
}

TEST_F(BatchRun, PicturesWithoutDisplayExitWithStatus2AndWriteNothing) {
    const RunResult result = run({"--png", "view.png", "--csv", "run.csv"}, true);
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_FALSE(result.err.empty());
    EXPECT_TRUE(leftFiles().empty());
}

TEST_F(BatchRun, WritesAPictureWhenADisplayIsThere) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
    const RunResult result =
        run({"--png", "view.png", "--type", "2", "--index", "end", "--zoom", "-2"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string png = readFile(dir_ / "view.png");
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

}  // namespace

namespace {

TEST_F(BatchRun, ScenarioTextAndNamedErrorsRunTheSameBytesAsTheOptions) {
    const std::vector<std::vector<std::string>> optionSets = {
        {"--error", "3", "--error-values", "2", "--curve", "16", "--curve-params", "0.3,4",
         "--zeta", "0.7"},
        {"--rear-wheels", "1,-0.5", "--wheelbase-tread", "2,5", "--mirror", "--curve", "11"},
        {"--slip", "4", "--seed", "9", "--front-wheel", "3", "--curve", "15", "--curve-params",
         "1.5", "--fn", "2"},
    };
    for (const std::vector<std::string>& options : optionSets) {
        std::vector<std::string> args = options;
        args.push_back("--print-scenario");
        const RunResult text = run(args);
        ASSERT_EQ(text.status, 0) << text.err;
        ASSERT_FALSE(text.out.empty());
        args = options;
        args.insert(args.end(), {"--csv", "-"});
        const RunResult direct = run(args);
        ASSERT_EQ(direct.status, 0) << direct.err;
        const RunResult named =
            run({"--scenario", text.out.substr(0, text.out.size() - 1), "--csv", "-"});
        ASSERT_EQ(named.status, 0) << named.err;
        EXPECT_EQ(named.out, direct.out) << text.out;
    }
    // --error N and its named option are one error.
    const RunResult numbered = run({"--error", "4", "--error-values", "2,5", "--csv", "-"});
    const RunResult named = run({"--wheelbase-tread", "2,5", "--csv", "-"});
    EXPECT_EQ(numbered.out, named.out);
}

}  // namespace

namespace {

// Each exercise of docs/exercises.md fails with its start values and passes with an answer
// kept here; an answer that changes a fixed field is refused.
TEST_F(BatchRun, DocumentedExercisesFailAtTheStartAndPassWithAnAnswer) {
    const std::string docs = readFile(AGV_SOURCE_DIR "/docs/exercises.md");
    const std::regex quotedExercise("--exercise '([^']+)'\n");
    std::vector<std::string> exercises;
    for (std::sregex_iterator m(docs.begin(), docs.end(), quotedExercise), end; m != end; ++m)
        exercises.push_back((*m)[1]);
    const std::vector<std::string> answers = {
        "drift=8 curve=16 fn=3 zeta=0.7",
        "drift=2 curve=11 fn=4.2",
        "drift=5 controller=lqr lqr-weights=1e6,100,100,1",
    };
    ASSERT_EQ(exercises.size(), answers.size());
    for (std::size_t i = 0; i < exercises.size(); ++i) {
        SCOPED_TRACE(exercises[i]);
        const RunResult start = run({"--exercise", exercises[i]});
        EXPECT_EQ(start.status, 5) << start.err;
        EXPECT_NE(start.out.find("verdict: FAIL"), std::string::npos) << start.out;
        const RunResult answered = run({"--exercise", exercises[i], "--scenario", answers[i]});
        EXPECT_EQ(answered.status, 0) << answered.err;
        EXPECT_EQ(answered.out.find("FAIL"), std::string::npos) << answered.out;
        EXPECT_NE(answered.out.find("verdict: PASS"), std::string::npos) << answered.out;
    }

    // The measured value is the summary's figure.
    const RunResult both = run({"--exercise", exercises[0], "--summary"});
    std::smatch peak;
    ASSERT_TRUE(std::regex_search(both.out, peak, std::regex("\n  2 +([0-9.e+-]+) "))) << both.out;
    EXPECT_NE(both.out.find("peak-dd type 2      <= 0.01 m         " + peak[1].str() + " m"),
              std::string::npos)
        << both.out;

    const RunResult changed = run({"--exercise", exercises[0], "--drift", "7", "--curve", "16"});
    EXPECT_EQ(changed.status, 2);
    EXPECT_NE(changed.err.find("changes drift, which the exercise fixes at drift=8"),
              std::string::npos)
        << changed.err;
    EXPECT_EQ(changed.out, "");
}

}  // namespace
