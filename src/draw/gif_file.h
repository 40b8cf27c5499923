// An animation of RGB pictures with a fixed palette as a GIF file's bytes: no dithering,
// each frame stored as the rectangle that changed, unchanged pixels in it transparent.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct GifFileType;

namespace agv {

using PaletteColour = std::array<std::uint8_t, 3>;

/// A colour key no RGB pixel has (0xRRGGBB keys use 24 bits).
inline constexpr std::uint32_t kNoColour = 0xffffffffu;

class GifAnimation {
  public:
    GifAnimation() = default;
    ~GifAnimation();
    GifAnimation(const GifAnimation&) = delete;
    GifAnimation& operator=(const GifAnimation&) = delete;

    /// Starts a looping animation of width × height pictures drawn in the palette's colours
    /// (at most 255), encoded in memory. False with the reason in error.
    bool open(int width, int height, const std::vector<PaletteColour>& palette, std::string& error);
    /// Adds one RGB picture (top row first) shown for delay hundredths of a second. A pixel
    /// of another colour takes the nearest palette colour.
    bool addFrame(const std::vector<std::uint8_t>& rgb, int delay, std::string& error);
    /// Completes the animation and hands over its bytes.
    bool finish(std::vector<std::uint8_t>& encoded, std::string& error);

  private:
    void discard();
    bool failed(const char* step, std::string& error);
    /// The palette index of an RGB pixel.
    std::uint8_t paletteIndex(const std::uint8_t* px);

    GifFileType* gif_ = nullptr;
    /// The file's bytes so far.
    std::vector<std::uint8_t> bytes_;
    int width_ = 0, height_ = 0;
    std::vector<PaletteColour> palette_;
    /// The previous picture (RGB).
    std::vector<std::uint8_t> previous_;
    /// The last colour looked up (0xRRGGBB; none yet) and its index.
    std::uint32_t lastColour_ = kNoColour;
    std::uint8_t lastIndex_ = 0;
};

}  // namespace agv
