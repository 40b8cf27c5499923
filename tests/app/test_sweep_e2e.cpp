// Runs the real agvsim-sweep executable: the table is the same for any number of jobs and
// for shards merged, its rows agree with agvsim-batch, refusals are marked or stop the
// sweep before it runs, and the heat map is XML with one cell per grid point.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/sweep/shard_identity.h"
#include "path/curve_params.h"

namespace {

namespace fs = std::filesystem;

const char* const kSweepBinary = AGV_BINARY_DIR "/src/agvsim-sweep";
const char* const kBatchBinary = AGV_BINARY_DIR "/src/agvsim-batch";
const char* const kHeader =
    "fn,zeta,error_size,type,outcome,records,end_time,nofbc_max_dd,nofbc_max_dth,fbc_max_dd,"
    "fbc_max_dth,fbc_rms_dd,fbc_final_dd,fbc_final_dth\n";

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

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> items;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, separator))
        items.push_back(item);
    if (!text.empty() && text.back() == separator) items.push_back("");
    return items;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result = split(text, '\n');
    if (!result.empty() && result.back().empty()) result.pop_back();
    return result;
}

class SweepRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kSweepBinary)) << kSweepBinary;
        char pattern[] = "/tmp/agv_sweep_e2e_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    RunResult run(const char* binary, const std::vector<std::string>& args) {
        const fs::path outPath = dir_ / ".stdout";
        const fs::path errPath = dir_ / ".stderr";
        std::vector<char*> argv{const_cast<char*>(binary)};
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
            ::execv(binary, argv.data());
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
    RunResult sweep(const std::vector<std::string>& args) { return run(kSweepBinary, args); }

    std::vector<std::string> leftFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
};

TEST_F(SweepRun, JobsAndShardsGiveTheSameTable) {
    // Random slip: every grid point starts its random numbers afresh, on any worker.
    const std::vector<std::string> grid = {"--error", "5",       "--error-values", "3",
                                           "--fn",    "0.5:2:3", "--zeta",         "0.6,1.2"};
    const auto withGrid = [&](std::vector<std::string> more) {
        more.insert(more.begin(), grid.begin(), grid.end());
        return more;
    };
    const RunResult one = sweep(withGrid({"--jobs", "1", "--csv", "one.csv"}));
    ASSERT_EQ(one.status, 0) << one.err;
    const std::string table = readFile(dir_ / "one.csv");
    ASSERT_EQ(table.rfind(kHeader, 0), 0u);
    const std::vector<std::string> rows = lines(table);
    ASSERT_EQ(rows.size(), 1u + 3 * 3 * 2);
    EXPECT_EQ(rows[1].rfind("0.5,0.6,3,1,done,", 0), 0u) << rows[1];
    EXPECT_EQ(rows[6].rfind("0.5,1.2,3,3,done,", 0), 0u) << rows[6];
    EXPECT_EQ(rows.back().rfind("2,1.2,3,3,done,", 0), 0u) << rows.back();

    const RunResult two = sweep(withGrid({"--jobs=2", "--csv", "-"}));
    ASSERT_EQ(two.status, 0) << two.err;
    EXPECT_EQ(two.out, table);

    for (const char* shard : {"0/4", "1/4", "2/4", "3/4"}) {
        const std::string name = std::string("shard") + shard[0] + ".csv";
        const RunResult part = sweep(withGrid({"--shard", shard, "--jobs", "2", "--csv", name}));
        ASSERT_EQ(part.status, 0) << part.err;
    }
    const RunResult merged =
        sweep({"--merge", "shard3.csv", "shard1.csv", "shard0.csv", "shard2.csv"});
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(merged.out, table);

    // Tables that do not make the whole grid are refused with the reason, and nothing is
    // written: a missing shard, one shard twice in place of another, a shard of another
    // grid or curve, a row changed, rows swapped, a table cut short or a foreign file.
    const std::string shard0 = readFile(dir_ / "shard0.csv");
    const auto writeShard = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return name;
    };
    const auto replaced = [&](std::string text, const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        return at == std::string::npos ? std::string() : text.replace(at, from.size(), to);
    };
    const std::vector<std::string> shard0Lines = lines(shard0);
    ASSERT_EQ(shard0Lines.size(), 3u + 3 * 2);
    std::string swapped = shard0Lines[0] + "\n" + shard0Lines[1] + "\n";
    for (const std::size_t i : {5, 6, 7, 2, 3, 4})
        swapped += shard0Lines[i] + "\n";
    const std::vector<std::string> foreignGrid = {
        "--error", "5",       "--error-values", "3",   "--fn",  "0.5:2:3",
        "--zeta",  "0.6,1.3", "--shard",        "0/4", "--csv", "zeta.csv"};
    ASSERT_EQ(sweep(foreignGrid).status, 0);
    std::vector<std::string> foreignCurve = foreignGrid;
    foreignCurve[7] = "0.6,1.2";
    foreignCurve.insert(foreignCurve.end(), {"--curve", "13"});
    foreignCurve[11] = "curve.csv";
    ASSERT_EQ(sweep(foreignCurve).status, 0);
    // Each case: the file standing for shard 0 (none: left out), and the reason given.
    const std::vector<std::pair<std::string, std::string>> refusals = {
        {"", "shard 0/4 is missing"},
        {"zeta.csv", "another grid or other conditions"},
        {"curve.csv", "another grid or other conditions"},
        {writeShard("key.csv", replaced(shard0, "\n0.5,0.6,3,2,", "\n0.50,0.6,3,2,")),
         "key.csv:4: not the row of fn=0.5 zeta=0.6 error_size=3 type 2"},
        {writeShard("junk.csv", replaced(shard0, ",done,", ",done,x")), "junk.csv:3: not the row"},
        {writeShard("nul.csv", replaced(shard0, ",done,", std::string(",do\0ne,", 8))),
         "nul.csv:3: not the row"},
        {writeShard("swapped.csv", swapped), "swapped.csv:3: not the row"},
        {writeShard("cut.csv", shard0.substr(0, shard0.size() - 1)),
         "cut.csv:9: its last line ends without a line break"},
        {writeShard("plain.csv", table), "plain.csv is not a shard table"},
    };
    for (const auto& [file, reason] : refusals) {
        std::vector<std::string> args = {"--merge", "shard1.csv", "shard2.csv", "shard3.csv"};
        if (!file.empty()) args.push_back(file);
        args.insert(args.end(), {"--csv", "all.csv"});
        const RunResult refused = sweep(args);
        EXPECT_EQ(refused.status, 2) << file;
        EXPECT_NE(refused.err.find(reason), std::string::npos) << refused.err;
        EXPECT_FALSE(fs::exists(dir_ / "all.csv")) << file;
    }
    // One shard twice in place of a missing one.
    const RunResult twice =
        sweep({"--merge", "shard0.csv", "shard1.csv", "shard1.csv", "shard3.csv"});
    EXPECT_EQ(twice.status, 2);
    EXPECT_NE(twice.err.find("shard 1/4 is given twice"), std::string::npos) << twice.err;
    EXPECT_TRUE(twice.out.empty());
}

