#include "draw/gl_backend.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include "draw/frame.h"
#include "sim/model.h"

namespace agv {

namespace {

void setColor(Rgba c) {
    glColor4f(c.r, c.g, c.b, c.a);
}

// Emits the vertices in the frame placed at origin and turned by angle; the window's own
// frame needs no transformation.
void emit(GLenum mode, Vec2 origin, double angle, const std::vector<Vec2>& vertices) {
    const bool placed = origin.x != 0.0 || origin.y != 0.0 || angle != 0.0;
    if (placed) {
        glPushMatrix();
        glTranslated(origin.x, origin.y, 0.0);
        glRotated(angle * kDegPerRad, 0.0, 0.0, 1.0);
    }
    glBegin(mode);
    for (const Vec2& v : vertices)
        glVertex2d(v.x, v.y);
    glEnd();
    if (placed) glPopMatrix();
}

}  // namespace

void GlBackend::clear() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

void GlBackend::lines(Vec2 origin, double angle, const std::vector<Vec2>& ends, float widthPx,
                      Rgba color) {
    glLineWidth(widthPx);
    setColor(color);
    // Wide segments of GL_LINES are rasterised one by one, exactly as separate batches.
    emit(GL_LINES, origin, angle, ends);
}

void GlBackend::shape(ShapeMode mode, Vec2 origin, double angle, const std::vector<Vec2>& vertices,
                      float widthPx, Rgba color) {
    GLenum glMode = GL_POLYGON;
    if (mode != ShapeMode::kFill) {
        glLineWidth(widthPx);
        glMode = mode == ShapeMode::kClosedOutline ? GL_LINE_LOOP : GL_LINE_STRIP;
    }
    setColor(color);
    // Shapes always go through their own frame, as the vertex lists are made for.
    glPushMatrix();
    glTranslated(origin.x, origin.y, 0.0);
    glRotated(angle * kDegPerRad, 0.0, 0.0, 1.0);
    glBegin(glMode);
    for (const Vec2& v : vertices)
        glVertex2d(v.x, v.y);
    glEnd();
    glPopMatrix();
}

void GlBackend::text(float x, float y, Font font, const char* text) {
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

void drawFrameGl(const Scene& scene) {
    GlBackend gl;
    drawFrame(scene, gl);
}

void displayFrame(const Scene& scene) {
    drawFrameGl(scene);
    glFlush();
    glutSwapBuffers();
}

}  // namespace agv
