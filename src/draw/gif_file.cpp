#include "draw/gif_file.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace agv {

namespace {

/// Bytes per RGB pixel.
constexpr int kRgbBytes = 3;
/// Most palette colours; one index stays free for transparency.
constexpr std::size_t kMaxColours = 255;
/// The NETSCAPE2.0 application extension: loop the animation forever.
constexpr unsigned char kLoopForever[] = {1, 0, 0};
constexpr char kLoopExtensionName[] = "NETSCAPE2.0";

/// giflib's output function: appends to the animation's bytes.
int appendBytes(GifFileType* gif, const GifByteType* data, int length) {
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    bytes->insert(bytes->end(), data, data + length);
    return length;
}

int paletteSize(std::size_t colours) {
    int size = 2;
    while (static_cast<std::size_t>(size) < colours)
        size *= 2;
    return size;
}

}  // namespace

GifAnimation::~GifAnimation() {
    discard();
}

void GifAnimation::discard() {
    if (gif_ != nullptr) {
        int code = 0;
        EGifCloseFile(gif_, &code);
        gif_ = nullptr;
    }
    bytes_.clear();
}

bool GifAnimation::failed(const char* step, std::string& error) {
    const int code = gif_ != nullptr ? gif_->Error : 0;
    const char* reason = GifErrorString(code);
    error =
        std::string("cannot encode the GIF (") + step + "): " + (reason != nullptr ? reason : "?");
    discard();
    return false;
}

bool GifAnimation::open(int width, int height, const std::vector<PaletteColour>& palette,
                        std::string& error) {
    discard();
    width_ = width;
    height_ = height;
    palette_ = palette;
    previous_.clear();
    lastColour_ = kNoColour;
    if (width <= 0 || height <= 0 || palette.empty() || palette.size() > kMaxColours) {
        error = "a GIF needs a picture size and 1 to 255 colours";
        return false;
    }
    int code = 0;
    gif_ = EGifOpen(&bytes_, appendBytes, &code);
    if (gif_ == nullptr) {
        error = std::string("cannot encode the GIF: ") + GifErrorString(code);
        discard();
        return false;
    }
    EGifSetGifVersion(gif_, true);

    // The palette, then the transparent index, padded to a power of two.
    const int size = paletteSize(palette.size() + 1);
    ColorMapObject* map = GifMakeMapObject(size, nullptr);
    if (map == nullptr) return failed("palette", error);
    for (int i = 0; i < size; ++i) {
        const PaletteColour c =
            static_cast<std::size_t>(i) < palette.size() ? palette[i] : palette[0];
        map->Colors[i] = GifColorType{c[0], c[1], c[2]};
    }
    const int written = EGifPutScreenDesc(gif_, width, height, size, 0, map);
    GifFreeMapObject(map);
    if (written == GIF_ERROR) return failed("screen", error);
    if (EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, sizeof kLoopExtensionName - 1, kLoopExtensionName) ==
            GIF_ERROR ||
        EGifPutExtensionBlock(gif_, sizeof kLoopForever, kLoopForever) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif_) == GIF_ERROR) {
        return failed("loop", error);
    }
    return true;
}

std::uint8_t GifAnimation::paletteIndex(const std::uint8_t* px) {
    const std::uint32_t colour =
        (std::uint32_t{px[0]} << 16) | (std::uint32_t{px[1]} << 8) | std::uint32_t{px[2]};
    if (colour == lastColour_) return lastIndex_;
    // Exact colours map to their index; others (none in the window's pictures) to the nearest
    // colour, never dithered.
    long bestDistance = -1;
    for (std::size_t i = 0; i < palette_.size(); ++i) {
        long distance = 0;
        for (int c = 0; c < kRgbBytes; ++c) {
            const long d = static_cast<long>(px[c]) - palette_[i][c];
            distance += d * d;
        }
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            lastIndex_ = static_cast<std::uint8_t>(i);
        }
    }
    lastColour_ = colour;
    return lastIndex_;
}

bool GifAnimation::addFrame(const std::vector<std::uint8_t>& rgb, int delay, std::string& error) {
    if (gif_ == nullptr) {
        error = "no GIF open";
        return false;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width_) * kRgbBytes;
    if (rgb.size() != rowBytes * static_cast<std::size_t>(height_)) {
        error = "picture size does not match the GIF";
        discard();
        return false;
    }
    const auto pixel = [&](const std::vector<std::uint8_t>& picture, int x, int y) {
        return &picture[static_cast<std::size_t>(y) * rowBytes +
                        static_cast<std::size_t>(x) * kRgbBytes];
    };
    const bool first = previous_.empty();
    const auto same = [&](int x, int y) {
        return !first && std::memcmp(pixel(rgb, x, y), pixel(previous_, x, y), kRgbBytes) == 0;
    };

    // The rectangle that changed since the previous frame (all of the first frame); unchanged
    // pixels in it are transparent.
    int left = 0, top = 0, right = width_ - 1, bottom = height_ - 1;
    int transparent = NO_TRANSPARENT_COLOR;
    if (!first) {
        left = width_;
        right = -1;
        top = -1;
        for (int y = 0; y < height_; ++y) {
            if (std::memcmp(pixel(rgb, 0, y), pixel(previous_, 0, y), rowBytes) == 0) continue;
            if (top < 0) top = y;
            bottom = y;
            int x = 0;
            while (x < left && same(x, y))
                ++x;
            left = std::min(left, x);
            x = width_ - 1;
            while (x > right && same(x, y))
                --x;
            right = std::max(right, x);
        }
        if (top < 0) left = right = top = bottom = 0;  // unchanged: one transparent pixel
        transparent = static_cast<int>(palette_.size());
    }
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = delay;
    control.TransparentColor = transparent;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
        GIF_ERROR) {
        return failed("frame", error);
    }
    const int w = right - left + 1, h = bottom - top + 1;
    if (EGifPutImageDesc(gif_, left, top, w, h, false, nullptr) == GIF_ERROR) {
        return failed("frame", error);
    }
    std::vector<GifPixelType> line(static_cast<std::size_t>(w));
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            line[x - left] = same(x, y) ? static_cast<GifPixelType>(transparent)
                                        : paletteIndex(pixel(rgb, x, y));
        }
        if (EGifPutLine(gif_, line.data(), w) == GIF_ERROR) return failed("frame", error);
    }
    previous_ = rgb;
    return true;
}

bool GifAnimation::finish(std::vector<std::uint8_t>& encoded, std::string& error) {
    if (gif_ == nullptr) {
        error = "no GIF open";
        return false;
    }
    int code = 0;
    const int closed = EGifCloseFile(gif_, &code);
    gif_ = nullptr;
    if (closed == GIF_ERROR) {
        error = std::string("cannot encode the GIF: ") + GifErrorString(code);
        discard();
        return false;
    }
    encoded.swap(bytes_);
    bytes_.clear();
    return true;
}

}  // namespace agv
