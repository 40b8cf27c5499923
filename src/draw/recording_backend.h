// A draw target that keeps the primitives of a picture in a flat list of numbers and a
// list of texts, for a canvas to replay. Vertices are stored in window units with their
// frame already applied.
//
// Layout of the numbers, one record after another:
//   kClear
//   kLines  widthPx r g b count  x0 y0 x1 y1 ...     (count points, joined in pairs)
//   kShape  mode widthPx r g b count  x0 y0 ...      (mode: 0 fill, 1 closed, 2 open outline)
//   kText   x y fontPx textIndex                     (textIndex into texts())
#pragma once

#include <string>
#include <vector>

#include "draw/draw_backend.h"

namespace agv {

class RecordingBackend final : public DrawBackend {
  public:
    enum Op { kClear = 1, kLines = 2, kShape = 3, kText = 4 };

    /// Pixel sizes of the two fonts [px].
    static constexpr double kSmallFontPx = 12.0;
    static constexpr double kLargeFontPx = 18.0;

    void clear() override;
    void lines(Vec2 origin, double angle, const std::vector<Vec2>& ends, float widthPx,
               Rgba color) override;
    void shape(ShapeMode mode, Vec2 origin, double angle, const std::vector<Vec2>& vertices,
               float widthPx, Rgba color) override;
    void text(float x, float y, Font font, const char* text) override;

    /// Forgets everything recorded.
    void reset();

    const std::vector<double>& numbers() const { return numbers_; }
    const std::vector<std::string>& texts() const { return texts_; }

  private:
    void points(Vec2 origin, double angle, const std::vector<Vec2>& vertices);

    std::vector<double> numbers_;
    std::vector<std::string> texts_;
};

}  // namespace agv
