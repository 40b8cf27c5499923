// Output of a scripted run: the trajectory store as CSV and a per-type summary table.
#pragma once

#include <array>
#include <ostream>
#include <string>

#include "sim/trajectory_store.h"

namespace agv {

/// Header line of the trajectory CSV (without the line break).
extern const char* const kTrajectoryCsvHeader;

/// Writes the header and one row per record 0..recordCount of types 1, 2 and 3. t is
/// n·dt, and endTime on the last record of a type; every number is written in the shortest
/// form that reads back bit for bit. dt in seconds. A run in which a type diverged ends
/// with the lines of trajectoryCsvOutcome.
void writeTrajectoryCsv(std::ostream& out, const TrajectoryStore& store, double dt);
/// Appends the rows of type index k (0-2) of that CSV to out.
void appendTrajectoryRows(std::string& out, const TrajectoryStore& store, int k, double dt);
/// The last lines of the CSV of a run in which types diverged, one per such type:
/// "# " and why it stopped where its rows end; empty when none did.
std::string trajectoryCsvOutcome(const TrajectoryStore& store);
/// Writes the header, the rows of the three types, formatted already, and the outcome
/// lines to the output target path (as writeTrajectoryCsvFile).
bool writeTrajectoryCsvRows(const std::string& path, const std::array<std::string, 3>& rows,
                            const std::string& outcome, std::string& error);

/// Writes the CSV to the output target path ("-": standard output; see OutputTarget). On
/// failure returns false with a message in error; a regular file is then left as it was.
bool writeTrajectoryCsvFile(const std::string& path, const TrajectoryStore& store, double dt,
                            std::string& error);

/// Key figures of one vehicle type of a computation.
struct TypeSummary {
    /// Records 0..lastRecord are valid.
    int lastRecord = 0;
    /// Time at which the theoretical vehicle reaches the path end, or of the last record
    /// of a type that diverged [s].
    double endTime = 0.0;
    /// The type's vehicle with feedback left the path after its last record.
    bool diverged = false;
    /// Start of the step in which it did [s].
    double divergedTime = 0.0;
    /// Final poses (s, θ, x, y, φ) of the theoretical, no-FBC and FBC vehicles.
    PoseRecord finalTheory{}, finalNoFbc{}, finalFbc{};
    /// Largest |dd| [m] and |dth| [rad] over all records, without and with FBC.
    double maxDdNoFbc = 0.0, maxDthNoFbc = 0.0;
    double maxDdFbc = 0.0, maxDthFbc = 0.0;
};

/// Figures of the three types, indexed by type - 1.
std::array<TypeSummary, 3> summariseTrajectories(const TrajectoryStore& store);

/// Prints the figures as an aligned table, one block per type.
void writeSummary(std::ostream& out, const std::array<TypeSummary, 3>& summary);

/// Prints the following figures of each type's FBC vehicle (sim/following_figures.h) as a
/// table, records every dt [s]; a type whose FBC vehicle left the path has none.
void writeFollowingFigures(std::ostream& out, const TrajectoryStore& store, double dt);

}  // namespace agv
