#include "app/sweep/shard_merge.h"

#include <sys/resource.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/common/number_format.h"
#include "app/common/output_target.h"
#include "app/sweep/point_run.h"
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
/// Longest row [bytes]: four keys, an outcome and nine numbers of at most 24 characters.
constexpr std::size_t kMaxRowBytes = 512;
/// Columns of a row, the figures after the records column, and the theory's columns.
constexpr std::size_t kRowColumns = 14;
constexpr int kFigureColumns = 8;
constexpr std::size_t kTheoryColumns = 3;
/// Open files kept beside the shards (standard streams, the output).
constexpr rlim_t kSpareFiles = 16;

const CellOutcome kOutcomes[] = {CellOutcome::kDone, CellOutcome::kTooLong, CellOutcome::kOverflow,
                                 CellOutcome::kRefused, CellOutcome::kDiverged};

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
/// theory's figures, each of them empty or a number) as the sweep writes them.
bool isRowBody(const std::string& body, bool theory) {
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
        figures = outcome == CellOutcome::kDone || outcome == CellOutcome::kDiverged;
    }
    if (!known) return false;
    if (!figures) {
        for (std::size_t i = 1; i < fields.size(); ++i)
            if (!fields[i].empty()) return false;
        return true;
    }
    if (!isRecordCount(fields[1])) return false;
    for (int i = 0; i < kFigureColumns; ++i)
        if (!isFigure(fields[2 + static_cast<std::size_t>(i)])) return false;
    return true;
}

/// Reads the three rows of one grid point from a shard and appends them to out; false with
/// the reason when they are not the rows of that point.
bool takePointRows(ShardFile& shard, const GridValues& values, bool theory, std::string& out,
                   std::string& error) {
    const std::string key = shortestNumber(values.fn) + ',' + shortestNumber(values.zeta) + ',' +
                            shortestNumber(values.errorSize) + ',';
    std::string line;
    for (int type = 1; type <= 3; ++type) {
        const LineRead read = readLine(shard.file.get(), kMaxRowBytes, line);
        ++shard.line;
        const std::string where = shard.path + ":" + std::to_string(shard.line) + ": ";
        if (read == LineRead::kEnd) {
            error = where + "the table ends before the row of fn=" + shortestNumber(values.fn) +
                    " zeta=" + shortestNumber(values.zeta) +
                    " error_size=" + shortestNumber(values.errorSize) + " type " +
                    std::to_string(type) + " (an incomplete shard)";
            return false;
        }
        if (read == LineRead::kFault) {
            error = "cannot read " + shard.path;
            return false;
        }
        const std::string rowKey = key + std::to_string(type) + ',';
        if (read != LineRead::kLine || line.compare(0, rowKey.size(), rowKey) != 0 ||
            !isRowBody(line.substr(rowKey.size()), theory)) {
            error = where + "not the row of fn=" + shortestNumber(values.fn) +
                    " zeta=" + shortestNumber(values.zeta) +
                    " error_size=" + shortestNumber(values.errorSize) + " type " +
                    std::to_string(type) + " as agvsim-sweep writes it";
            return false;
        }
        out += line;
        out += '\n';
    }
    return true;
}

/// Opens a shard and reads its two first lines: which shard of which grid, and the header.
int openShard(ShardFile& shard, SweepOptions& grid, std::string& identity, std::string& error) {
    shard.file.reset(std::fopen(shard.path.c_str(), "rb"));
    if (!shard.file) {
        error = "cannot read " + shard.path + ": " + std::strerror(errno);
        return kMergeUnreadable;
    }
    std::string line;
    const LineRead first = readLine(shard.file.get(), kMaxShardLineBytes, line);
    if (first == LineRead::kFault) {
        error = "cannot read " + shard.path;
        return kMergeUnreadable;
    }
    std::string reason;
    if (first != LineRead::kLine || !parseShardLine(line, shard.shard, grid, reason)) {
        error = shard.path + " is not a shard table of agvsim-sweep: " +
                (first == LineRead::kLine      ? reason
                 : first == LineRead::kTooLong ? "its first line runs on beyond any shard line"
                                               : "it has no first line");
        return kMergeRefused;
    }
    identity = line.substr(line.find(": ") + 2);
    if (readLine(shard.file.get(), kMaxRowBytes, line) != LineRead::kLine ||
        line != std::string(kSweepCsvHeader) + (grid.theory ? kSweepTheoryColumns : "")) {
        error = shard.path + ":2: not the header of a sweep table";
        return kMergeRefused;
    }
    shard.line = 2;
    return kMergeOk;
}

