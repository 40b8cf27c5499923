// Colour constants of the window picture (RGBA; blending is never enabled, so alpha
// plays no part).
#pragma once

namespace agv {

struct Rgba {
    float r, g, b, a;
};

inline bool operator==(const Rgba& p, const Rgba& q) {
    return p.r == q.r && p.g == q.g && p.b == q.b && p.a == q.a;
}

/// Theoretical trajectory.
inline constexpr Rgba colorRed{1.0f, 0.0f, 0.0f, 0.0f};
/// Vehicle with feedback control.
inline constexpr Rgba colorGreen{0.0f, 1.0f, 0.0f, 0.0f};
/// Vehicle without feedback control.
inline constexpr Rgba colorBlue{0.0f, 0.0f, 1.0f, 0.0f};
/// Plot panel background, wheels and motors of the figures.
inline constexpr Rgba colorWhite{1.0f, 1.0f, 1.0f, 0.0f};
/// Grid, axes, outlines, marks and all text.
inline constexpr Rgba colorBlack{0.0f, 0.0f, 0.0f, 0.0f};

}  // namespace agv