TEST_F(SweepRun, ShardsCarryTheirDigestAndMergeFromStreamsOnlyWhenIntact) {
    // fn = 20 makes types 1 and 2 diverge: their rows merge like any other.
    const std::vector<std::string> grid = {"--fn", "1,20", "--zeta=-0.5,1"};
    const auto withGrid = [&](std::vector<std::string> more) {
        more.insert(more.begin(), grid.begin(), grid.end());
        return more;
    };
    const RunResult whole = sweep(withGrid({"--csv", "-"}));
    ASSERT_EQ(whole.status, 0) << whole.err;
    ASSERT_NE(whole.out.find(",diverged,"), std::string::npos);
    for (const char* shard : {"0/3", "1/3", "2/3"}) {
        const std::string name = std::string("s") + shard[0] + ".csv";
        ASSERT_EQ(sweep(withGrid({"--shard", shard, "--csv", name})).status, 0);
    }
    // The last line: the row count and the SHA-256 of every byte before it.
    const std::string s0 = readFile(dir_ / "s0.csv");
    const std::vector<std::string> s0Lines = lines(s0);
    ASSERT_EQ(s0Lines.size(), 3u + 2 * 3);
    const std::string command = "head -n -1 " + (dir_ / "s0.csv").string() + " | sha256sum";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char digest[65] = {};
    ASSERT_EQ(std::fread(digest, 1, 64, pipe), 64u);
    ::pclose(pipe);
    EXPECT_EQ(s0Lines.back(), std::string("# agvsim-sweep shard end: 6 rows, sha256 ") + digest);

    // Each shard read once: one of them from a FIFO, checked against recomputed rows too.
    ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    const pid_t writer = ::fork();
    if (writer == 0) {
        std::ofstream(dir_ / "fifo", std::ios::binary) << readFile(dir_ / "s2.csv");
        ::_exit(0);
    }
    const RunResult merged = sweep({"--merge", "s1.csv", "fifo", "s0.csv", "--verify", "6"});
    ::waitpid(writer, nullptr, 0);
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(merged.out, whole.out);

    // Rows changed in form-keeping ways are refused by the digest, and nothing is written.
    const auto changed = [&](const std::string& name, std::size_t line, const std::string& from,
                             const std::string& to) {
        std::string text;
        for (std::size_t i = 0; i < s0Lines.size(); ++i) {
            std::string row = s0Lines[i];
            if (i == line) row.replace(row.find(from), from.size(), to);
            text += row + "\n";
        }
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return text;
    };
    const std::vector<std::string> type1 = split(s0Lines[2], ','), type3 = split(s0Lines[4], ',');
    ASSERT_EQ(type1[4], "done");
    const std::string figures1 = s0Lines[2].substr(s0Lines[2].find(",done,"));
    const std::string figures3 = s0Lines[4].substr(s0Lines[4].find(",done,"));
    changed("records.csv", 3, ",done,276,", ",done,2760,");
    changed("time.csv", 3, ",5.51568", ",5.51569");
    changed("outcome.csv", 3, ",done,", ",diverged,");
    changed("sign.csv", 4, ",-0.0011", ",0.0011");
    changed("types.csv", 2, figures1, figures3);
    for (const char* name : {"records.csv", "time.csv", "outcome.csv", "sign.csv", "types.csv"}) {
        const RunResult refused = sweep({"--merge", "s1.csv", "s2.csv", name, "--csv", "m.csv"});
        EXPECT_EQ(refused.status, 2) << name;
        EXPECT_NE(refused.err.find(std::string(name) + ": its rows do not match the row count"),
                  std::string::npos)
            << refused.err;
        EXPECT_FALSE(fs::exists(dir_ / "m.csv"));
    }
    // A changed row sealed again passes the digest; computing it again finds it.
    std::string forged = changed("forged.csv", 3, ",done,276,", ",done,277,");
    forged.erase(forged.rfind("# agvsim-sweep shard end"));
    agv::ShardSeal seal;
    seal.add(forged, 6);
    std::ofstream(dir_ / "forged.csv", std::ios::binary) << forged << seal.line() << "\n";
    EXPECT_EQ(sweep({"--merge", "s1.csv", "s2.csv", "forged.csv"}).status, 0);
    const RunResult verified = sweep({"--merge", "s1.csv", "s2.csv", "forged.csv", "--verify=6"});
    EXPECT_EQ(verified.status, 2);
    EXPECT_NE(verified.err.find("forged.csv:4: the row of fn=1 zeta=-0.5 error_size=0 type 2 is "
                                "not what the computation gives"),
              std::string::npos)
        << verified.err;

    // Inputs that are no shard of this grid, an output that is an input, too many shards.
    std::ofstream(dir_ / "unsealed.csv", std::ios::binary)
        << s0.substr(0, s0.rfind("# agvsim-sweep shard end"));
    std::string many = s0;
    many.replace(many.find(" 0/3:"), 5, " 0/1000000000000:");
    std::ofstream(dir_ / "many.csv", std::ios::binary) << many;
    fs::create_directory(dir_ / "folder");
    const std::vector<std::pair<std::vector<std::string>, std::string>> refusals = {
        {{"unsealed.csv"}, "unsealed.csv:9: no line with its row count and digest"},
        {{"many.csv"}, "it names 1000000000000 shards of a grid of 4 points"},
        {{"folder"}, "folder is a folder, not a shard table"},
        {{"s0.csv", "--csv", "./s1.csv"}, "--csv ./s1.csv is the shard table s1.csv itself"},
    };
    for (const auto& [args, reason] : refusals) {
        std::vector<std::string> merge = {"--merge", "s1.csv", "s2.csv"};
        merge.insert(merge.end(), args.begin(), args.end());
        const RunResult refused = sweep(merge);
        EXPECT_EQ(refused.status, 2) << reason;
        EXPECT_NE(refused.err.find(reason), std::string::npos) << refused.err;
    }
    EXPECT_EQ(readFile(dir_ / "s1.csv").rfind("# agvsim-sweep shard 1/3", 0), 0u);
    // Shards of a Monte Carlo grid: each point's seeds and statistics, checked by computing.
    const std::vector<std::string> seeded = {"--slip", "5", "--fn", "1,2", "--seeds", "4:6"};
    std::vector<std::string> args = seeded;
    args.insert(args.end(), {"--csv", "-"});
    const RunResult seededWhole = sweep(args);
    ASSERT_EQ(seededWhole.status, 0) << seededWhole.err;
    for (const char* shard : {"0/2", "1/2"}) {
        args = seeded;
        args.insert(args.end(), {"--shard", shard, "--csv", std::string("m") + shard[0] + ".csv"});
        ASSERT_EQ(sweep(args).status, 0);
    }
    const RunResult seededMerge = sweep({"--merge", "m1.csv", "m0.csv", "--verify", "1000"});
    ASSERT_EQ(seededMerge.status, 0) << seededMerge.err;
    EXPECT_EQ(seededMerge.out, seededWhole.out);

    const RunResult tooMany = sweep(withGrid({"--shard", "0/5", "--csv", "x.csv"}));
    EXPECT_EQ(tooMany.status, 2);
    EXPECT_NE(tooMany.err.find("5 shards of a grid of 4 points"), std::string::npos) << tooMany.err;
}

