// The records the 1FDW1FS vehicle needs to drive a path, estimated before computing it.
// Its front wheel drives at V along the steering angle φ = atan(T·κ), so the vehicle
// advances at V·cos φ, and V drops below Vw where the steering cannot keep up at ωmax.
// On a path that bends sharply and often (petals, waves or a whole path smaller than the
// vehicle) it would need far more than the store's records, computed for seconds in vain.
#pragma once

namespace agv {

struct SimulationSettings;

/// Records [samples of dt] the theoretical 1FDW1FS vehicle needs from the start to the end
/// of curve I with the settings' constants (the slowest of the three mechanisms):
/// ∫ max(1/(c·Vw), c²·T·|dκ/ds|/ωmax) ds / dt with c = cos φ = 1/√(1 + (T·κ)²), summed at
/// the midpoints of the length sum's panels. The sum stops once it passes `enough`, which
/// it then returns, and is infinite when it is no number. The curve is to have passed the
/// length check; prepares it on a copy: writes nothing.
double recordsNeeded(const SimulationSettings& settings, int curveNumber, double enough);

}  // namespace agv
