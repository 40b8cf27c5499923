#include "app/sweep/shard_merge.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <thread>

#include "app/common/number_format.h"
#include "app/common/option_reading.h"
#include "app/common/output_target.h"
#include "app/sweep/point_run.h"
#include "app/sweep/pool.h"
#include "app/sweep/seed_statistics.h"
#include "app/sweep/shard_identity.h"
#include "app/sweep/table.h"

namespace agv {

namespace {

constexpr int kMergeOk = 0;
constexpr int kMergeUnreadable = 1;
constexpr int kMergeRefused = 2;

/// Longest first line of a shard table [bytes]: three axes written out in full from the
/// longest command line a system passes.
constexpr std::size_t kMaxShardLineBytes = 1 << 20;
/// Longest row [bytes]: seven keys (a law's name among them), an outcome and the numbers,
/// each of at most 24 characters.
constexpr std::size_t kMaxRowBytes = 512;
/// Columns of a row, the figures after the records column, and the theory's columns.
constexpr std::size_t kRowColumns = 14;
constexpr int kFigureColumns = 8;
constexpr std::size_t kTheoryColumns = 5;
/// Bytes copied from the spool file at a time.
constexpr std::size_t kSpoolChunkBytes = 1 << 16;
/// Open files kept beside the shards (standard streams, the output).
constexpr rlim_t kSpareFiles = 16;

const CellOutcome kOutcomes[] = {CellOutcome::kDone,     CellOutcome::kTooLong,
                                 CellOutcome::kOverflow, CellOutcome::kRefused,
                                 CellOutcome::kDiverged, CellOutcome::kPartial};
/// The rows of a statistic over seeds, after the seeds' own.
const char* const kStatisticLabels[] = {"mean", "sd", "worst"};

/// Characters of a grid shown in a message: axes written out in full can be long.
constexpr std::size_t kShownGridChars = 200;

std::string shownGrid(const std::string& identity) {
    if (identity.size() <= kShownGridChars) return identity;
    return identity.substr(0, kShownGridChars) + "...";
}

std::string shardText(const Shard& shard) {
    return std::to_string(shard.index) + "/" + std::to_string(shard.count);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

enum class LineRead { kLine, kEnd, kTooLong, kUnended, kFault };

/// One line without its break, of at most limit bytes; never reads further than that.
LineRead readLine(std::FILE* file, std::size_t limit, std::string& line) {
    line.clear();
    for (;;) {
        const int c = std::getc(file);
        if (c == EOF) {
            if (std::ferror(file)) return LineRead::kFault;
            return line.empty() ? LineRead::kEnd : LineRead::kUnended;
        }
        if (c == '\n') return LineRead::kLine;
        if (line.size() == limit) return LineRead::kTooLong;
        line += static_cast<char>(c);
    }
}

/// One shard file: its name, which shard it says it holds, and where its rows stand.
struct ShardFile {
    std::string path;
    Shard shard;
    File file;
    /// Lines read so far, for messages.
    long line = 0;
    /// Rows and bytes read so far.
    std::unique_ptr<ShardSeal> seal = std::make_unique<ShardSeal>();
};

bool isFigure(const std::string& field) {
    if (field.empty()) return false;
    char* end = nullptr;
    const double value = std::strtod(field.c_str(), &end);
    return end == field.c_str() + field.size() && shortestNumber(value) == field;
}

bool isRecordCount(const std::string& field) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(field.c_str(), &end, 10);
    return !field.empty() && errno == 0 && end == field.c_str() + field.size() && value >= 0 &&
           std::to_string(value) == field;
}

/// Whether the text after the key is an outcome with its figures (and with theory the
/// theory's figures, each of them empty or a number) as the sweep writes them; a statistic
/// over seeds leaves a figure empty where it is not defined.
bool isRowBody(const std::string& body, bool theory, bool statistic) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = body.find(',', start);
        fields.push_back(body.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (fields.size() != kRowColumns - 4 + (theory ? kTheoryColumns : 0)) return false;
    if (theory) {
        for (std::size_t i = fields.size() - kTheoryColumns; i < fields.size(); ++i)
            if (!fields[i].empty() && !isFigure(fields[i])) return false;
        fields.resize(fields.size() - kTheoryColumns);
    }
    bool known = false, figures = false;
    for (const CellOutcome outcome : kOutcomes) {
        if (fields[0] != outcomeName(outcome)) continue;
        known = true;
        figures = outcome == CellOutcome::kDone || outcome == CellOutcome::kDiverged ||
                  outcome == CellOutcome::kPartial;
    }
    if (!known) return false;
    if (!figures) {
        for (std::size_t i = 1; i < fields.size(); ++i)
            if (!fields[i].empty()) return false;
        return true;
    }
    if (!isRecordCount(fields[1])) return false;
    for (int i = 0; i < kFigureColumns; ++i) {
        const std::string& field = fields[2 + static_cast<std::size_t>(i)];
        if (!isFigure(field) && !(statistic && field.empty())) return false;
    }
    return true;
}

/// What the rows of one grid point carry between error_size and type: nothing, or with
/// seeds each seed and then each statistic over them.
std::vector<std::string> rowLabels(const SweepOptions& grid) {
    if (!grid.seeded) return {""};
    std::vector<std::string> labels;
    for (std::uint64_t seed = grid.firstSeed; seed <= grid.lastSeed; ++seed)
        labels.push_back(std::to_string(seed));
    labels.insert(labels.end(), std::begin(kStatisticLabels), std::end(kStatisticLabels));
    return labels;
}

/// Reads the rows of one grid point (three per label) from a shard and appends them to
/// out; false with the reason when they are not the rows of that point.
bool takePointRows(ShardFile& shard, const GridValues& values, const SweepOptions& grid,
                   const std::vector<std::string>& labels, std::string& out, std::string& error) {
    const std::string key = sweepRowKey(values);
    const std::string point = sweepRunText(values);
    std::string line;
    for (std::size_t l = 0; l < labels.size(); ++l) {
        const std::string& label = labels[l];
        const bool statistic = grid.seeded && l + std::size(kStatisticLabels) >= labels.size();
        const std::string rowOf =
            point + (label.empty() ? "" : (statistic ? " " : " seed=") + label) + " type ";
        for (int type = 1; type <= 3; ++type) {
            const LineRead read = readLine(shard.file.get(), kMaxRowBytes, line);
            ++shard.line;
            const std::string where =
                shownArgument(shard.path) + ":" + std::to_string(shard.line) + ": ";
            if (read == LineRead::kEnd) {
                error = where + "the table ends before the row of " + rowOf + std::to_string(type) +
                        " (an incomplete shard)";
                return false;
            }
            if (read == LineRead::kFault) {
                error = "cannot read " + shownArgument(shard.path);
                return false;
            }
            const std::string rowKey =
                key + (label.empty() ? "" : label + ",") + std::to_string(type) + ',';
            if (read != LineRead::kLine || line.compare(0, rowKey.size(), rowKey) != 0 ||
                !isRowBody(line.substr(rowKey.size()), grid.theory, statistic)) {
                error = where + "not the row of " + rowOf + std::to_string(type) +
                        " as agvsim-sweep writes it";
                return false;
            }
            out += line;
            out += '\n';
        }
    }
    return true;
}

/// Opens a shard and reads its two first lines: which shard of which grid, and the header.
int openShard(ShardFile& shard, SweepOptions& grid, std::string& identity, std::string& error) {
    const std::string name = shownArgument(shard.path);
    shard.file.reset(std::fopen(shard.path.c_str(), "rb"));
    if (!shard.file) {
        error = "cannot read " + name + ": " + std::strerror(errno);
        return kMergeUnreadable;
    }
    struct stat info {};
    if (::fstat(::fileno(shard.file.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
        error = name + " is a folder, not a shard table";
        return kMergeRefused;
    }
    std::string line;
    const LineRead first = readLine(shard.file.get(), kMaxShardLineBytes, line);
    if (first == LineRead::kFault) {
        error = "cannot read " + name + ": " + std::strerror(errno);
        return kMergeUnreadable;
    }
    std::string reason;
    if (first != LineRead::kLine || !parseShardLine(line, shard.shard, grid, reason)) {
        error = name + " is not a shard table of agvsim-sweep: " +
                (first == LineRead::kLine      ? reason
                 : first == LineRead::kTooLong ? "its first line runs on beyond any shard line"
                                               : "it has no first line");
        return kMergeRefused;
    }
    identity = line.substr(line.find(": ") + 2);
    shard.seal->add(line + '\n', 0);
    const std::string header = sweepCsvHeader(grid.theory, grid.seeded, !grid.grid.laws.empty());
    if (readLine(shard.file.get(), kMaxRowBytes, line) != LineRead::kLine || line != header) {
        error = name + ":2: not the header of a sweep table";
        return kMergeRefused;
    }
    shard.seal->add(line + '\n', 0);
    shard.line = 2;
    return kMergeOk;
}

/// Opens every shard and checks that together they are the shards of one grid, each once.
/// Memory grows with the shards given, never with the shard count a file claims.
int openShards(const std::vector<std::string>& paths, std::vector<ShardFile>& shards,
               SweepOptions& grid, std::string& error) {
    std::string identity;
    shards.clear();
    shards.resize(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        ShardFile& shard = shards[i];
        shard.path = paths[i];
        SweepOptions own;
        std::string ownIdentity;
        if (const int status = openShard(shard, own, ownIdentity, error); status != kMergeOk) {
            return status;
        }
        if (i == 0) {
            grid = own;
            identity = ownIdentity;
            continue;
        }
        if (ownIdentity != identity) {
            error = shownArgument(shard.path) +
                    " is a shard of another grid or other conditions than " +
                    shownArgument(shards[0].path) + " (" + shownGrid(ownIdentity) + " against " +
                    shownGrid(identity) + ")";
            return kMergeRefused;
        }
        if (shard.shard.count != shards[0].shard.count) {
            error = shownArgument(shard.path) + " is shard " + shardText(shard.shard) + ", " +
                    shownArgument(shards[0].path) + " shard " + shardText(shards[0].shard) +
                    ": the grid was split differently";
            return kMergeRefused;
        }
    }
    const std::size_t count = shards[0].shard.count;
    std::stable_sort(shards.begin(), shards.end(), [](const ShardFile& a, const ShardFile& b) {
        return a.shard.index < b.shard.index;
    });
    for (std::size_t i = 1; i < shards.size(); ++i) {
        if (shards[i].shard.index == shards[i - 1].shard.index) {
            error = "shard " + shardText(shards[i].shard) + " is given twice (" +
                    shownArgument(shards[i - 1].path) + " and " + shownArgument(shards[i].path) +
                    ")";
            return kMergeRefused;
        }
    }
    // The indices are distinct and below count: the first gap is the first shard missing.
    for (std::size_t k = 0; k < count; ++k) {
        if (k >= shards.size() || shards[k].shard.index != k) {
            error = "shard " + shardText(Shard{k, count}) + " is missing";
            return kMergeRefused;
        }
    }
    return kMergeOk;
}

/// Checks the last line of a shard: after its rows, its own row count and digest, then
/// nothing.
bool checkShardEnd(ShardFile& shard, std::string& error) {
    const std::string name = shownArgument(shard.path);
    std::string line;
    const LineRead read = readLine(shard.file.get(), kMaxShardLineBytes, line);
    const std::string where = name + ":" + std::to_string(shard.line + 1) + ": ";
    if (read == LineRead::kFault) {
        error = "cannot read " + name;
        return false;
    }
    if (read == LineRead::kEnd) {
        error = where +
                "no line with its row count and digest after its rows (a table cut short, "
                "or written before shard tables carried one)";
        return false;
    }
    if (read == LineRead::kUnended) {
        error = where + "its last line ends without a line break (a table cut short)";
        return false;
    }
    if (read != LineRead::kLine || !isShardEndLine(line)) {
        error = where + "more rows than its shard of the grid holds";
        return false;
    }
    if (line != shard.seal->line()) {
        error = name +
                ": its rows do not match the row count and SHA-256 on its last line: the "
                "table was changed after it was written";
        return false;
    }
    if (readLine(shard.file.get(), kMaxRowBytes, line) != LineRead::kEnd) {
        error = name + ":" + std::to_string(shard.line + 2) + ": text after its last line";
        return false;
    }
    return true;
}

/// Makes room for one open file per shard.
bool allowOpenFiles(std::size_t shards, std::string& error) {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return true;
    const rlim_t wanted = static_cast<rlim_t>(shards) + kSpareFiles;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        limit.rlim_cur =
            limit.rlim_max == RLIM_INFINITY || limit.rlim_max >= wanted ? wanted : limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        if (limit.rlim_cur < wanted) {
            error = "cannot open " + std::to_string(shards) +
                    " shard tables at once (the system allows " + std::to_string(limit.rlim_cur) +
                    " open files)";
            return false;
        }
    }
    return true;
}

/// False with the reason when the output is one of the shards: it would be replaced by
/// the merge of itself.
bool outputIsNoShard(const std::vector<std::string>& paths, const std::string& outputPath,
                     std::string& error) {
    struct stat output {};
    if (outputPath == "-" || ::stat(outputPath.c_str(), &output) != 0 || !S_ISREG(output.st_mode)) {
        return true;
    }
    for (const std::string& path : paths) {
        struct stat input {};
        if (::stat(path.c_str(), &input) == 0 && input.st_dev == output.st_dev &&
            input.st_ino == output.st_ino) {
            error = "--csv " + shownArgument(outputPath) + " is the shard table " +
                    shownArgument(path) + " itself: the merge would replace one of its inputs";
            return false;
        }
    }
    return true;
}

/// The rows of some grid points of one shard, kept while the shard is read.
struct ChosenRows {
    /// Grid points in grid order, and the rows the shard holds for each.
    std::vector<std::size_t> points;
    std::vector<std::string> rows;
    /// Line of the first row of each point in the shard, for messages.
    std::vector<long> lines;
};

/// The grid points of rowCount rows chosen at random from a shard, each point once.
std::vector<std::size_t> choosePoints(const Shard& shard, std::size_t gridPoints,
                                      std::size_t rowsPerPoint, std::size_t rowCount,
                                      std::mt19937_64& random) {
    const std::size_t points = (gridPoints - shard.index + shard.count - 1) / shard.count;
    const std::size_t rows = rowsPerPoint * points;
    std::set<std::size_t> chosen;
    if (rowCount >= rows) {
        for (std::size_t p = 0; p < points; ++p)
            chosen.insert(shard.index + p * shard.count);
    } else {
        // Floyd's sampling: rowCount distinct rows, uniform, in rowCount draws.
        std::set<std::size_t> picked;
        for (std::size_t j = rows - rowCount; j < rows; ++j) {
            const std::size_t r = std::uniform_int_distribution<std::size_t>(0, j)(random);
            picked.insert(picked.count(r) != 0 ? j : r);
        }
        for (const std::size_t row : picked)
            chosen.insert(shard.index + (row / rowsPerPoint) * shard.count);
    }
    return {chosen.begin(), chosen.end()};
}

/// Index of the first line in which two texts of whole lines differ.
std::size_t firstDifferentLine(const std::string& a, const std::string& b) {
    std::size_t line = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size() && a[i] == b[i]; ++i)
        line += a[i] == '\n';
    return line;
}

/// Computes the chosen points again (each seed, then the statistics over them) and compares
/// their rows with the shards' byte for byte.
int verifyRows(const SweepOptions& grid, const std::vector<ShardFile>& shards,
               const std::vector<ChosenRows>& chosen, std::string& error) {
    std::vector<std::size_t> points;
    std::vector<std::pair<std::size_t, std::size_t>> owners;
    for (std::size_t s = 0; s < chosen.size(); ++s) {
        for (std::size_t j = 0; j < chosen[s].points.size(); ++j) {
            points.push_back(chosen[s].points[j]);
            owners.emplace_back(s, j);
        }
    }
    SweepModel model;
    if (!model.load(error)) return kMergeUnreadable;
    const std::size_t seeds = grid.seedCount();
    const std::size_t runs = points.size() * seeds;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::unique_ptr<SweepRunner>> runners;
    for (std::size_t w = 0; w < std::min<std::size_t>(cores, std::max<std::size_t>(runs, 1)); ++w) {
        runners.push_back(std::make_unique<SweepRunner>(model));
        runners.back()->setTheory(grid.theory);
    }
    // Run i is seed i % seeds of points[i / seeds], as the sweep runs them.
    const auto valuesOf = [&](std::size_t i) {
        GridValues values = grid.grid.at(points[i / seeds]);
        if (grid.seeded) values.seed = grid.firstSeed + static_cast<std::uint32_t>(i % seeds);
        return values;
    };
    const std::vector<std::string> labels = rowLabels(grid);
    int status = kMergeOk;
    std::string computed;
    std::vector<PointResult> seedRuns;
    runSweepPoints(
        runners, grid.scenario, runs, valuesOf,
        [&](std::size_t i, const PointResult& result) {
            if (status != kMergeOk) return;
            const GridValues values = valuesOf(i);
            appendSweepRows(computed, values, result, grid.theory);
            if (grid.seeded) {
                seedRuns.push_back(result);
                if (seedRuns.size() < seeds) return;
                for (const SeedStatistic statistic :
                     {SeedStatistic::kMean, SeedStatistic::kSd, SeedStatistic::kWorst}) {
                    GridValues over = values;
                    over.seed.reset();
                    over.statistic = statistic;
                    appendSweepRows(computed, over, seedStatistic(seedRuns, statistic),
                                    grid.theory);
                }
                seedRuns.clear();
            }
            const auto [s, j] = owners[i / seeds];
            const std::string& written = chosen[s].rows[j];
            if (computed != written) {
                const std::size_t row = firstDifferentLine(written, computed);
                const std::string& label = labels[row / 3];
                error = shownArgument(shards[s].path) + ":" +
                        std::to_string(chosen[s].lines[j] + static_cast<long>(row)) +
                        ": the row of " + sweepRunText(values) +
                        (label.empty() ? "" : " " + label) + " type " +
                        std::to_string(row % 3 + 1) + " is not what the computation gives";
                status = kMergeRefused;
            }
            computed.clear();
        },
        [](std::size_t) {});
    return status;
}

/// Copies a spooled table to the output.
bool copySpool(std::FILE* spool, OutputTarget& out) {
    std::rewind(spool);
    char buffer[kSpoolChunkBytes];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, spool);
        if (got > 0 && !out.write(buffer, got)) return false;
        if (got < sizeof buffer) return std::ferror(spool) == 0;
    }
}

}  // namespace

