#include "app/common/number_format.h"
#include "app/common/trajectory_csv.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

/// Values that only survive a text round trip with all 17 digits.
double awkward(int i) {
    static const double kValues[] = {1.0 / 3.0,
                                     -0.1,
                                     0.1 + 0.2,
                                     1e307,
                                     -1e-310,  // subnormal
                                     -0.0,
                                     std::numeric_limits<double>::min(),
                                     123456789.123456789,
                                     -2.0 / 7.0,
                                     6.02214076e23};
    const double base = kValues[i % 10];
    return base == 0.0 ? base : std::nextafter(base, (i % 3) ? 1e300 : -1e300) * (1 + i % 4);
}

std::unique_ptr<agv::TrajectoryStore> makeStore(const int lastRecord[3]) {
    auto store = std::make_unique<agv::TrajectoryStore>();
    int i = 0;
    for (int k = 0; k < 3; ++k) {
        store->recordCount[k] = lastRecord[k];
        store->endTime[k] = awkward(i++) + 10.0;
        // Fill one record past the last as well: stale data must not be written.
        agv::reserveRecords(*store, k, lastRecord[k] + 1);
        for (int n = 0; n <= lastRecord[k] + 1; ++n) {
            for (agv::PoseRecord* traj : {store->theoryTraj[k].data(), store->noFbcTraj[k].data(),
                                          store->fbcTraj[k].data(), store->fbcRefTraj[k].data()}) {
                for (int slot = 0; slot < 5; ++slot)
                    traj[n][slot] = awkward(i++);
            }
            store->noFbcErr[k][n] = {awkward(i++), awkward(i++)};
            store->fbcErr[k][n] = {awkward(i++), awkward(i++)};
        }
    }
    return store;
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, ','))
        fields.push_back(field);
    return fields;
}

/// Reads the CSV back and compares every value with the store, bit for bit.
void expectCsvMatchesStore(const std::string& csv, const agv::TrajectoryStore& store, double dt) {
    std::istringstream in(csv);
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, agv::kTrajectoryCsvHeader);
    const std::vector<std::string> header = split(line);
    ASSERT_EQ(header.size(), 27u);
    for (int k = 0; k < 3; ++k) {
        for (int n = 0; n <= store.recordCount[k]; ++n) {
            ASSERT_TRUE(std::getline(in, line)) << "type " << k + 1 << " record " << n;
            const std::vector<std::string> f = split(line);
            ASSERT_EQ(f.size(), header.size()) << line;
            EXPECT_EQ(f[0], std::to_string(k + 1));
            EXPECT_EQ(f[1], std::to_string(n));
            std::vector<double> expected;
            expected.push_back(n == store.recordCount[k] ? store.endTime[k] : n * dt);
            for (const agv::PoseRecord* traj :
                 {store.theoryTraj[k].data(), store.noFbcTraj[k].data(), store.fbcTraj[k].data(),
                  store.fbcRefTraj[k].data()}) {
                for (int slot = 0; slot < 5; ++slot)
                    expected.push_back(traj[n][slot]);
            }
            for (const agv::ErrorRecord& err : {store.noFbcErr[k][n], store.fbcErr[k][n]}) {
                expected.push_back(err[0]);
                expected.push_back(err[1]);
            }
            for (std::size_t c = 0; c < expected.size(); ++c) {
                char* end = nullptr;
                const double value = std::strtod(f[c + 2].c_str(), &end);
                EXPECT_EQ(*end, '\0') << f[c + 2];
                EXPECT_TRUE(sameBits(value, expected[c]))
                    << header[c + 2] << " of type " << k + 1 << " record " << n << ": " << f[c + 2];
            }
        }
    }
    EXPECT_FALSE(std::getline(in, line)) << "extra row: " << line;
}

TEST(BatchCsv, WritesEveryValidRecordThatReadsBackBitForBit) {
    const int last[3] = {3, 0, 6};
    const auto store = makeStore(last);
    const double dt = 0.02;
    std::ostringstream out;
    agv::writeTrajectoryCsv(out, *store, dt);
    expectCsvMatchesStore(out.str(), *store, dt);

    int rows = -1;  // the header
    for (const char c : out.str())
        rows += c == '\n';
    EXPECT_EQ(rows, (3 + 1) + (0 + 1) + (6 + 1));
}

class BatchCsvFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/agv_batch_csv_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST_F(BatchCsvFile, ReplacesTheTargetWithoutLeavingTemporaryFiles) {
    const int last[3] = {2, 5, 1};
    const auto store = makeStore(last);
    const std::filesystem::path target = dir_ / "run.csv";
    std::ofstream(target) << "old contents\n";

