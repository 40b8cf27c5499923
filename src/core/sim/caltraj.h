// Computes and records the trajectories of all three vehicle types.
#pragma once

#include <atomic>
#include <functional>

#include "sim/model.h"
#include "sim/motion_state.h"
#include "sim/run_data.h"
#include "sim/run_outcome.h"

namespace agv {

/// Computes the mechanism of type index k (0-2) on the prepared path and records it in
/// data.store; done, a store overflow with the type and the record that did not fit, or
/// diverged: the FBC vehicle left the path (a correction beyond its limit or no number,
/// or a value that is not finite), or the searches spent the type's work (kWorkPerType:
/// vehicles lost far from the path), and the type stops after the record before; or
/// stopped: *stop was set (read once per record), the records up to the last one kept.
RunOutcome computeMechanism(const Model& model, RunData& data, int k,
                            const std::atomic<bool>* stop = nullptr);

/// How caltraj runs the three types once the slip noise is drawn.
enum class TypeScheduling {
    kConcurrent,       ///< side by side, each in its own thread where there are threads
    kOneAfterAnother,  ///< 1, 2, 3 in the calling thread, stopping at an overflow
};

/// Draws the slip noise into data.noise when the slip is given (from its seed when there is
/// one), as caltraj does before the types; computeMechanism after it computes one type alone.
void drawSlipNoise(const Model& model, RunData& data);

/// Computes all three types for the model's path and mechanism errors: draws the slip
/// noise (when the slip is given; from its seed when there is one), then the types. The outcome is
/// stopped when stop (optional, set by another thread) ended a type, else that of the first type
/// (in type order) that overflows the store, else of the first that diverged, else done. The
/// records are the same either way; after an overflow the records of the other types are not to be
/// used. The path set-up and arc table of the current curve must be made before. typeDone, when
/// given, is called with the type index as soon as that type's records are complete, from the
/// thread that computed it (the types run side by side: it must touch only what belongs to that
/// type). A stopped run's records are not to be used.
RunOutcome caltraj(const Model& model, RunData& data,
                   TypeScheduling scheduling = TypeScheduling::kConcurrent,
                   const std::function<void(int)>& typeDone = {},
                   const std::atomic<bool>* stop = nullptr);

/// Writes record n of type index k from the state, the FBC reference point and the errors.
void recordSample(TrajectoryStore& store, int k, int n, const MotionState& state,
                  const MechanismRun& run);

}  // namespace agv
