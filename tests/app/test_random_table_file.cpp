#include "app/common/random_table_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/common/context.h"

namespace fs = std::filesystem;

/// Rounding allowance for interpolated values of order 100.
constexpr double kTight = 1e-11;

namespace {

/// Empty directory removed again at the end of the test.
struct TempDir {
    fs::path path;
    TempDir() {
        static int counter = 0;
        path = fs::temp_directory_path() /
               ("agv_tables_" + std::to_string(getpid()) + "_" + std::to_string(++counter));
        fs::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path write(const std::string& name, const std::string& text) const {
        std::ofstream(path / name) << text;
        return path / name;
    }
};

/// Changes the working directory for one scope.
struct WorkingDirectory {
    fs::path saved = fs::current_path();
    explicit WorkingDirectory(const fs::path& path) { fs::current_path(path); }
    ~WorkingDirectory() { fs::current_path(saved); }
};

/// Upper tail of the standard normal distribution.
double upperTail(double x) {
    return 0.5 * std::erfc(x / std::sqrt(2.0));
}

/// Table k with keys lo, mid, hi of its band and values 100(k+1) + 10·key, so a
/// result tells which table answered.
agv::RandomTable markedTable(int band) {
    agv::RandomTable table;
    table.lastRow = 2;
    const double lo = band / 10.0, hi = (band + 1) / 10.0;
    const double keys[3] = {lo, 0.5 * (lo + hi), hi};
    for (int i = 0; i < 3; ++i) {
        table.key[i] = keys[i];
        table.value[i] = 100.0 * (band + 1) + 10.0 * keys[i];
    }
    return table;
}

void useMarkedTables(agv::AgvContext& ctx) {
    for (int band = 0; band < agv::kRandomTableCount; ++band) {
        ctx.model.tables[band] = markedTable(band);
    }
}

}  // namespace

TEST(RandomTableFiles, CommittedTablesLoadAndHoldTheNormalQuantile) {
    agv::AgvContext ctx;
    std::string error;
    ASSERT_TRUE(agv::loadRandomTables(ctx.model.tables, error)) << error;

    for (int band = 0; band < agv::kRandomTableCount; ++band) {
        SCOPED_TRACE(agv::kRandomTableFiles[band]);
        const agv::RandomTable& table = ctx.model.tables[band];
        ASSERT_GE(table.lastRow, 1);
        ASSERT_LE(table.lastRow, 49);
        EXPECT_LE(table.key[0], band / 10.0);
        EXPECT_GE(table.key[table.lastRow], (band + 1) / 10.0);
        for (int i = 0; i <= table.lastRow; ++i) {
            ASSERT_TRUE(std::isfinite(table.value[i]));
            if (i > 0) {
                EXPECT_GT(table.key[i], table.key[i - 1]);
                EXPECT_GT(table.value[i], table.value[i - 1]);
            }
            // Φ(value) = 0.5 + key, checked on the upper tail for relative accuracy.
            if (table.key[i] < 0.5) {
                EXPECT_NEAR(upperTail(table.value[i]) / (0.5 - table.key[i]), 1.0, 1e-9)
                    << "row " << i;
            }
        }
    }
    // The end row stands for the extreme draw: finite, beyond the 15-bit neighbour.
    const agv::RandomTable& last = ctx.model.tables[4];
    EXPECT_EQ(last.key[last.lastRow], 0.5);
    EXPECT_GT(last.value[last.lastRow], 4.0);
    EXPECT_LT(last.value[last.lastRow], 4.5);
}

TEST(RandomTableFiles, WorkingDirectoryFirstThenDataDirectory) {
    TempDir dir;
    WorkingDirectory here(dir.path);
    agv::AgvContext ctx;
    std::ostringstream console;
    ctx.out = &console;
    std::string error;
    ASSERT_TRUE(agv::loadRandomTables(ctx.model.tables, error)) << error;
    const double fromData = agv::convertRandom(ctx.model.tables, 0.05);
    EXPECT_NEAR(fromData, 0.125661346855074, 1e-5);  // Φ⁻¹(0.55)

    // A table in the working directory takes precedence over the data directory.
    dir.write("normal01.data", "1\n0 0\n1 0.1\n");
    ASSERT_TRUE(agv::loadRandomTables(ctx.model.tables, error)) << error;
    EXPECT_DOUBLE_EQ(agv::convertRandom(ctx.model.tables, 0.05), 0.5);
    EXPECT_NEAR(agv::convertRandom(ctx.model.tables, 0.25), 0.674489750196082,
                1e-5);  // still data/
}

/// N and rows 0..N of a table of band 1 whose keys increase over the band.
std::string fullRowsOf(int rows) {
    std::string text = std::to_string(rows - 1) + "\n";
    for (int row = 0; row < rows; ++row)
        text += std::to_string(row) + " " + std::to_string(0.1 + 0.1 * row / (rows - 1)) + "\n";
    return text;
}

TEST(RandomTableFiles, MalformedFilesAreRefusedWithTheirName) {
    TempDir dir;
    const std::string fiftyOneRows = fullRowsOf(51);
    const struct {
        const char* what;
        const char* text;
    } cases[] = {
        {"empty", ""},
        {"N = 50", "50\n0 0.1\n1 0.2\n"},
        {"N = 50 with its 51 rows", fiftyOneRows.c_str()},
        {"N = -1", "-1\n"},
        {"N not an integer", "1.5\n0 0.1\n1 0.2\n"},
        {"too few numbers", "2\n0 0.1\n1 0.15\n2\n"},
        {"decreasing keys", "2\n0 0.1\n1 0.18\n2 0.16\n"},
        {"repeated key", "2\n0 0.1\n1 0.15\n2 0.15\n"},
        {"gap at the upper end", "1\n0 0.1\n1 0.19\n"},
        {"gap at the lower end", "1\n0 0.11\n1 0.2\n"},
        {"single row", "0\n0 0.15\n"},
        {"non-numeric token", "1\n0 0.1\nabc 0.2\n"},
        {"number with trailing text", "1\n0 0.1\n1 0.2x\n"},
        {"infinite value", "1\n0 0.1\ninf 0.2\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path path = dir.write("normal12.data", c.text);
        agv::RandomTable table;
        std::string error;
        EXPECT_FALSE(agv::readRandomTable(path.string(), 1, table, error));
        EXPECT_NE(error.find(path.string()), std::string::npos) << error;
        EXPECT_EQ(table.lastRow, -1);
    }

    agv::RandomTable table;
    std::string error;
    const std::string missing = (dir.path / "normal99.data").string();
    EXPECT_FALSE(agv::readRandomTable(missing, 1, table, error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;

    // Line breaks are not significant, and keys may reach past the band.
    const fs::path oneLine = dir.write("normal12.data", "2 0 0.05 1 0.15 2 0.25");
    EXPECT_TRUE(agv::readRandomTable(oneLine.string(), 1, table, error)) << error;
    EXPECT_EQ(table.lastRow, 2);
    EXPECT_EQ(table.key[2], 0.25);
}

TEST(RandomTableFiles, EndlessFilesAreRefusedAfterTheFirstKilobytesWithTheTokenCut) {
    TempDir dir;
    const fs::path full = dir.write("normal12.data", fullRowsOf(50));
    agv::RandomTable table;
    std::string error;
    EXPECT_TRUE(agv::readRandomTable(full.string(), 1, table, error)) << error;

    // 100 MB of digits, one token: refused with a message of readable length.
    const fs::path digits = dir.path / "digits.data";
    {
        std::ofstream out(digits, std::ios::binary);
        const std::string block(1 << 20, '7');
        for (int i = 0; i < 100; ++i)
            out << block;
    }
    struct rusage before {};
    ::getrusage(RUSAGE_SELF, &before);
    EXPECT_FALSE(agv::readRandomTable(digits.string(), 1, table, error));
    struct rusage after {};
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 16 * 1024);  // [KB]
    EXPECT_NE(error.find("digits.data"), std::string::npos) << error;
    EXPECT_LT(error.size(), 200u) << error.size();
    fs::remove(digits);

    // A long bad token is quoted only in part.
    const fs::path longToken =
        dir.write("normal12.data", "1\n0 0.1\n1 0." + std::string(20000, '1') + "x\n");
    EXPECT_FALSE(agv::readRandomTable(longToken.string(), 1, table, error));
    EXPECT_LT(error.size(), 300u) << error.size();

    // Bytes that would drive the terminal are shown escaped.
    const fs::path escapes = dir.write("normal12.data", "\x1b]0;title\x07\x1b[2J\n");
    EXPECT_FALSE(agv::readRandomTable(escapes.string(), 1, table, error));
    EXPECT_NE(error.find("\"\\x1b]0;title\\x07\\x1b[2J\""), std::string::npos) << error;
    EXPECT_EQ(error.find('\x1b'), std::string::npos);
}

TEST(RandomTableFiles, BadFileInWorkingDirectoryStopsTheLoad) {
    TempDir dir;
    WorkingDirectory here(dir.path);
    dir.write("normal23.data", "1\n0 0.2\n1 0.29\n");
    agv::AgvContext ctx;
    std::string error;
    EXPECT_FALSE(agv::loadRandomTables(ctx.model.tables, error));
    EXPECT_NE(error.find("normal23.data"), std::string::npos) << error;
    for (const agv::RandomTable& table : ctx.model.tables)
        EXPECT_EQ(table.lastRow, -1);
}

TEST(ConvertRandom, SmallMagnitudesAreScaledWithoutTables) {
    agv::AgvContext ctx;  // no tables loaded: a lookup would give 0
    EXPECT_EQ(agv::convertRandom(ctx.model.tables, 0.0), 0.0);
    EXPECT_DOUBLE_EQ(agv::convertRandom(ctx.model.tables, 0.0009), 0.4 * 0.0009);
    EXPECT_DOUBLE_EQ(agv::convertRandom(ctx.model.tables, -0.0005), -0.4 * 0.0005);
}

TEST(ConvertRandom, BandsSignsAndInterpolation) {
    agv::AgvContext ctx;
    useMarkedTables(ctx);
    // Band limits belong to the upper table.
    EXPECT_NEAR(agv::convertRandom(ctx.model.tables, 0.1), 201.0, kTight);
    EXPECT_NEAR(agv::convertRandom(ctx.model.tables, 0.2), 302.0, kTight);
    EXPECT_NEAR(agv::convertRandom(ctx.model.tables, 0.3), 403.0, kTight);
    EXPECT_NEAR(agv::convertRandom(ctx.model.tables, 0.4), 504.0, kTight);
    EXPECT_NEAR(agv::convertRandom(ctx.model.tables, 0.0999), 100.999, kTight);
    // Sign symmetry, and u = -0.5 reaches the end row of table 45.
    EXPECT_NEAR(agv::convertRandom(ctx.model.tables, -0.1), -201.0, kTight);
    EXPECT_NEAR(agv::convertRandom(ctx.model.tables, -0.5), -505.0, kTight);
    EXPECT_EQ(agv::convertRandom(ctx.model.tables, -0.37),
              -agv::convertRandom(ctx.model.tables, 0.37));

    // Between two rows the value is interpolated linearly.
    agv::RandomTable& table = ctx.model.tables[1];
    table.value[0] = 1.0;
    table.value[1] = 2.0;
    table.value[2] = 5.0;
    EXPECT_NEAR(agv::convertRandom(ctx.model.tables, 0.125), 1.5, kTight);
    EXPECT_NEAR(agv::convertRandom(ctx.model.tables, 0.15), 2.0, kTight);
    EXPECT_NEAR(agv::convertRandom(ctx.model.tables, -0.175), -3.5, kTight);
}

TEST(ConvertRandom, UncoveredMagnitudeHoldsTheNearestEndRow) {
    agv::AgvContext ctx;
    useMarkedTables(ctx);
    // A full table of 50 rows whose keys stop short of 0.5: the scan must stop at
    // the last row and answer with its value.
    agv::RandomTable& table = ctx.model.tables[4];
    table.lastRow = 49;
    for (int i = 0; i <= 49; ++i) {
        table.key[i] = 0.41 + 0.001 * i;
        table.value[i] = 2.0 + i;
    }
    EXPECT_NEAR(agv::convertRandom(ctx.model.tables, 0.49), 51.0, kTight);
    EXPECT_NEAR(agv::convertRandom(ctx.model.tables, -0.405), -2.0, kTight);
}
