// The view state into GL: viewport, projection, camera, clear colour and fog.
#include "gl/scene.h"

#include "core/saver.h"
#include "core/view.h"
#include "gl/gl.h"

namespace {

// The fixed orthographic box: it does not follow the window's aspect ratio.
void LoadOrthographicBox() {
  glLoadIdentity();
  glOrtho(-10.0, 10.0, -6.666, 6.666, -1000.0, 1000.0);
}

}  // namespace

void SetUpScene(Saver& saver, std::int32_t width, std::int32_t height) {
  SetUpView(saver.view, saver.random, saver.saverContext.rotation());
  ResizeScene(width, height);
  glMatrixMode(GL_PROJECTION);
  LoadOrthographicBox();
  glMatrixMode(GL_MODELVIEW);
  ApplyLook(saver.view.dayMode, saver.view.background);
  glEnable(GL_FOG);
}

void ResizeScene(std::int32_t width, std::int32_t height) {
  glViewport(0, 0, width, height);
}

void PlaceCamera(const Camera& camera) {
  glMatrixMode(GL_PROJECTION);
  LoadOrthographicBox();
  glTranslatef(0.0f, 0.0f, camera.viewDepth);
  glRotatef(camera.tableTilt, 1.0f, 0.0f, 0.0f);
  glMatrixMode(GL_MODELVIEW);
  glRotatef(camera.tableSpin, 0.0f, 1.0f, 0.0f);
}

void ApplyLook(bool dayMode, const ClearColour& background) {
  const ClearColour& clear = background;
  const ClearColour& fog = dayMode ? kDayFogColour : kNightColour;
  glClearColor(clear.red, clear.green, clear.blue, 1.0f);
  const GLfloat fogColour[4] = {fog.red, fog.green, fog.blue, 1.0f};
  glFogfv(GL_FOG_COLOR, fogColour);
  glFogf(GL_FOG_START, 60.0f);
  glFogf(GL_FOG_END, 110.0f);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_DENSITY, 1.0f);
}
