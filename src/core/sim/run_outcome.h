// What a computation ended with, as a value the front ends put in words.
#pragma once

namespace agv {

enum class RunStatus {
    kDone,           ///< every type computed and recorded
    kStoreOverflow,  ///< a type needed more records than the store holds (type, record)
    kDiverged,       ///< a type's FBC vehicle left the path (type, record, time)
    kStopped,        ///< the caller asked the computation to stop (type, record, time)
};

struct RunOutcome {
    RunStatus status = RunStatus::kDone;
    /// Curve number of the path.
    int curveNumber = 0;
    /// Vehicle type (1-3) that overflowed the store or diverged first; the last one computed
    /// when done.
    int vehicleType = 0;
    /// Record index that did not fit the store; the last record kept before a divergence or
    /// a stop.
    int record = 0;
    /// Start of the integration step in which a type diverged; time of the last record
    /// before a stop [s].
    double time = 0.0;
    /// Path length [m].
    double length = 0.0;
    /// Records per type the store holds, for an overflow.
    double limit = 0.0;

    bool done() const { return status == RunStatus::kDone; }
};

}  // namespace agv
