// The matrix renderer: track colours and tints, the raised current column, the set-back accent.
#include "gl/renderer.h"

#include <cmath>

#include "base/clock.h"
#include "core/sequencer.h"
#include "core/shared_state.h"
#include "gl/gl.h"
#include "gl/scene.h"

namespace {

// Replaced only between frames, at start and on a display change; a frame only reads it.
std::vector<Viewport> monitorViewports;

struct Colour {
  float red;
  float green;
  float blue;
};

Colour BoxColour(int track, int step) {
  const double e = std::sin(track * 4.3255) * 0.4;
  Colour c{1.0f, static_cast<float>(0.5 - e), static_cast<float>(0.5 + e)};
  if (engine.PatternMatrix[track * kSteps + step] == 0) {
    // Off cells fade most of the way toward white.
    c.green = static_cast<float>(c.green + (1.0f - c.green) * 0.8);
    c.blue = static_cast<float>(c.blue + (1.0f - c.blue) * 0.8);
  }
  if (step == engine.currentStep) {
    c.red = 1.0f;
    c.green = static_cast<float>(c.green + (1.0f - c.green) * 0.48);
    c.blue = static_cast<float>(c.blue + (0.6f - c.blue) * 0.48);
  }
  if (engine.trackMuted[track] != 0) {
    c.red = 0.632f;
    c.green = static_cast<float>(c.green + (1.0f - c.green) * 0.368);
    c.blue = static_cast<float>(c.blue - c.blue * 0.368);
  }
  return c;
}

void DrawGrid() {
  glPushMatrix();
  glScalef(1.5125f, 1.0f, 1.5f);
  for (int track = 0; track < engine.trackCount; ++track) {
    for (int step = 0; step < kSteps; ++step) {
      const Colour c = BoxColour(track, step);
      glColor4f(c.red, c.green, c.blue, 1.0f);
      glPushMatrix();
      glTranslatef(static_cast<float>((track - (engine.trackCount - 1) * 0.5) * 0.5), -0.1f,
                   static_cast<float>(step - 3.5));
      if (track == engine.accentTrack) {
        glTranslatef(0.0f, 0.0f, -0.3f);
      }
      if (step == engine.currentStep) {
        glTranslatef(0.0f, 0.2f, 0.0f);
        glScalef(1.0f, 1.1f, 1.3f);
      }
      glScalef(0.4f, 0.4f, 1.0f);
      glTranslatef(0.0f, 0.05f, 0.0f);
      DrawBox(0.5f, 0.5f, 0.5f);
      glPopMatrix();
    }
  }
  glPopMatrix();
}

}  // namespace

void SetMonitorViewports(const std::vector<Viewport>& viewports) {
  monitorViewports = viewports;
}

void RenderFrame() {
  ApplyLook();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  DrawScene();
  glFlush();
}

void DrawScene() {
  glLoadIdentity();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_BLEND);
  frameTimeMs = frameClock != nullptr ? frameClock->Milliseconds() : 0;
  UpdateCamera();

  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);

  // The camera, the spin and the ticks once per frame: every monitor shows the same moment.
  if (monitorViewports.size() < 2) {
    DrawGrid();
  } else {
    for (const Viewport& v : monitorViewports) {
      glViewport(v.x, v.y, v.width, v.height);
      DrawGrid();
    }
  }

  SequencerTick();
  SequencerTick();
}

void DrawBox(float hx, float hy, float hz) {
  glPushMatrix();
  glBegin(GL_QUADS);
  glNormal3f(0.0f, 1.0f, 0.0f);  // top
  glVertex3f(-hx, hy, -hz);
  glVertex3f(-hx, hy, hz);
  glVertex3f(hx, hy, hz);
  glVertex3f(hx, hy, -hz);
  glNormal3f(0.0f, -1.0f, 0.0f);  // bottom
  glVertex3f(-hx, -hy, -hz);
  glVertex3f(hx, -hy, -hz);
  glVertex3f(hx, -hy, hz);
  glVertex3f(-hx, -hy, hz);
  glNormal3f(1.0f, 0.0f, 0.0f);  // right
  glVertex3f(hx, -hy, -hz);
  glVertex3f(hx, hy, -hz);
  glVertex3f(hx, hy, hz);
  glVertex3f(hx, -hy, hz);
  glNormal3f(-1.0f, 0.0f, 0.0f);  // left
  glVertex3f(-hx, -hy, -hz);
  glVertex3f(-hx, -hy, hz);
  glVertex3f(-hx, hy, hz);
  glVertex3f(-hx, hy, -hz);
  glNormal3f(0.0f, 0.0f, 1.0f);  // front
  glVertex3f(-hx, -hy, hz);
  glVertex3f(hx, -hy, hz);
  glVertex3f(hx, hy, hz);
  glVertex3f(-hx, hy, hz);
  glNormal3f(0.0f, 0.0f, -1.0f);  // back
  glVertex3f(-hx, -hy, -hz);
  glVertex3f(-hx, hy, -hz);
  glVertex3f(hx, hy, -hz);
  glVertex3f(hx, -hy, -hz);
  glEnd();
  glPopMatrix();
}