TEST_F(SweepRun, RowsAgreeWithTheBatchRunOfTheSameConditions) {
    // The fn/zeta law, and pure pursuit with its parameter among the base conditions.
    for (const std::vector<std::string>& law :
         {std::vector<std::string>{},
          std::vector<std::string>{"--controller", "pure-pursuit", "--lookahead", "0.8"}}) {
        std::vector<std::string> conditions = {"--error", "3",  "--error-values", "2",
                                               "--curve", "15", "--curve-params", "1,1"};
        conditions.insert(conditions.end(), law.begin(), law.end());
        std::vector<std::string> args = conditions;
        args.insert(args.end(), {"--fn", "0.5", "--zeta", "0.7", "--csv", "-"});
        const RunResult swept = sweep(args);
        ASSERT_EQ(swept.status, 0) << swept.err;
        args = conditions;
        args.insert(args.end(), {"--fn", "0.5", "--zeta", "0.7", "--csv", "run.csv", "--summary"});
        const RunResult batch = run(kBatchBinary, args);
        ASSERT_EQ(batch.status, 0) << batch.err;

        // Per type: records, end time and every figure from the batch run's samples.
        const std::vector<std::string> samples = lines(readFile(dir_ / "run.csv"));
        std::map<int, std::vector<std::vector<double>>> byType;
        for (std::size_t i = 1; i < samples.size(); ++i) {
            std::vector<double> values;
            for (const std::string& field : split(samples[i], ','))
                values.push_back(std::strtod(field.c_str(), nullptr));
            byType[static_cast<int>(values[0])].push_back(values);
        }
        const std::vector<std::string> rows = lines(swept.out);
        ASSERT_EQ(rows.size(), 4u);
        for (int type = 1; type <= 3; ++type) {
            const std::vector<std::string> row = split(rows[type], ',');
            ASSERT_EQ(row.size(), 14u);
            EXPECT_EQ(row[0] + "," + row[1] + "," + row[2] + "," + row[3] + "," + row[4],
                      "0.5,0.7,2," + std::to_string(type) + ",done");
            const auto& records = byType[type];
            double maxDd[2] = {0, 0}, maxDth[2] = {0, 0}, squares = 0.0;
            for (const auto& r : records) {
                // Columns: nofbc_dd, nofbc_dth, fbc_dd, fbc_dth are the last four.
                maxDd[0] = std::max(maxDd[0], std::fabs(r[23]));
                maxDth[0] = std::max(maxDth[0], std::fabs(r[24]));
                maxDd[1] = std::max(maxDd[1], std::fabs(r[25]));
                maxDth[1] = std::max(maxDth[1], std::fabs(r[26]));
                squares = squares + r[25] * r[25];
            }
            const double expected[] = {static_cast<double>(records.size()),
                                       records.back()[2],
                                       maxDd[0],
                                       maxDth[0],
                                       maxDd[1],
                                       maxDth[1],
                                       std::sqrt(squares / static_cast<double>(records.size())),
                                       records.back()[25],
                                       records.back()[26]};
            for (int c = 0; c < 9; ++c)
                EXPECT_EQ(std::strtod(row[5 + c].c_str(), nullptr), expected[c])
                    << type << " " << c;
            // The summary's own line of this type.
            char line[120];
            std::snprintf(line, sizeof line, "records 0..%zu, end time %.4f s", records.size() - 1,
                          std::strtod(row[6].c_str(), nullptr));
            EXPECT_NE(batch.out.find(line), std::string::npos) << line << "\n" << batch.out;
        }
    }
}

