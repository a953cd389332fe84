// The offscreen context.
#include "offscreen_gl.h"

OffscreenGl::OffscreenGl(int width, int height)
    : width_(width),
      pixels_(static_cast<std::size_t>(width) * height * 4),
      context_(OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr)) {
  if (context_ != nullptr &&
      OSMesaMakeCurrent(context_, pixels_.data(), GL_UNSIGNED_BYTE, width, height)) {
    OSMesaPixelStore(OSMESA_Y_UP, 1);
    current_ = true;
  }
}

OffscreenGl::~OffscreenGl() {
  if (context_ != nullptr) {
    OSMesaMakeCurrent(nullptr, nullptr, GL_UNSIGNED_BYTE, 0, 0);
    OSMesaDestroyContext(context_);
  }
}
