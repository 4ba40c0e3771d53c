#pragma once
// A small PNG writer (no third-party code): 32-bit 0xAARRGGBB pixels in,
// an 8-bit palette image out when the picture has at most 256 colours,
// 24-bit RGB otherwise. Used by the command-line tool for review images.
#include <cstdint>
#include <string>
#include <vector>

namespace vorelux {

// `pixels` holds height rows of `stride` pixels each (stride >= width).
std::vector<uint8_t> encodePng(int width, int height, const uint32_t* pixels, int stride);
// Writes the PNG to `path`; false (with `error`) when the file cannot be written.
bool writePng(const std::string& path, int width, int height, const uint32_t* pixels, int stride,
              std::string& error);

} // namespace vorelux
