// A small PNG writer for the rendered frames: 8-bit RGB, no interlace, one IDAT chunk.
#pragma once

#include <cstdint>
#include <string>

// Writes `width` × `height` RGB pixels, top row first, three bytes each, as a PNG file at `path`.
// False when the image cannot be compressed or the file cannot be written.
bool WritePng(const std::string& path, std::int32_t width, std::int32_t height,
              const std::uint8_t* rgb);
