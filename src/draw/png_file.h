// An RGB picture as PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace agv {

/// Encodes width × height RGB pixels (top row first) as a PNG file's bytes; on failure
/// returns false with the reason in error.
bool encodePng(int width, int height, const std::vector<std::uint8_t>& rgb,
               std::vector<std::uint8_t>& encoded, std::string& error);

}  // namespace agv