    std::string error;
    ASSERT_TRUE(agv::writeTrajectoryCsvFile(target.string(), *store, 0.02, error)) << error;
    std::ifstream file(target, std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    expectCsvMatchesStore(contents.str(), *store, 0.02);

    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(BatchCsvFile, FailsCleanlyWhenTheFolderIsMissing) {
    const int last[3] = {1, 1, 1};
    const auto store = makeStore(last);
    std::string error;
    EXPECT_FALSE(
        agv::writeTrajectoryCsvFile((dir_ / "missing" / "run.csv").string(), *store, 0.02, error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

TEST(BatchSummary, TakesFinalPosesAndLargestErrorsOfTheValidRecords) {
    const int last[3] = {4, 0, 2};
    auto store = makeStore(last);
    // Known errors for type 1: the largest magnitudes are negative, and a larger stale value
    // lies past the last record.
    const double dd[] = {0.0, 0.01, -0.05, 0.02, 0.03};
    const double dth[] = {0.0, -0.2, 0.1, 0.05, -0.01};
    for (int n = 0; n <= 4; ++n) {
        store->noFbcErr[0][n] = {dd[n], dth[n]};
        store->fbcErr[0][n] = {dd[n] / 10, dth[n] / 10};
    }
    store->noFbcErr[0][5] = {9.0, 9.0};
    store->fbcErr[0][5] = {9.0, 9.0};
    store->fbcErr[1][0] = {std::nan(""), -0.5};
    store->endTime[0] = 0.0789;
    store->theoryTraj[0][4] = {1.25, 0.5, 2.0, -0.75, 0.125, 0.0, 0.0};

    const auto summary = agv::summariseTrajectories(*store);
    EXPECT_EQ(summary[0].lastRecord, 4);
    EXPECT_EQ(summary[0].endTime, 0.0789);
    EXPECT_EQ(summary[0].finalTheory, store->theoryTraj[0][4]);
    EXPECT_EQ(summary[0].finalNoFbc, store->noFbcTraj[0][4]);
    EXPECT_EQ(summary[0].finalFbc, store->fbcTraj[0][4]);
    EXPECT_EQ(summary[0].maxDdNoFbc, 0.05);
    EXPECT_EQ(summary[0].maxDthNoFbc, 0.2);
    EXPECT_EQ(summary[0].maxDdFbc, 0.05 / 10);
    EXPECT_EQ(summary[0].maxDthFbc, 0.2 / 10);
    // A broken computation must not be hidden behind a finite maximum.
    EXPECT_TRUE(std::isnan(summary[1].maxDdFbc));
    EXPECT_EQ(summary[1].maxDthFbc, 0.5);

    std::ostringstream out;
    agv::writeSummary(out, summary);
    const std::string text = out.str();
    EXPECT_NE(text.find("type 1 (2DW1C): records 0..4, end time 0.0789 s\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("type 2 (1FDW1FS): records 0..0"), std::string::npos) << text;
    EXPECT_NE(text.find("type 3 (1RDW1FS): records 0..2"), std::string::npos) << text;
    EXPECT_NE(
        text.find("theory (red)     1.250000   2.000000  -0.750000     0.500000     0.125000\n"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("     0.050000        0.200000\n"), std::string::npos) << text;

    // A huge value is written with an exponent in its column; the rest of its row stays.
    auto huge = summary;
    huge[2].maxDdNoFbc = 1e308;
    huge[2].maxDthNoFbc = 0.25;
    out.str("");
    agv::writeSummary(out, huge);
    EXPECT_NE(out.str().find("  1.00000e+308        0.250000\n"), std::string::npos) << out.str();
}

}  // namespace

// The shortest form reads back to the same double, also at the ends of the range.
TEST(BatchCsv, NumbersAreTheShortestThatReadBackExactly) {
    const double values[] = {0.02,
                             -0.0,
                             1.0 + std::numeric_limits<double>::epsilon(),
                             std::numeric_limits<double>::denorm_min(),
                             -std::numeric_limits<double>::denorm_min() * 12345.0,
                             std::numeric_limits<double>::max(),
                             1e308,
                             -1.7976931348623155e308,
                             0.1 + 0.2,
                             123456789.12345679};
    for (const double value : values) {
        const std::string text = agv::shortestNumber(value);
        char* end = nullptr;
        EXPECT_TRUE(sameBits(std::strtod(text.c_str(), &end), value)) << text;
        EXPECT_EQ(*end, '\0') << text;
        char longer[40];
        std::snprintf(longer, sizeof longer, "%.17g", value);
        EXPECT_LE(text.size(), std::string(longer).size()) << text;
    }
    EXPECT_EQ(agv::shortestNumber(0.02), "0.02");
    EXPECT_EQ(agv::shortestNumber(-0.0), "-0");
    EXPECT_EQ(agv::shortestNumber(0.1 + 0.2), "0.30000000000000004");
}
