// The records the 1FDW1FS vehicle needs at least to drive a path, bounded before computing
// it. Its front wheel drives at V along the steering angle φ = atan(T·κ), so the vehicle
// advances at V·cos φ, and V drops below Vw where the steering cannot keep up at ωmax. On a
// path that bends sharply and often (petals, waves or a whole path smaller than the vehicle)
// it would run out of the store's records; a path whose bound exceeds them is refused.
#pragma once

namespace agv {

struct SimulationSettings;

/// A lower bound of the index of the end record the theoretical 1FDW1FS vehicle reaches on
/// curve I with the settings' constants (the slowest of the three mechanisms). Its time
/// per length is max(1/(c·Vw), c²·T·|dκ/ds|/ωmax) with c = cos φ = 1/√(1 + (T·κ)²); over a
/// stretch of path with chord Δ, tangent turn Δθ (reduced to one half-turn) and change Δφ
/// of atan(T·κ) that time is at least max(√(Δ² + (T·Δθ)²)/Vw, |Δφ|/ωmax), whatever the path
/// does between. Summed over the length sum's panels up to where the integration's loop can
/// end (Vw·h before the path end, h = dt/5), the end record lying one after the whole
/// records of that time (derivation: docs/theory.md, section 10, "Records a path needs at least").
/// Stops once it reaches `enough`, which it then returns; a part that is no number bounds
/// nothing. The curve is to have passed the length check; prepares it on a copy: writes
/// nothing.
double recordsAtLeast(const SimulationSettings& settings, int curveNumber, double enough);

}  // namespace agv
