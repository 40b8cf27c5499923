// Drawing and text primitives in window units (−1 to 1 across and up the window), built
// on a drawing backend. Each gives its own colour and line width.
#pragma once

#include <vector>

#include "draw/colors.h"
#include "draw/draw_backend.h"
#include "draw/shapes.h"

namespace agv {

/// Pixels per window unit of the 800 × 800 window; line widths are given in window units.
inline constexpr double kPixelsPerUnit = 400.0;
/// Width of plain lines and of outlines [px].
inline constexpr float kBaseLineWidthPx = 2.0f;
/// Digits of every number shown in the window: digit d is character d.
inline constexpr char digitTable[] = "0123456789";

/// One segment p–q, 2 pixels wide.
void drawLine(DrawBackend& b, Vec2 p, Vec2 q, Rgba color);
/// One segment p–q, w window units wide.
void drawThickLine(DrawBackend& b, Vec2 p, Vec2 q, double w, Rgba color);
/// Segments (ends[0], ends[1]), (ends[2], ends[3]), ... all w wide: the same picture as one
/// drawThickLine per segment, in one batch.
void drawThickLines(DrawBackend& b, const std::vector<Vec2>& ends, double w, Rgba color);

void fillDisc(DrawBackend& b, Vec2 c, double r, Rgba color);
void outlineCircle(DrawBackend& b, Vec2 c, double r, Rgba color);
/// Half disc clockwise from angle a [rad], closed by its chord.
void fillHalfDisc(DrawBackend& b, Vec2 c, double r, double a, Rgba color);
void outlineHalfCircle(DrawBackend& b, Vec2 c, double r, double a, Rgba color);
/// Stadium centred on c, straight length L, width W, axis at angle a [rad].
void fillStadium(DrawBackend& b, Vec2 c, double L, double W, double a, Rgba color);
void outlineStadium(DrawBackend& b, Vec2 c, double L, double W, double a, Rgba color);
/// Rectangle of width w and height h with its corner at p, rotated by a [rad] about p.
void fillRect(DrawBackend& b, Vec2 p, double w, double h, double a, Rgba color);
void outlineRect(DrawBackend& b, Vec2 p, double w, double h, double a, Rgba color);
/// Body pentagon (see bodyVertices) about reference point p, rotated by a [rad].
void fillBody(DrawBackend& b, Vec2 p, double L, double W, double bRear, double t, double a,
              Rgba color);

/// Black bitmap text with the first character's origin at (x, y).
void drawText(DrawBackend& b, float x, float y, Font font, const char* text);

/// Black grid in the frame at o rotated by angle: 2n + 1 lines each way, spacing dx
/// and dy; the two lines through o are 2 pixels wide, the others 1 pixel.
void drawGrid(DrawBackend& b, Vec2 o, double angle, int n, double dx, double dy);

}  // namespace agv
