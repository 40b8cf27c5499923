#include "app/sweep/table.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <tuple>

namespace agv {

const char* const kSweepCsvHeader =
    "fn,zeta,error_size,type,outcome,records,end_time,nofbc_max_dd,nofbc_max_dth,fbc_max_dd,"
    "fbc_max_dth,fbc_rms_dd,fbc_final_dd,fbc_final_dth";

const char* const kSweepTheoryColumns = ",max_pole_real,settling_time,theory_steady_dd";

namespace {

const char* const kMetricNames[] = {"nofbc_max_dd", "nofbc_max_dth", "fbc_max_dd",   "fbc_max_dth",
                                    "fbc_rms_dd",   "fbc_final_dd",  "fbc_final_dth"};
constexpr int kMetricCount = sizeof kMetricNames / sizeof kMetricNames[0];
/// Columns before the outcome that identify a row: fn, zeta, error_size, type.
constexpr int kKeyColumns = 4;

/// Grid position and type of a row, as the numbers it starts with.
using RowKey = std::array<double, kKeyColumns>;

struct Row {
    RowKey key;
    std::string text;
};

bool parseKey(const std::string& line, RowKey& key) {
    std::size_t start = 0;
    for (int i = 0; i < kKeyColumns; ++i) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string::npos) return false;
        const std::string field = line.substr(start, comma - start);
        char* end = nullptr;
        key[i] = std::strtod(field.c_str(), &end);
        if (field.empty() || end != field.c_str() + field.size()) return false;
        start = comma + 1;
    }
    const double type = key[kKeyColumns - 1];
    return type == 1.0 || type == 2.0 || type == 3.0;
}

bool readRows(const std::string& path, std::vector<Row>& rows, std::string& headerLine,
              std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    std::stringstream contents;
    contents << file.rdbuf();
    const std::string text = contents.str();
    if (file.bad()) {
        error = "cannot read " + path;
        return false;
    }
    const std::string plain = std::string(kSweepCsvHeader) + "\n";
    const std::string withTheory = std::string(kSweepCsvHeader) + kSweepTheoryColumns + "\n";
    const std::string header =
        text.compare(0, withTheory.size(), withTheory) == 0 ? withTheory : plain;
    if (text.compare(0, header.size(), header) != 0) {
        error = path + " is not a sweep table (its first line is not the header)";
        return false;
    }
    if (!headerLine.empty() && headerLine != header) {
        error = path + " has other columns than the tables before it (--theory)";
        return false;
    }
    headerLine = header;
    if (text.back() != '\n') {
        error = path + " ends in the middle of a row";
        return false;
    }
    std::size_t start = header.size();
    int lineNumber = 1;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        Row row;
        row.text = text.substr(start, end + 1 - start);
        ++lineNumber;
        if (!parseKey(row.text, row.key)) {
            error = path + ":" + std::to_string(lineNumber) + ": not a row of a sweep table";
            return false;
        }
        rows.push_back(std::move(row));
        start = end + 1;
    }
    return true;
}

}  // namespace

int sweepMetricColumn(const std::string& name) {
    for (int i = 0; i < kMetricCount; ++i) {
        if (name == kMetricNames[i]) return i;
    }
    return -1;
}

std::string sweepMetricNames() {
    std::string names;
    for (const char* name : kMetricNames)
        names += (names.empty() ? "" : ", ") + std::string(name);
    return names;
}

bool sweepMetricValue(const MechanismResult& r, int column, double& value) {
    if (!r.hasFigures || column < 0 || column >= kMetricCount) return false;
    const double figures[kMetricCount] = {r.nofbcMaxDd, r.nofbcMaxDth, r.fbcMaxDd,   r.fbcMaxDth,
                                          r.fbcRmsDd,   r.fbcFinalDd,  r.fbcFinalDth};
    value = figures[column];
    return true;
}

void appendSweepRows(std::string& out, const GridValues& values, const PointResult& result,
                     bool theory) {
    const std::string point = shortestNumber(values.fn) + ',' + shortestNumber(values.zeta) + ',' +
                              shortestNumber(values.errorSize) + ',';
    for (int k = 0; k < 3; ++k) {
        const MechanismResult& r = result[k];
        out += point;
        out += std::to_string(k + 1) + ',' + outcomeName(r.outcome);
        if (r.hasFigures) {
            out += ',' + std::to_string(r.records);
            for (const double figure : {r.endTime, r.nofbcMaxDd, r.nofbcMaxDth, r.fbcMaxDd,
                                        r.fbcMaxDth, r.fbcRmsDd, r.fbcFinalDd, r.fbcFinalDth}) {
                out += ',' + shortestNumber(figure);
            }
        } else {
            out += ",,,,,,,,,";
        }
        if (theory && r.hasTheory) {
            for (const double figure : {r.maxPoleReal, r.settlingTime, r.theorySteadyDd})
                out += ',' + (std::isnan(figure) ? std::string() : shortestNumber(figure));
        } else if (theory) {
            out += ",,,";
        }
        out += '\n';
    }
}

bool mergeSweepTables(const std::vector<std::string>& paths, std::string& merged,
                      std::string& error) {
    std::vector<Row> rows;
    std::string header;
    for (const std::string& path : paths) {
        if (!readRows(path, rows, header, error)) return false;
    }
    // Every axis increases, so the grid order is the order of the values.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return a.key < b.key; });
    std::array<std::set<double>, kKeyColumns - 1> axisValues;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && rows[i].key == rows[i - 1].key) {
            error = "the tables overlap: a grid point and type appear twice";
            return false;
        }
        for (int axis = 0; axis < kKeyColumns - 1; ++axis)
            axisValues[axis].insert(rows[i].key[axis]);
    }
    std::size_t points = rows.empty() ? 0 : 1;
    for (const auto& values : axisValues)
        points *= values.size();
    if (rows.size() != 3 * points) {
        error = "the tables leave grid points out (" + std::to_string(rows.size()) + " rows of " +
                std::to_string(3 * points) + "); is a shard missing?";
        return false;
    }
    merged = header;
    for (const Row& row : rows)
        merged += row.text;
    return true;
}

}  // namespace agv