/// Opens every shard and checks that together they are the shards of one grid, each once.
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
            error = shard.path + " is a shard of another grid or other conditions than " +
                    shards[0].path + " (" + shownGrid(ownIdentity) + " against " +
                    shownGrid(identity) + ")";
            return kMergeRefused;
        }
        if (shard.shard.count != shards[0].shard.count) {
            error = shard.path + " is shard " + shardText(shard.shard) + ", " + shards[0].path +
                    " shard " + shardText(shards[0].shard) + ": the grid was split differently";
            return kMergeRefused;
        }
    }
    const std::size_t count = shards[0].shard.count;
    std::vector<const ShardFile*> byIndex(count, nullptr);
    for (const ShardFile& shard : shards) {
        const ShardFile*& slot = byIndex[shard.shard.index];
        if (slot != nullptr) {
            error = "shard " + shardText(shard.shard) + " is given twice (" + slot->path + " and " +
                    shard.path + ")";
            return kMergeRefused;
        }
        slot = &shard;
    }
    for (std::size_t k = 0; k < count; ++k) {
        if (byIndex[k] == nullptr) {
            error = "shard " + shardText(Shard{k, count}) + " is missing";
            return kMergeRefused;
        }
    }
    return kMergeOk;
}

/// Checks that a shard holds exactly the rows of its grid points and nothing after them.
bool checkRows(ShardFile& shard, const SweepOptions& options, std::string& error) {
    const SweepGrid& grid = options.grid;
    std::string rows;
    for (std::size_t i = shard.shard.index; i < grid.size(); i += shard.shard.count) {
        rows.clear();
        if (!takePointRows(shard, grid.at(i), options.theory, rows, error)) return false;
    }
    std::string line;
    if (readLine(shard.file.get(), kMaxRowBytes, line) != LineRead::kEnd) {
        error = shard.path + ":" + std::to_string(shard.line + 1) +
                ": more rows than its shard of the grid holds";
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

}  // namespace

int mergeShardTables(const std::vector<std::string>& paths, const std::string& outputPath,
                     std::string& error) {
    if (!allowOpenFiles(paths.size(), error)) return kMergeUnreadable;
    std::vector<ShardFile> shards;
    SweepOptions grid;
    // First every shard on its own, so that nothing is written from tables that do not merge.
    if (const int status = openShards(paths, shards, grid, error); status != kMergeOk) {
        return status;
    }
    for (ShardFile& shard : shards) {
        if (!checkRows(shard, grid, error)) return kMergeRefused;
    }
    // Then the rows in grid order, read again and checked again on the way.
    if (const int status = openShards(paths, shards, grid, error); status != kMergeOk) {
        return status;
    }
    std::vector<ShardFile*> byIndex(shards.size());
    for (ShardFile& shard : shards)
        byIndex[shard.shard.index] = &shard;
    OutputTarget out;
    if (!out.open(outputPath, error)) return kMergeUnreadable;
    out.write(std::string(kSweepCsvHeader) + (grid.theory ? kSweepTheoryColumns : "") + "\n");
    std::string rows;
    for (std::size_t i = 0; i < grid.grid.size(); ++i) {
        rows.clear();
        if (!takePointRows(*byIndex[i % shards.size()], grid.grid.at(i), grid.theory, rows,
                           error)) {
            out.abandon();
            return kMergeRefused;
        }
        out.write(rows);
    }
    if (!out.commit(error)) return kMergeUnreadable;
    return kMergeOk;
}

}  // namespace agv
