// Writing an RGB picture to a PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace agv {

/// Writes width × height RGB pixels (top row first) to the output target path (a file
/// replaced whole, or a FIFO, device or "-" written in place); on failure returns false
/// with the reason in error.
bool writePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
              std::string& error);

}  // namespace agv
