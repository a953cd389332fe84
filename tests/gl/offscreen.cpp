// The offscreen context the GL tests draw into, made once for the process.
#include "offscreen.h"

#include "offscreen_gl.h"

namespace {

OffscreenGl& TheOffscreen() {
  static OffscreenGl offscreen(kWidth, kHeight);
  return offscreen;
}

}  // namespace

void SceneTest::SetUp() {
  ASSERT_TRUE(TheOffscreen().ok());
}

void SceneTest::Show(std::uint32_t time) {
  RenderFrame(AdvanceFrame(saver, time));
  glFinish();
}

const std::uint8_t* SceneTest::Pixel(int x, int y) {
  return TheOffscreen().Pixel(x, y);
}
