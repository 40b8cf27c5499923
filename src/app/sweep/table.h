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

/// Index of a figure column among the metrics (nofbc_max_dd ... fbc_final_dth); -1 when the
/// name is none of them.
int sweepMetricColumn(const std::string& name);

/// The metric names, comma-separated, for messages.
std::string sweepMetricNames();

/// The figure of a metric column; false when the run has no figures.
bool sweepMetricValue(const MechanismResult& result, int column, double& value);

/// Appends the rows of types 1, 2 and 3 of one grid point. Runs without figures leave
/// records, end_time and the figures empty; with theory, the theory's columns follow
/// (empty where the conditions were refused or the steady value is not defined).
void appendSweepRows(std::string& out, const GridValues& values, const PointResult& result,
                     bool theory = false);

}  // namespace agv
