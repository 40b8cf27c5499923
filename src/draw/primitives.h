// Drawing and text primitives in window units (−1 to 1 across and up the window).
// Each sets its own colour and leaves no transformation behind.
#pragma once

#include <vector>

#include "draw/colors.h"
#include "draw/shapes.h"

namespace agv {

/// Pixels per window unit of the 800 × 800 window; line widths are given in window units.
inline constexpr double kPixelsPerUnit = 400.0;
/// Line width left behind by every thick line [px].
inline constexpr float kBaseLineWidthPx = 2.0f;
/// Digits of every number shown in the window: digit d is character d.
inline constexpr char digitTable[] = "0123456789";

/// The two GLUT bitmap fonts of the window.
enum class Font { kHelvetica12, kHelvetica18 };

/// One segment p–q with the current line width.
void drawLine(Vec2 p, Vec2 q, Rgba color);
/// One segment p–q, w window units wide; afterwards the line width is 2 pixels.
void drawThickLine(Vec2 p, Vec2 q, double w, Rgba color);
/// Segments (ends[0], ends[1]), (ends[2], ends[3]), ... all w wide: the same picture as one
/// drawThickLine per segment, in one batch.
void drawThickLines(const std::vector<Vec2>& ends, double w, Rgba color);

void fillDisc(Vec2 c, double r, Rgba color);
void outlineCircle(Vec2 c, double r, Rgba color);
/// Half disc clockwise from angle a [rad], closed by its chord.
void fillHalfDisc(Vec2 c, double r, double a, Rgba color);
void outlineHalfCircle(Vec2 c, double r, double a, Rgba color);
/// Stadium centred on c, straight length L, width W, axis at angle a [rad].
void fillStadium(Vec2 c, double L, double W, double a, Rgba color);
void outlineStadium(Vec2 c, double L, double W, double a, Rgba color);
/// Rectangle of width w and height h with its corner at p, rotated by a [rad] about p.
void fillRect(Vec2 p, double w, double h, double a, Rgba color);
void outlineRect(Vec2 p, double w, double h, double a, Rgba color);
/// Body pentagon (see bodyVertices) about reference point p, rotated by a [rad].
void fillBody(Vec2 p, double L, double W, double b, double t, double a, Rgba color);

/// Black bitmap text with the first character's origin at (x, y); keeps the current
/// colour and raster position.
void drawText(float x, float y, Font font, const char* text);

/// Black grid in the frame at o rotated by angle: 2n + 1 lines each way, spacing dx
/// and dy; the two lines through o are 2 pixels wide, the others 1 pixel.
void drawGrid(Vec2 o, double angle, int n, double dx, double dy);

}  // namespace agv