/// The number after `label` in text, from position `from`.
double numberAfter(const std::string& text, const std::string& label, std::size_t from = 0) {
    const std::size_t at = text.find(label, from);
    if (at == std::string::npos) return std::nan("");
    return std::strtod(text.c_str() + at + label.size(), nullptr);
}

TEST_F(SweepRun, TheoryOfBatchAndSweepMeetsTheDesignAndTheSimulation) {
    // A 2° drift on a straight path of 6 m.
    const std::vector<std::string> conditions = {"--error", "3", "--error-values", "2",
                                                 "--curve", "1", "--curve-params", "0,2,3"};
    const double wn = agv::kTwoPi;
    const double delta = 2.0 * agv::kRadPerDeg;
    std::vector<std::string> args = conditions;
    args.insert(args.end(), {"--csv", "run.csv", "--theory"});
    const RunResult batch = run(kBatchBinary, args);
    ASSERT_EQ(batch.status, 0) << batch.err;
    const std::vector<std::string> samples = lines(readFile(dir_ / "run.csv"));
    std::map<int, std::vector<std::vector<double>>> byType;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        std::vector<double> values;
        for (const std::string& field : split(samples[i], ','))
            values.push_back(std::strtod(field.c_str(), nullptr));
        byType[static_cast<int>(values[0])].push_back(values);
    }
    double batchSettling = 0.0;
    for (int type : {2, 3}) {
        SCOPED_TRACE(type);
        const std::size_t block = batch.out.find("type " + std::to_string(type) + " (");
        ASSERT_NE(block, std::string::npos) << batch.out;
        // The design roots: (s + ωn)³ at ζ = 1.
        std::istringstream poles(
            batch.out.substr(batch.out.find("lateral poles [1/s]:", block) + 20));
        for (int i = 0; i < 3; ++i) {
            double pole = 0.0;
            poles >> pole;
            EXPECT_NEAR(pole, -wn, 1e-4 * wn);
        }
        // Predicted 3δ/ωn², the last record's dd and their ratio.
        std::istringstream steady(batch.out.substr(batch.out.find("dd [m]", block) + 6));
        double predicted = 0.0, simulated = 0.0, ratio = 0.0;
        steady >> predicted >> simulated >> ratio;
        const auto& records = byType[type];
        EXPECT_NEAR(predicted, 3.0 * delta / (wn * wn), 1e-5 * predicted);
        EXPECT_NEAR(simulated, records.back()[25], 1e-5 * predicted);
        EXPECT_NEAR(ratio, 1.0, 0.02);
        // The settling time as the simulated records show it.
        const double settling = numberAfter(batch.out, "settling time ", block);
        std::size_t lastOutside = 0;
        for (std::size_t n = 0; n < records.size(); ++n)
            if (std::fabs(records[n][25] - predicted) > 0.02 * predicted) lastOutside = n;
        EXPECT_NEAR(settling, records[lastOutside][2] + 0.01, 0.02);
        batchSettling = settling;
    }

    // The sweep's columns at ζ = 0.5 and 1, and shards that merge to the same table.
    args = conditions;
    args.insert(args.end(), {"--zeta", "0.5,1", "--theory", "--csv", "-"});
    const RunResult swept = sweep(args);
    ASSERT_EQ(swept.status, 0) << swept.err;
    const std::vector<std::string> rows = lines(swept.out);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0],
              "fn,zeta,error_size,type,outcome,records,end_time,nofbc_max_dd,nofbc_max_dth,"
              "fbc_max_dd,fbc_max_dth,fbc_rms_dd,fbc_final_dd,fbc_final_dth,max_pole_real,"
              "settling_time,theory_steady_dd,step_stable,beyond_linear");
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::vector<std::string> row = split(rows[i], ',');
        ASSERT_EQ(row.size(), 19u);
        EXPECT_EQ(row[17], "1");
        EXPECT_EQ(row[18], "0");
        const double zeta = std::strtod(row[1].c_str(), nullptr);
        const int type = std::atoi(row[3].c_str());
        // The slowest pole is the along-path loop's, a root of s² + ωn²·s + 2ζωn.
        const double slow = (-wn * wn + std::sqrt(wn * wn * wn * wn - 8.0 * zeta * wn)) / 2.0;
        EXPECT_NEAR(std::strtod(row[14].c_str(), nullptr), slow, 1e-9 * std::fabs(slow));
        const double steady = std::strtod(row[16].c_str(), nullptr);
        if (type == 1) {
            EXPECT_EQ(steady, 0.0);
            continue;
        }
        EXPECT_NEAR(steady, (2.0 * zeta + 1.0) * delta / (wn * wn), 1e-6 * steady);
        EXPECT_NEAR(std::strtod(row[12].c_str(), nullptr), steady, 0.02 * steady);
        if (zeta == 1.0) {
            EXPECT_NEAR(std::strtod(row[15].c_str(), nullptr), batchSettling, 1e-5);
        }
    }
    std::vector<std::string> shard = conditions;
    shard.insert(shard.end(), {"--zeta", "0.5,1", "--theory", "--shard", "0/2", "--csv", "a.csv"});
    ASSERT_EQ(sweep(shard).status, 0);
    shard[shard.size() - 3] = "1/2";
    shard.back() = "b.csv";
    ASSERT_EQ(sweep(shard).status, 0);
    const RunResult merged = sweep({"--merge", "a.csv", "b.csv"});
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(merged.out, swept.out);
}

