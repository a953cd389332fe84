// The view state into GL: viewport, projection, camera, clear colour and fog.
#include "gl/scene.h"

#include "core/shared_state.h"
#include "core/view.h"
#include "gl/gl.h"

namespace {

// The fixed orthographic box: it does not follow the window's aspect ratio.
void LoadOrthographicBox() {
  glLoadIdentity();
  glOrtho(-10.0, 10.0, -6.666, 6.666, -1000.0, 1000.0);
}

}  // namespace

void SetUpScene(std::int32_t width, std::int32_t height) {
  SetUpView();
  ResizeScene(width, height);
  glMatrixMode(GL_PROJECTION);
  LoadOrthographicBox();
  glMatrixMode(GL_MODELVIEW);
  ApplyLook();
  glEnable(GL_FOG);
}

void ResizeScene(std::int32_t width, std::int32_t height) {
  glViewport(0, 0, width, height);
}

void UpdateCamera() {
  const Camera camera = NextCamera();
  glMatrixMode(GL_PROJECTION);
  LoadOrthographicBox();
  glTranslatef(0.0f, 0.0f, camera.viewDepth);
  glRotatef(camera.tableTilt, 1.0f, 0.0f, 0.0f);
  glMatrixMode(GL_MODELVIEW);
  glRotatef(camera.tableSpin, 0.0f, 1.0f, 0.0f);
}

void ApplyLook() {
  const ClearColour& clear = view.background;
  const ClearColour& fog = view.dayMode ? kDayFogColour : kNightColour;
  glClearColor(clear.red, clear.green, clear.blue, 1.0f);
  const GLfloat fogColour[4] = {fog.red, fog.green, fog.blue, 1.0f};
  glFogfv(GL_FOG_COLOR, fogColour);
  glFogf(GL_FOG_START, 60.0f);
  glFogf(GL_FOG_END, 110.0f);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_DENSITY, 1.0f);
}
