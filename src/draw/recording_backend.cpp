#include "draw/recording_backend.h"

namespace agv {

void RecordingBackend::reset() {
    numbers_.clear();
    texts_.clear();
}

void RecordingBackend::clear() {
    numbers_.push_back(kClear);
}

void RecordingBackend::points(Vec2 origin, double angle, const std::vector<Vec2>& vertices) {
    numbers_.push_back(static_cast<double>(vertices.size()));
    const bool placed = origin.x != 0.0 || origin.y != 0.0 || angle != 0.0;
    for (const Vec2& v : vertices) {
        const Vec2 w = placed ? placeInFrame(origin, angle, v) : v;
        numbers_.push_back(w.x);
        numbers_.push_back(w.y);
    }
}

void RecordingBackend::lines(Vec2 origin, double angle, const std::vector<Vec2>& ends,
                             float widthPx, Rgba color) {
    if (ends.empty()) return;
    numbers_.insert(numbers_.end(),
                    {static_cast<double>(kLines), widthPx, color.r, color.g, color.b});
    points(origin, angle, ends);
}

void RecordingBackend::shape(ShapeMode mode, Vec2 origin, double angle,
                             const std::vector<Vec2>& vertices, float widthPx, Rgba color) {
    if (vertices.empty()) return;
    numbers_.insert(numbers_.end(), {static_cast<double>(kShape), static_cast<double>(mode),
                                     widthPx, color.r, color.g, color.b});
    points(origin, angle, vertices);
}

void RecordingBackend::text(float x, float y, Font font, const char* text) {
    numbers_.insert(numbers_.end(), {static_cast<double>(kText), x, y,
                                     font == Font::kHelvetica18 ? kLargeFontPx : kSmallFontPx,
                                     static_cast<double>(texts_.size())});
    texts_.emplace_back(text);
}

}  // namespace agv
