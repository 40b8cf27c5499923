// The sweep's table: one CSV row per grid point and vehicle type, numbers in their
// shortest form that reads back exactly.
#pragma once

#include <string>
#include <vector>

#include "app/common/number_format.h"
#include "app/sweep/point_run.h"

namespace agv {

/// Header line of the table (without the line break).
extern const char* const kSweepCsvHeader;
/// The columns --theory adds at the end of the header.
extern const char* const kSweepTheoryColumns;

/// The columns of a sweep that compares laws, after error_size: the law's name, pure
/// pursuit's look-ahead [m] and the Stanley gain [1/s] (each empty for the other laws).
extern const char* const kSweepLawColumns;

/// The header line of a table (without the line break): when laws are compared their
/// columns follow error_size, with --seeds a seed column follows, with --theory the
/// theory's columns end it.
std::string sweepCsvHeader(bool theory, bool seeded, bool laws = false);

/// The first fields of every row of a run, each followed by a comma: fn, zeta, error_size
/// and, when laws are compared, the law's columns.
std::string sweepRowKey(const GridValues& values);

/// A run named in messages: "fn=1 zeta=0.7 error_size=2", then the law and its parameter
/// when laws are compared.
std::string sweepRunText(const GridValues& values);

/// Index of a figure column among the metrics (nofbc_max_dd ... fbc_final_dth); -1 when the
/// name is none of them.
int sweepMetricColumn(const std::string& name);

/// The metric names, comma-separated, for messages.
std::string sweepMetricNames();

/// The figure of a metric column; false when the run has no figures.
bool sweepMetricValue(const MechanismResult& result, int column, double& value);

/// Appends the rows of types 1, 2 and 3 of one grid point. Runs without figures leave
/// records, end_time and the figures empty; with theory, the theory's columns follow
/// (empty where the conditions were refused or the steady value is not defined). A run of
/// a seed (values.seed) or a statistic over the seeds (values.statistic) writes the seed
/// column: the seed, or mean, sd, worst; a statistic that is not defined is left empty.
void appendSweepRows(std::string& out, const GridValues& values, const PointResult& result,
                     bool theory = false);

}  // namespace agv
