// Real GL for the tests and the benchmarks: an OSMesa context current on a buffer of its own for as
// long as it lives, read back from memory.
#pragma once

#include <GL/osmesa.h>

#include <cstdint>
#include <vector>

class OffscreenGl {
 public:
  OffscreenGl(int width, int height);
  ~OffscreenGl();
  OffscreenGl(const OffscreenGl&) = delete;
  OffscreenGl& operator=(const OffscreenGl&) = delete;

  bool ok() const { return current_; }
  // The RGBA bytes of a pixel, bottom row first.
  const std::uint8_t* Pixel(int x, int y) const {
    return pixels_.data() + (static_cast<std::size_t>(y) * width_ + x) * 4;
  }

 private:
  int width_;
  std::vector<std::uint8_t> pixels_;
  OSMesaContext context_;
  bool current_ = false;
};