TEST_F(SweepRun, SlipHasNoSteadyOffsetAndTheStepLimitIsSaid) {
    // The random slip on a circle: no constant error, so no steady value anywhere.
    const std::vector<std::string> slip = {"--error", "5",  "--error-values", "5",
                                           "--curve", "15", "--curve-params", "2,1"};
    std::vector<std::string> args = slip;
    args.push_back("--theory");
    const RunResult batch = run(kBatchBinary, args);
    ASSERT_EQ(batch.status, 0) << batch.err;
    std::size_t count = 0;
    for (std::size_t at = batch.out.find("not defined: random slip"); at != std::string::npos;
         at = batch.out.find("not defined: random slip", at + 1))
        ++count;
    EXPECT_EQ(count, 3u) << batch.out;

    // Beyond fn = 4.44 Hz the 4 ms step no longer holds type 2 on this circle.
    args = slip;
    args.insert(args.end(), {"--fn", "1,4.5", "--theory", "--csv", "-"});
    const RunResult swept = sweep(args);
    ASSERT_EQ(swept.status, 0) << swept.err;
    const std::vector<std::string> rows = lines(swept.out);
    ASSERT_EQ(rows.size(), 7u);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::vector<std::string> row = split(rows[i], ',');
        ASSERT_EQ(row.size(), 19u);
        EXPECT_EQ(row[16], "");  // the steady value: not defined
        EXPECT_EQ(row[17], i <= 3 ? "1" : "0") << rows[i];
    }
    args = slip;
    args.insert(args.end(), {"--fn", "4.5", "--theory"});
    const RunResult beyond = run(kBatchBinary, args);
    EXPECT_NE(beyond.out.find("type 2 (1FDW1FS): unstable at the 4 ms step: fn above 4.4"),
              std::string::npos)
        << beyond.out;
}

