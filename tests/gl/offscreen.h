// The GL tests' set-up: the run's fixture with an offscreen OSMesa context current (real GL, read
// back), made once for the process.
#pragma once

#include <cstdint>

#include "fixture.h"
#include "gl/gl.h"
#include "gl/renderer.h"
#include "gl/scene.h"

inline constexpr int kWidth = 640;
inline constexpr int kHeight = 480;

class SceneTest : public RunTest {
 protected:
  void SetUp() override;
  // The frame at `time`, drawn and finished.
  void Show(std::uint32_t time);

 public:
  // The RGBA bytes of a pixel, bottom row first.
  static const std::uint8_t* Pixel(int x, int y);
};
