// An offscreen OSMesa GL context for tests: real GL, read back as pixels and matrices.
#pragma once

#include <GL/osmesa.h>

#include <cstdint>
#include <vector>

class OffscreenContext {
 public:
  OffscreenContext(int width, int height)
      : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height * 4) {
    context_ = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);
    if (context_ != nullptr) {
      OSMesaMakeCurrent(context_, pixels_.data(), GL_UNSIGNED_BYTE, width_, height_);
      OSMesaPixelStore(OSMESA_Y_UP, 1);
    }
  }
  ~OffscreenContext() {
    if (context_ != nullptr) {
      OSMesaDestroyContext(context_);
    }
  }
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  bool ok() const { return context_ != nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }
  // RGBA bytes, bottom row first.
  const std::uint8_t* Pixel(int x, int y) const {
    return pixels_.data() + (static_cast<std::size_t>(y) * width_ + x) * 4;
  }
  const std::vector<std::uint8_t>& pixels() const { return pixels_; }

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> pixels_;
  OSMesaContext context_ = nullptr;
};