TEST_F(SweepRun, LawsComparedRowByRowAreTheirOwnSweepsAndBatchRuns) {
    const std::vector<std::string> base = {"--drift", "2", "--fn", "1,2", "--theory", "--csv", "-"};
    const auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), base.begin(), base.end());
        return sweep(more);
    };
    // Two laws, one of them with a parameter axis: each grid point's rows, law after law,
    // are those of the sweeps of one law with a single value, the law's columns aside.
    const RunResult compared = with({"--controller", "stanley,pure-pursuit", "--lookahead",
                                     "0.4:0.8:2", "--stanley-gain", "3"});
    ASSERT_EQ(compared.status, 0) << compared.err;
    const std::vector<std::string> rows = lines(compared.out);
    ASSERT_EQ(rows.size(), 1u + 2 * 3 * 3);
    EXPECT_EQ(rows[0].rfind("fn,zeta,error_size,controller,lookahead,stanley_gain,type,", 0), 0u);
    const std::vector<std::vector<std::string>> singles = {
        {"--controller", "stanley", "--stanley-gain", "3"},
        {"--controller", "pure-pursuit", "--lookahead", "0.4"},
        {"--controller", "pure-pursuit", "--lookahead", "0.8"}};
    const char* const lawColumns[] = {"stanley,,3,", "pure-pursuit,0.4,,", "pure-pursuit,0.8,,"};
    for (std::size_t law = 0; law < singles.size(); ++law) {
        const RunResult single = with(singles[law]);
        ASSERT_EQ(single.status, 0) << single.err;
        const std::vector<std::string> own = lines(single.out);
        ASSERT_EQ(own.size(), 1u + 2 * 3);
        for (std::size_t point = 0; point < 2; ++point) {
            for (std::size_t type = 0; type < 3; ++type) {
                std::string row = rows[1 + point * 9 + law * 3 + type];
                const std::size_t key = row.find(lawColumns[law]);
                ASSERT_NE(key, std::string::npos) << row;
                row.erase(key, std::string(lawColumns[law]).size());
                EXPECT_EQ(row, own[1 + point * 3 + type]);
            }
        }
    }

    // The row of a look-ahead on the axis is the batch run with that look-ahead.
    const RunResult batch = run(kBatchBinary, {"--drift", "2", "--fn", "2", "--controller",
                                               "pure-pursuit", "--lookahead", "0.8", "--summary"});
    ASSERT_EQ(batch.status, 0) << batch.err;
    std::istringstream summary(batch.out);
    std::string line;
    int type = 0;
    while (std::getline(summary, line)) {
        if (line.rfind("  FBC (green)", 0) != 0) continue;
        // Its last two numbers: the largest |dd| and |dth| with feedback.
        std::istringstream words(line);
        std::vector<std::string> printed;
        for (std::string word; words >> word;)
            printed.push_back(word);
        const std::vector<std::string> fields = split(rows[1 + 9 + 6 + type], ',');
        for (int i = 0; i < 2; ++i) {
            char figure[32];
            std::snprintf(figure, sizeof figure, "%.6f",
                          std::strtod(fields[12 + static_cast<std::size_t>(i)].c_str(), nullptr));
            EXPECT_EQ(printed[printed.size() - 2 + static_cast<std::size_t>(i)], figure) << line;
        }
        ++type;
    }
    EXPECT_EQ(type, 3);

    // Shards of the comparison merge to the whole table.
    std::vector<std::string> args = {"--drift",
                                     "2",
                                     "--fn",
                                     "1,2",
                                     "--theory",
                                     "--controller",
                                     "stanley,pure-pursuit",
                                     "--lookahead",
                                     "0.4:0.8:2",
                                     "--stanley-gain",
                                     "3"};
    for (const char* shard : {"0/4", "1/4", "2/4", "3/4"}) {
        std::vector<std::string> sharded = args;
        sharded.insert(sharded.end(),
                       {"--shard", shard, "--csv", std::string("s") + shard[0] + ".csv"});
        ASSERT_EQ(sweep(sharded).status, 0);
    }
    const RunResult merged =
        sweep({"--merge", "s3.csv", "s1.csv", "s0.csv", "s2.csv", "--verify", "2"});
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(merged.out, compared.out);

    // A parameter belongs to its law; a law once; the map draws one law.
    for (const auto& [bad, reason] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--controller", "stanley", "--lookahead", "0.5:2:4"}, "--lookahead belongs to"},
             {{"--controller", "fnzeta,stanley", "--lookahead", "2"}, "--lookahead belongs to"},
             {{"--controller", "lqr", "--stanley-gain", "1,2"}, "--stanley-gain belongs to"},
             {{"--controller", "lqr,stanley,lqr"}, "'lqr' given twice"},
             {{"--controller", "fnzeta,bang-bang"}, "not 'bang-bang'"},
             {{"--controller", "pure-pursuit", "--lookahead", "0,1"}, "--lookahead 0 refused"},
             {{"--controller", "pure-pursuit", "--lookahead", "1,2", "--zeta", "1,2"},
              "at most two"},
             {{"--controller", "fnzeta,lqr", "--map", "m.svg"}, "--map draws one law"}}) {
        const RunResult refused = with(bad);
        EXPECT_EQ(refused.status, 2) << reason;
        EXPECT_NE(refused.err.find(reason), std::string::npos) << refused.err;
    }
}

