// The matrix renderer: track colours and tints, the raised current column, the set-back accent.
#include "gl/renderer.h"

#include <cmath>

#include "core/saver.h"
#include "gl/gl.h"
#include "gl/scene.h"

namespace {

struct Colour {
  float red;
  float green;
  float blue;
};

Colour BoxColour(const Frame& frame, int track, int step) {
  const double e = std::sin(track * 4.3255) * 0.4;
  Colour c{1.0f, static_cast<float>(0.5 - e), static_cast<float>(0.5 + e)};
  if (frame.PatternMatrix[track * kSteps + step] == 0) {
    // Off cells fade most of the way toward white.
    c.green = static_cast<float>(c.green + (1.0f - c.green) * 0.8);
    c.blue = static_cast<float>(c.blue + (1.0f - c.blue) * 0.8);
  }
  if (step == frame.currentStep) {
    c.red = 1.0f;
    c.green = static_cast<float>(c.green + (1.0f - c.green) * 0.48);
    c.blue = static_cast<float>(c.blue + (0.6f - c.blue) * 0.48);
  }
  if (frame.trackMuted[track] != 0) {
    c.red = 0.632f;
    c.green = static_cast<float>(c.green + (1.0f - c.green) * 0.368);
    c.blue = static_cast<float>(c.blue - c.blue * 0.368);
  }
  return c;
}

void DrawGrid(const Frame& frame) {
  glPushMatrix();
  glScalef(1.5125f, 1.0f, 1.5f);
  for (int track = 0; track < frame.trackCount; ++track) {
    for (int step = 0; step < kSteps; ++step) {
      const Colour c = BoxColour(frame, track, step);
      glColor4f(c.red, c.green, c.blue, 1.0f);
      glPushMatrix();
      glTranslatef(static_cast<float>((track - (frame.trackCount - 1) * 0.5) * 0.5), -0.1f,
                   static_cast<float>(step - 3.5));
      if (track == frame.accentTrack) {
        glTranslatef(0.0f, 0.0f, -0.3f);
      }
      if (step == frame.currentStep) {
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

void RenderFrame(const Frame& frame) {
  ApplyLook(frame.dayMode, frame.background);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  DrawScene(frame);
  glFlush();
}

void DrawScene(const Frame& frame) {
  glLoadIdentity();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_BLEND);
  PlaceCamera(frame.camera);

  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);

  // One camera for every monitor: each shows the same moment.
  if (frame.monitors.size() < 2) {
    DrawGrid(frame);
  } else {
    for (const Viewport& v : frame.monitors) {
      glViewport(v.x, v.y, v.width, v.height);
      DrawGrid(frame);
    }
  }
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
