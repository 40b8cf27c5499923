#include "draw/primitives.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include "sim/model.h"

namespace agv {

namespace {

/// Line width of the grid lines off the origin [px].
constexpr float kGridLineWidthPx = 1.0f;
/// Line width of the two grid lines through the origin [px].
constexpr float kGridAxisWidthPx = 2.0f;

void setColor(Rgba c) {
    glColor4f(c.r, c.g, c.b, c.a);
}

float pixelWidth(double w) {
    return static_cast<float>(w * kPixelsPerUnit);
}

// Emits the vertices of a shape in its frame placed at origin and turned by angle.
void drawShape(GLenum mode, Vec2 origin, double angle, const std::vector<Vec2>& vertices,
               Rgba color) {
    setColor(color);
    glPushMatrix();
    glTranslated(origin.x, origin.y, 0.0);
    glRotated(angle * kDegPerRad, 0.0, 0.0, 1.0);
    glBegin(mode);
    for (const Vec2& v : vertices)
        glVertex2d(v.x, v.y);
    glEnd();
    glPopMatrix();
}

}  // namespace

void drawLine(Vec2 p, Vec2 q, Rgba color) {
    setColor(color);
    glBegin(GL_LINES);
    glVertex2d(p.x, p.y);
    glVertex2d(q.x, q.y);
    glEnd();
}

void drawThickLine(Vec2 p, Vec2 q, double w, Rgba color) {
    glLineWidth(pixelWidth(w));
    drawLine(p, q, color);
    glLineWidth(kBaseLineWidthPx);
}

void drawThickLines(const std::vector<Vec2>& ends, double w, Rgba color) {
    if (ends.size() < 2) return;
    glLineWidth(pixelWidth(w));
    setColor(color);
    // Wide segments of GL_LINES are rasterised one by one, exactly as separate batches.
    glBegin(GL_LINES);
    for (const Vec2& v : ends)
        glVertex2d(v.x, v.y);
    glEnd();
    glLineWidth(kBaseLineWidthPx);
}

void fillDisc(Vec2 c, double r, Rgba color) {
    drawShape(GL_POLYGON, c, 0.0, circleVertices(r), color);
}

void outlineCircle(Vec2 c, double r, Rgba color) {
    drawShape(GL_LINE_LOOP, c, 0.0, circleVertices(r), color);
}

void fillHalfDisc(Vec2 c, double r, double a, Rgba color) {
    drawShape(GL_POLYGON, c, 0.0, halfCircleVertices(r, a), color);
}

void outlineHalfCircle(Vec2 c, double r, double a, Rgba color) {
    drawShape(GL_LINE_STRIP, c, 0.0, halfCircleVertices(r, a), color);
}

void fillStadium(Vec2 c, double L, double W, double a, Rgba color) {
    drawShape(GL_POLYGON, c, a, stadiumVertices(L, W), color);
}

void outlineStadium(Vec2 c, double L, double W, double a, Rgba color) {
    drawShape(GL_LINE_LOOP, c, a, stadiumVertices(L, W), color);
}

void fillRect(Vec2 p, double w, double h, double a, Rgba color) {
    drawShape(GL_POLYGON, p, a, rectVertices(w, h), color);
}

void outlineRect(Vec2 p, double w, double h, double a, Rgba color) {
    drawShape(GL_LINE_LOOP, p, a, rectVertices(w, h), color);
}

void fillBody(Vec2 p, double L, double W, double b, double t, double a, Rgba color) {
    drawShape(GL_POLYGON, p, a, bodyVertices(L, W, b, t), color);
}

void drawText(float x, float y, Font font, const char* text) {
    void* glutFont =
        font == Font::kHelvetica18 ? GLUT_BITMAP_HELVETICA_18 : GLUT_BITMAP_HELVETICA_12;
    // The current colour and raster position belong to GL_CURRENT_BIT.
    glPushAttrib(GL_CURRENT_BIT);
    setColor(colorBlack);
    glRasterPos2f(x, y);
    for (const char* c = text; *c != '\0'; ++c) {
        glutBitmapCharacter(glutFont, static_cast<unsigned char>(*c));
    }
    glPopAttrib();
}

void drawGrid(Vec2 o, double angle, int n, double dx, double dy) {
    setColor(colorBlack);
    glPushMatrix();
    glTranslated(o.x, o.y, 0.0);
    glRotated(angle * kDegPerRad, 0.0, 0.0, 1.0);
    // All lines are black, so the order in which they are laid down does not matter.
    glLineWidth(kGridLineWidthPx);
    glBegin(GL_LINES);
    for (int i = -n; i <= n; ++i) {
        if (i == 0) continue;
        glVertex2d(i * dx, -n * dy);
        glVertex2d(i * dx, n * dy);
    }
    for (int i = -n; i <= n; ++i) {
        if (i == 0) continue;
        glVertex2d(-n * dx, i * dy);
        glVertex2d(n * dx, i * dy);
    }
    glEnd();
    glLineWidth(kGridAxisWidthPx);
    glBegin(GL_LINES);
    glVertex2d(0.0, -n * dy);
    glVertex2d(0.0, n * dy);
    glVertex2d(-n * dx, 0.0);
    glVertex2d(n * dx, 0.0);
    glEnd();
    glPopMatrix();
}

}  // namespace agv