TEST_F(SweepRun, RefusalsInTheGridAreMarkedAndBadArgumentsStopBeforeAnyRun) {
    // Each value alone passes the dialogue's checks; together they give no finite gains.
    const RunResult grid = sweep({"--fn", "1,1e60", "--zeta", "1,1e260", "--csv", "-"});
    ASSERT_EQ(grid.status, 0) << grid.err;
    const std::vector<std::string> rows = lines(grid.out);
    ASSERT_EQ(rows.size(), 13u);
    // Gains that huge pass the checks, but the speed correction of types 1 and 2 leaves the
    // path at once.
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const char* expected = i >= 10                ? ",refused,,,,,,,,,"
                               : i <= 3 || i % 3 == 0 ? ",done,"
                                                      : ",diverged,1,";
        EXPECT_NE(rows[i].find(expected), std::string::npos) << rows[i];
    }
    EXPECT_EQ(rows[10].rfind("1e+60,1e+260,0,1,", 0), 0u) << rows[10];
    EXPECT_NE(grid.err.find("fn=1e+60 zeta=1e+260 error_size=0 types 1-3: refused: "),
              std::string::npos)
        << grid.err;

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--fn", "1:2:0"},
             {"--fn", "1:2:-2"},
             {"--zeta", "2:1:3"},
             {"--fn", "0.5,x"},
             {"--fn", "0,1"},
             {"--error", "4", "--error-values", "1,1", "--error-size", "-100:0:3"},
             {"--fn", "1,2", "--zeta", "1,2", "--error", "1", "--error-size", "1,2"},
             {"--shard", "3/3"},
             {"--fn", "1", "--fn", "2"},
             {"--jobs", " 2"}}) {
        std::vector<std::string> args = bad;
        args.insert(args.end(), {"--csv", "t.csv"});
        const RunResult result = sweep(args);
        EXPECT_EQ(result.status, 2) << bad[0] << " " << bad[1];
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    EXPECT_TRUE(leftFiles().empty());

    // An unwritable output stops the sweep and leaves nothing behind.
    fs::create_directory(dir_ / "locked");
    fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    const RunResult locked = sweep({"--fn", "1,2", "--csv", "locked/t.csv"});
    const RunResult intoDir = sweep({"--fn", "1,2", "--csv", "t.csv", "--map", "locked"});
    EXPECT_EQ(intoDir.status, 1) << intoDir.err;
    if (::geteuid() != 0) {
        EXPECT_EQ(locked.status, 1) << locked.err;
    }
    fs::permissions(dir_ / "locked", fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(dir_ / "t.csv"));
    EXPECT_EQ(leftFiles(), std::vector<std::string>{"locked"});

    // A symbolic link is written through, not replaced.
    fs::create_symlink("locked/real.csv", dir_ / "link.csv");
    ASSERT_EQ(sweep({"--fn", "1,2", "--csv", "link.csv"}).status, 0);
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.csv"));
    EXPECT_EQ(readFile(dir_ / "locked" / "real.csv").rfind(kHeader, 0), 0u);
}

TEST_F(SweepRun, MapIsXmlWithOneCellPerGridPointColouredInTheOrderOfTheMetric) {
    const RunResult result =
        sweep({"--error", "3", "--error-values", "2", "--fn", "0.3:2:4", "--zeta", "0.4:1.6:3",
               "--csv", "t.csv", "--map", "m.svg", "--metric", "fbc_rms_dd"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string command = "xmllint --noout " + (dir_ / "m.svg").string();
    EXPECT_EQ(std::system(command.c_str()), 0) << command;

    const std::string svg = readFile(dir_ / "m.svg");
    const std::regex cell(
        "<rect class=\"cell\" data-type=\"([123])\" data-value=\"([^\"]+)\"[^>]* "
        "fill=\"#([0-9a-f]{2})([0-9a-f]{2})([0-9a-f]{2})\"");
    std::vector<std::pair<double, double>> valueAndLightness;
    std::map<int, std::vector<double>> values;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), cell); it != std::sregex_iterator();
         ++it) {
        const auto channel = [&](int i) { return std::stoi((*it)[i].str(), nullptr, 16); };
        const double value = std::strtod((*it)[2].str().c_str(), nullptr);
        values[std::stoi((*it)[1].str())].push_back(value);
        valueAndLightness.emplace_back(
            value, 0.2126 * channel(3) + 0.7152 * channel(4) + 0.0722 * channel(5));
    }
    ASSERT_EQ(valueAndLightness.size(), 3u * 12);
    // The same figures as the table's column.
    std::map<int, std::vector<double>> column;
    const std::vector<std::string> rows = lines(readFile(dir_ / "t.csv"));
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::vector<std::string> row = split(rows[i], ',');
        column[std::stoi(row[3])].push_back(std::strtod(row[11].c_str(), nullptr));
    }
    for (int type = 1; type <= 3; ++type) {
        std::vector<double> a = values[type], b = column[type];
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        EXPECT_EQ(a, b) << type;
    }
    // Lighter colours for larger values (the ramp's lightness rises; 8-bit rounding aside).
    std::sort(valueAndLightness.begin(), valueAndLightness.end());
    for (std::size_t i = 1; i < valueAndLightness.size(); ++i)
        EXPECT_GE(valueAndLightness[i].second, valueAndLightness[i - 1].second - 1.0) << i;
    EXPECT_GT(valueAndLightness.back().second, valueAndLightness.front().second + 100.0);

    // One best cell per panel.
    const std::regex best("<rect class=\"best\"");
    EXPECT_EQ(
        std::distance(std::sregex_iterator(svg.begin(), svg.end(), best), std::sregex_iterator()),
        3);
    EXPECT_NE(svg.find("fn [Hz]"), std::string::npos);
    EXPECT_NE(svg.find("damping ratio"), std::string::npos);
    EXPECT_NE(svg.find("class=\"colour-bar\""), std::string::npos);
}

}  // namespace

