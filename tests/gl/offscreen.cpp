// The offscreen context the GL tests draw into.
#include "offscreen.h"

#include <vector>

namespace {

struct Offscreen {
  std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(kWidth * kHeight * 4);
  OSMesaContext gl = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);

  Offscreen() {
    OSMesaMakeCurrent(gl, pixels.data(), GL_UNSIGNED_BYTE, kWidth, kHeight);
    OSMesaPixelStore(OSMESA_Y_UP, 1);
  }
};

Offscreen& TheOffscreen() {
  static Offscreen* offscreen = new Offscreen;
  return *offscreen;
}

}  // namespace

void SceneTest::SetUp() {
  ASSERT_NE(TheOffscreen().gl, nullptr);
}

void SceneTest::Show(std::uint32_t time) {
  RenderFrame(AdvanceFrame(saver, time));
  glFinish();
}

const std::uint8_t* SceneTest::Pixel(int x, int y) {
  return TheOffscreen().pixels.data() + (static_cast<std::size_t>(y) * kWidth + x) * 4;
}