int mergeShardTables(const std::vector<std::string>& paths, const std::string& outputPath,
                     std::string& error, int verify) {
    if (!outputIsNoShard(paths, outputPath, error)) return kMergeRefused;
    if (!allowOpenFiles(paths.size(), error)) return kMergeUnreadable;
    std::vector<ShardFile> shards;
    SweepOptions grid;
    if (const int status = openShards(paths, shards, grid, error); status != kMergeOk) {
        return status;
    }
    const std::vector<std::string> labels = rowLabels(grid);
    const std::size_t rowsPerPoint = 3 * labels.size();
    std::vector<ChosenRows> chosen(shards.size());
    std::vector<std::size_t> nextChosen(shards.size(), 0);
    if (verify > 0) {
        std::random_device device;
        std::mt19937_64 random((static_cast<std::uint64_t>(device()) << 32) ^ device());
        for (std::size_t s = 0; s < shards.size(); ++s) {
            chosen[s].points = choosePoints(shards[s].shard, grid.grid.size(), rowsPerPoint,
                                            static_cast<std::size_t>(verify), random);
        }
    }

    // Each shard is read once, in grid order. Nothing may reach the output before every
    // shard has been checked to its last line: a file is written under a temporary name,
    // and a stream gets the table from a spool file once all is well.
    OutputTarget out;
    if (!out.open(outputPath, error)) return kMergeUnreadable;
    std::unique_ptr<std::FILE, FileCloser> spool;
    if (out.inPlace()) {
        spool.reset(std::tmpfile());
        if (!spool) {
            error = std::string("cannot make a spool file for the merged table: ") +
                    std::strerror(errno);
            return kMergeUnreadable;
        }
    }
    const auto put = [&](const std::string& text) {
        if (spool) {
            std::fwrite(text.data(), 1, text.size(), spool.get());
        } else {
            out.write(text);
        }
    };
    put(sweepCsvHeader(grid.theory, grid.seeded, !grid.grid.laws.empty()) + "\n");
    std::string rows;
    for (std::size_t i = 0; i < grid.grid.size(); ++i) {
        const std::size_t s = i % shards.size();
        ShardFile& shard = shards[s];
        const long firstLine = shard.line + 1;
        rows.clear();
        if (!takePointRows(shard, grid.grid.at(i), grid, labels, rows, error)) {
            out.abandon();
            return kMergeRefused;
        }
        shard.seal->add(rows, rowsPerPoint);
        ChosenRows& c = chosen[s];
        if (nextChosen[s] < c.points.size() && c.points[nextChosen[s]] == i) {
            c.rows.push_back(rows);
            c.lines.push_back(firstLine);
            ++nextChosen[s];
        }
        put(rows);
    }
    for (ShardFile& shard : shards) {
        if (!checkShardEnd(shard, error)) {
            out.abandon();
            return kMergeRefused;
        }
    }
    if (verify > 0) {
        if (const int status = verifyRows(grid, shards, chosen, error); status != kMergeOk) {
            out.abandon();
            return status;
        }
    }
    // A write that failed on the output itself comes back from commit.
    if (spool && (std::fflush(spool.get()) != 0 || !copySpool(spool.get(), out)) &&
        std::ferror(spool.get()) != 0) {
        error = "cannot write or read back the spool file of the merged table";
        out.abandon();
        return kMergeUnreadable;
    }
    if (!out.commit(error)) return kMergeUnreadable;
    return kMergeOk;
}

}  // namespace agv