namespace {

TEST_F(SweepRun, SeedsRepeatEveryPointAndSumUpEachFigure) {
    // Three seeds of a 5 % slip at two designs: the run of a seed is the batch run with
    // that seed, and the statistic rows follow each point's runs.
    const RunResult swept = sweep({"--slip", "5", "--curve", "15", "--curve-params", "1,1", "--fn",
                                   "1,2", "--seeds", "4:6", "--csv", "-"});
    ASSERT_EQ(swept.status, 0) << swept.err;
    const std::vector<std::string> rows = lines(swept.out);
    ASSERT_EQ(rows.size(), 1u + 2 * (3 * 3 + 9));
    EXPECT_EQ(split(rows[0], ',')[3], "seed");
    const RunResult batch = run(kBatchBinary, {"--slip", "5", "--curve", "15", "--curve-params",
                                               "1,1", "--fn", "2", "--seed", "5", "--summary"});
    ASSERT_EQ(batch.status, 0) << batch.err;
    const std::size_t second = 1 + 18;  // the first row of fn = 2
    std::vector<double> fbcMaxDd;
    for (int seed = 0; seed < 3; ++seed) {
        const std::vector<std::string> row = split(rows[second + 3 * seed + 1], ',');
        EXPECT_EQ(row[0] + "," + row[3] + "," + row[4], "2," + std::to_string(4 + seed) + ",2");
        fbcMaxDd.push_back(std::strtod(row[10].c_str(), nullptr));
        if (seed == 1) {
            // The batch run of seed 5 prints the same largest |dd| with feedback.
            char figure[32];
            std::snprintf(figure, sizeof figure, "%.6f", fbcMaxDd.back());
            EXPECT_NE(batch.out.find(figure), std::string::npos) << figure << "\n" << batch.out;
        }
    }
    const std::vector<std::string> mean = split(rows[second + 9 + 1], ',');
    const std::vector<std::string> worst = split(rows[second + 9 + 7], ',');
    EXPECT_EQ(mean[3] + "," + mean[4] + "," + mean[5] + "," + mean[6], "mean,2,done,3");
    EXPECT_NEAR(std::strtod(mean[10].c_str(), nullptr),
                (fbcMaxDd[0] + fbcMaxDd[1] + fbcMaxDd[2]) / 3.0, 1e-15);
    EXPECT_EQ(worst[3], "worst");
    EXPECT_EQ(std::strtod(worst[10].c_str(), nullptr),
              std::max({fbcMaxDd[0], fbcMaxDd[1], fbcMaxDd[2]}));
    // Different seeds draw differently.
    EXPECT_NE(fbcMaxDd[0], fbcMaxDd[1]);

    EXPECT_EQ(sweep({"--drift", "1", "--seeds", "1:3", "--csv", "-"}).status, 2);
    EXPECT_EQ(sweep({"--slip", "1", "--seed", "2", "--seeds", "1:3", "--csv", "-"}).status, 2);
}

TEST_F(SweepRun, ShardsOfCombinedErrorsNameTheirScenario) {
    const std::vector<std::string> grid = {
        "--rear-wheels", "1,-1", "--wheelbase-tread", "0,5", "--mirror", "--fn", "0.5,1,2"};
    std::vector<std::string> args = grid;
    args.insert(args.end(), {"--csv", "-"});
    const RunResult whole = sweep(args);
    ASSERT_EQ(whole.status, 0) << whole.err;
    for (int k = 0; k < 2; ++k) {
        args = grid;
        args.insert(args.end(), {"--shard", std::to_string(k) + "/2", "--csv",
                                 "s" + std::to_string(k) + ".csv"});
        ASSERT_EQ(sweep(args).status, 0);
    }
    EXPECT_EQ(lines(readFile(dir_ / "s0.csv"))[0],
              "# agvsim-sweep shard 0/2: --fn 0.5,1,2 --zeta 1 | rear-wheels=1,-1 "
              "wheelbase-tread=0,5 mirror");
    const RunResult merged = sweep({"--merge", "s1.csv", "s0.csv"});
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(merged.out, whole.out);
}

}  // namespace
