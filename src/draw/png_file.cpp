#include "draw/png_file.h"

#include <png.h>

#include <cstring>

namespace agv {

bool encodePng(int width, int height, const std::vector<std::uint8_t>& rgb,
               std::vector<std::uint8_t>& encoded, std::string& error) {
    constexpr int kRgbBytes = 3;
    if (width <= 0 || height <= 0 ||
        rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * kRgbBytes) {
        error = "picture size does not match its pixels";
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    // The first call measures, the second encodes.
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), width * kRgbBytes,
                                  nullptr) == 0) {
        error = std::string("cannot encode the picture: ") + image.message;
        png_image_free(&image);
        return false;
    }
    encoded.resize(size);
    if (png_image_write_to_memory(&image, encoded.data(), &size, 0, rgb.data(), width * kRgbBytes,
                                  nullptr) == 0) {
        error = std::string("cannot encode the picture: ") + image.message;
        png_image_free(&image);
        return false;
    }
    encoded.resize(size);
    return true;
}

}  // namespace agv
