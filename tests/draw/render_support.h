// Rendering pictures in the draw tests: one drawing window per test binary, pictures
// read back from the back buffer and probed in window units, and contexts filled by a
// real computation.
#pragma once

#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/common/computation.h"
#include "app/common/context.h"
#include "app/common/draw_context.h"
#include "app/console/dialogue.h"
#include "app/console/path_dialogue.h"
#include "draw/frame.h"
#include "draw/gl_backend.h"
#include "draw/gl_window.h"
#include "path/arc_length.h"
#include "path/curve_catalog.h"
#include "path/path_length.h"
#include "sim/scenario.h"

namespace agvtest {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "rgb(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};

// Opens the drawing window the first time (GLUT starts once per process) and makes it
// current.
inline void useDrawingWindow() {
    static int window = 0;
    if (window == 0) {
        char name[] = "agv_draw_test";
        char* argv[] = {name, nullptr};
        int argc = 1;
        if (!agv::initGlut(argc, argv)) {
            ADD_FAILURE() << "no X display";
            std::abort();
        }
        window = agv::createDrawingWindow();
        // Pictures are read from the back buffer; hidden, the window covers no other.
        glutHideWindow();
        glutMainLoopEvent();
    }
    glutSetWindow(window);
}

class Picture {
  public:
    explicit Picture(std::vector<std::uint8_t> rgb) : rgb_(std::move(rgb)) {}

    static int column(double x) { return clampPx(static_cast<int>(std::floor((x + 1.0) * 400.0))); }
    static int row(double y) { return clampPx(static_cast<int>(std::floor((1.0 - y) * 400.0))); }

    // Pixel by column and row (row 0 at the top).
    Rgb pixel(int col, int r) const {
        const size_t i = (static_cast<size_t>(r) * agv::kWindowSize + col) * 3;
        return {rgb_[i], rgb_[i + 1], rgb_[i + 2]};
    }
    // Pixel under the window point (x, y).
    Rgb at(double x, double y) const { return pixel(column(x), row(y)); }

    // Pixels of colour c in the window box [x0, x1] × [y0, y1].
    int count(Rgb c, double x0, double y0, double x1, double y1) const {
        int n = 0;
        for (int r = row(y1); r <= row(y0); ++r) {
            for (int col = column(x0); col <= column(x1); ++col)
                n += pixel(col, r) == c;
        }
        return n;
    }
    // Whether colour c lies within d pixels of the window point (x, y).
    bool near(Rgb c, double x, double y, int d) const {
        const int c0 = column(x), r0 = row(y);
        for (int r = r0 - d; r <= r0 + d; ++r) {
            for (int col = c0 - d; col <= c0 + d; ++col) {
                if (clampPx(r) == r && clampPx(col) == col && pixel(col, r) == c) return true;
            }
        }
        return false;
    }

    std::uint64_t hash() const {
        std::uint64_t h = 1469598103934665603ull;
        for (std::uint8_t b : rgb_)
            h = (h ^ b) * 1099511628211ull;
        return h;
    }

    const std::vector<std::uint8_t>& rgb() const { return rgb_; }

  private:
    static int clampPx(int v) {
        return v < 0 ? 0 : (v >= agv::kWindowSize ? agv::kWindowSize - 1 : v);
    }
    std::vector<std::uint8_t> rgb_;
};

// RGB pixels of a PNG file (empty when it cannot be read).
inline std::vector<std::uint8_t> readPngFile(const std::string& file, int& width, int& height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, file.c_str()) == 0) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return rgb;
}

inline Picture renderFrame(const agv::AgvContext& ctx,
                           agv::CaptionFormat captions = agv::CaptionFormat::kWindow) {
    useDrawingWindow();
    agv::drawFrameGl(agv::sceneOf(ctx, captions));
    return Picture(agv::readBackBuffer(agv::kWindowSize, agv::kWindowSize));
}

// A context after start-up, with the given error and path, computed as the dialogue does.
// values holds the curve's constants in the dialogue's order (nullptr: keep the defaults).
inline std::unique_ptr<agv::AgvContext> computedContext(char errorNumber, double v1, double v2,
                                                        int curve = 1,
                                                        const double* values = nullptr) {
    auto ctx = std::make_unique<agv::AgvContext>();
    std::ostringstream discard;
    ctx->out = &discard;
    agv::initialiseRun(*ctx);
    agv::Scenario scenario;
    scenario.errors = agv::onlyError(agv::mechanismErrorOf(errorNumber - '0'), v1, v2);
    scenario.curveNumber = curve;
    if (values != nullptr) {
        agv::setCurveConstants(scenario, curve, values, agv::kMaxCurveConstants);
    }
    EXPECT_TRUE(agv::useScenario(*ctx, scenario).accepted());
    EXPECT_TRUE(agv::computeTrajectories(*ctx).done());
    ctx->out = &std::cout;
    return ctx;
}

inline agv::Vec2 windowOf(const agv::AgvContext& ctx, double x, double y) {
    double w[2];
    agv::toWindow(ctx.view, x, y, w);
    return {w[0], w[1]};
}

}  // namespace agvtest
