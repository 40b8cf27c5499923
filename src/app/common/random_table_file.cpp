#include "app/common/random_table_file.h"

#include "app/common/shown_text.h"
#include "app/common/text_output.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace agv {

const char* const kRandomTableFiles[kRandomTableCount] = {
    "normal01.data", "normal12.data", "normal23.data", "normal34.data", "normal45.data"};

namespace {

namespace fs = std::filesystem;

/// Bands are this many to the unit: table k covers k/10 to (k+1)/10.
constexpr double kBandsPerUnit = 10.0;
/// Largest table file read [bytes]: 50 rows of two numbers take a few kilobytes, even with
/// every digit a double can carry.
constexpr std::size_t kMaxTableBytes = 64 * 1024;
bool parseInt(const std::string& token, int& result) {
    const char* end = token.data() + token.size();
    const auto [ptr, ec] = std::from_chars(token.data(), end, result);
    return ec == std::errc() && ptr == end;
}

/// Locale-independent, so a console locale with a decimal comma cannot break the files.
bool parseFinite(const std::string& token, double& result) {
    const char* end = token.data() + token.size();
    const auto [ptr, ec] = std::from_chars(token.data(), end, result);
    return ec == std::errc() && ptr == end && std::isfinite(result);
}

/// Where the tables are looked for when the working directory lacks one: the
/// project's data directory, then data/ beside an installed or a build-tree binary.
std::vector<fs::path> fallbackDirectories() {
    std::vector<fs::path> directories;
#ifdef AGV_DATA_DIR
    directories.emplace_back(AGV_DATA_DIR);
#endif
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const fs::path exeDir = exe.parent_path();
        directories.push_back(exeDir / ".." / "data");
        directories.push_back(exeDir / ".." / ".." / "data");
    }
    return directories;
}

/// The file to read for one table name; empty when it is nowhere to be found.
std::string locateTableFile(const char* name, const std::vector<fs::path>& directories) {
    std::error_code ec;
    if (fs::exists(name, ec)) return name;
    for (const fs::path& directory : directories) {
        const fs::path candidate = directory / name;
        if (fs::exists(candidate, ec)) return candidate.lexically_normal().string();
    }
    return {};
}

}  // namespace

bool readRandomTable(const std::string& path, int band, RandomTable& table, std::string& error) {
    // Names and bytes from outside reach the terminal only as printable text.
    const std::string shownPath = shownArgument(path);
    if (band < 0 || band >= kRandomTableCount) {
        error = formatText("ランダム変換表 %s: 帯番号 %d は 0〜4 の範囲外です", shownPath.c_str(),
                           band);
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = formatText("ランダム変換表 %s を開けません", shownPath.c_str());
        return false;
    }
    // At most one byte more than a table may have is read, whatever the file is.
    std::string text(kMaxTableBytes + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (file.bad()) {
        error = formatText("ランダム変換表 %s を読み込めません", shownPath.c_str());
        return false;
    }
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (text.size() > kMaxTableBytes) {
        error = formatText("ランダム変換表 %s: %zu バイトを超えています (表は数キロバイトです)",
                           shownPath.c_str(), kMaxTableBytes);
        return false;
    }
    std::istringstream in(text);
    std::string token;
    int numbersRead = 0;
    // Next whitespace-separated token; false at the end of the file or on a read fault.
    auto next = [&]() -> bool {
        if (!(in >> token)) return false;
        ++numbersRead;
        return true;
    };
    auto shortage = [&](int needed) {
        return formatText("ランダム変換表 %s: 数値が足りません (%d 個必要, %d 個で終わりました)",
                          shownPath.c_str(), needed, numbersRead);
    };

    if (!next()) {
        error = shortage(1);
        return false;
    }
    RandomTable read;
    if (!parseInt(token, read.lastRow)) {
        error = formatText("ランダム変換表 %s: 行数 N の \"%s\" は整数ではありません",
                           shownPath.c_str(), shownArgument(token).c_str());
        return false;
    }
    if (read.lastRow < 0 || read.lastRow >= kRandomTableRows) {
        error = formatText("ランダム変換表 %s: N = %d は 0〜%d の範囲外です", shownPath.c_str(),
                           read.lastRow, kRandomTableRows - 1);
        return false;
    }
    const int needed = 1 + 2 * (read.lastRow + 1);
    for (int row = 0; row <= read.lastRow; ++row) {
        double* fields[2] = {&read.value[row], &read.key[row]};
        for (double* field : fields) {
            if (!next()) {
                error = shortage(needed);
                return false;
            }
            if (!parseFinite(token, *field)) {
                error = formatText("ランダム変換表 %s: 行 %d の \"%s\" は有限の数値ではありません",
                                   shownPath.c_str(), row, shownArgument(token).c_str());
                return false;
            }
        }
        if (row > 0 && !(read.key[row] > read.key[row - 1])) {
            error =
                formatText("ランダム変換表 %s: キーが増加していません (行 %d: %.10g の次が %.10g)",
                           shownPath.c_str(), row, read.key[row - 1], read.key[row]);
            return false;
        }
    }
    const double lower = band / kBandsPerUnit;
    const double upper = (band + 1) / kBandsPerUnit;
    if (read.key[0] > lower || read.key[read.lastRow] < upper) {
        error = formatText("ランダム変換表 %s: キー %.10g〜%.10g が範囲 %g〜%g を覆っていません",
                           shownPath.c_str(), read.key[0], read.key[read.lastRow], lower, upper);
        return false;
    }
    table = read;
    return true;
}

bool loadRandomTables(RandomTables& loaded, std::string& error) {
    const std::vector<fs::path> directories = fallbackDirectories();
    // Read into a copy so a failure leaves the context's tables as they were.
    std::array<RandomTable, kRandomTableCount> tables{};
    for (int band = 0; band < kRandomTableCount; ++band) {
        const char* name = kRandomTableFiles[band];
        const std::string path = locateTableFile(name, directories);
        if (path.empty()) {
            std::string places = "作業ディレクトリ";
            for (const fs::path& directory : directories) {
                places += ", " + directory.lexically_normal().string();
            }
            error = formatText("ランダム変換表 %s が見つかりません (探した場所: %s)", name,
                               places.c_str());
            return false;
        }
        if (!readRandomTable(path, band, tables[band], error)) return false;
    }
    loaded = tables;
    return true;
}

bool loadRandomTablesFrom(const std::string& folder, RandomTables& loaded, std::string& error) {
    std::array<RandomTable, kRandomTableCount> tables{};
    for (int band = 0; band < kRandomTableCount; ++band) {
        const std::string path = (fs::path(folder) / kRandomTableFiles[band]).string();
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) {
            error = formatText("ランダム変換表 %s が見つかりません", path.c_str());
            return false;
        }
        if (!readRandomTable(path, band, tables[band], error)) return false;
    }
    loaded = tables;
    return true;
}

}  // namespace agv
