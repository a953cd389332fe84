// The GL 1.1 subset the renderer and the view use, over WebGL 1. Matrices and vertices are worked
// out on the processor in single precision, as a GL 1.1 implementation does: each vertex reaches
// WebGL in clip coordinates with its colour and fog distance, and the quads of everything drawn
// between two changes of state go to WebGL as one draw. WebGL itself is reached through
// Emscripten's emscripten_gl* names, since this file defines the gl* names.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "web/core.h"
#include "web/webgl_layer.h"

extern "C" {
void emscripten_glAttachShader(GLuint program, GLuint shader);
void emscripten_glBindAttribLocation(GLuint program, GLuint index, const GLchar* name);
void emscripten_glBindBuffer(GLenum target, GLuint buffer);
void emscripten_glBlendFunc(GLenum sfactor, GLenum dfactor);
void emscripten_glBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage);
void emscripten_glClear(GLbitfield mask);
void emscripten_glClearColor(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
void emscripten_glCompileShader(GLuint shader);
GLuint emscripten_glCreateProgram();
GLuint emscripten_glCreateShader(GLenum type);
void emscripten_glCullFace(GLenum mode);
void emscripten_glDepthFunc(GLenum func);
void emscripten_glDisable(GLenum cap);
void emscripten_glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices);
void emscripten_glEnable(GLenum cap);
void emscripten_glEnableVertexAttribArray(GLuint index);
void emscripten_glFrontFace(GLenum mode);
void emscripten_glGenBuffers(GLsizei n, GLuint* buffers);
void emscripten_glGetProgramiv(GLuint program, GLenum pname, GLint* params);
GLint emscripten_glGetUniformLocation(GLuint program, const GLchar* name);
void emscripten_glLinkProgram(GLuint program);
void emscripten_glShaderSource(GLuint shader, GLsizei count, const GLchar* const* string,
                               const GLint* length);
void emscripten_glUniform1f(GLint location, GLfloat v0);
void emscripten_glUniform3f(GLint location, GLfloat v0, GLfloat v1, GLfloat v2);
void emscripten_glUseProgram(GLuint program);
void emscripten_glVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized,
                                      GLsizei stride, const void* pointer);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
}

namespace {

// Column-major, as GL keeps matrices: element (row, col) is m[col * 4 + row].
struct Matrix {
  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

// a × b, each element summed in single precision from the left.
Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix p;
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      p.m[col * 4 + row] = a.m[row] * b.m[col * 4] + a.m[4 + row] * b.m[col * 4 + 1] +
                           a.m[8 + row] * b.m[col * 4 + 2] + a.m[12 + row] * b.m[col * 4 + 3];
    }
  }
  return p;
}

struct Vertex {
  float clip[4];
  float colour[4];
  float fogDistance;  // from the eye, in eye space
};

constexpr int kStackDepth = 32;       // GL's least model-view depth; the projection's is 2
constexpr int kQuadsPerDraw = 16384;  // 65536 vertices: what 16-bit indices reach
constexpr GLuint kClipAttribute = 0;
constexpr GLuint kColourAttribute = 1;
constexpr GLuint kFogAttribute = 2;

struct Layer {
  std::vector<Matrix> modelView{Matrix()};
  std::vector<Matrix> projection{Matrix()};
  GLenum matrixMode = GL_MODELVIEW;
  bool clipMatrixValid = false;
  Matrix clipMatrix;  // projection × model-view

  float colour[4] = {1, 1, 1, 1};
  bool inBegin = false;
  GLenum primitive = GL_QUADS;
  std::vector<Vertex> vertices;  // quads to draw; a quad still open at the end

  // GL state, kept to be given again to a restored context.
  float clearColour[4] = {0, 0, 0, 0};
  GLint viewport[4] = {0, 0, 0, 0};
  bool viewportSet = false;
  bool depthTest = false;
  bool cullFace = false;
  bool blend = false;
  GLenum blendSource = GL_ONE;
  GLenum blendDestination = GL_ZERO;
  GLenum depthFunc = GL_LESS;
  GLenum cullMode = GL_BACK;
  GLenum frontFace = GL_CCW;
  bool fog = false;
  float fogColour[4] = {0, 0, 0, 0};
  float fogStart = 0;
  float fogEnd = 1;

  // WebGL objects of the current context.
  GLuint program = 0;
  GLuint vertexBuffer = 0;
  GLint fogOnLocation = -1;
  GLint fogRangeLocation = -1;
  GLint fogColourLocation = -1;
};

Layer layer;

Matrix& Current() {
  return layer.matrixMode == GL_PROJECTION ? layer.projection.back() : layer.modelView.back();
}

std::vector<Matrix>& CurrentStack() {
  return layer.matrixMode == GL_PROJECTION ? layer.projection : layer.modelView;
}

void MultiplyCurrent(const Matrix& by) {
  Current() = Multiply(Current(), by);
  layer.clipMatrixValid = false;
}

void Draw(std::size_t quads);

// Sends the quads gathered so far as one draw, with the fog they were gathered under.
void Flush() {
  const std::size_t quads = layer.vertices.size() / 4;
  if (quads == 0) {
    return;
  }
  if (layer.program != 0) {
    Draw(quads);
  }
  layer.vertices.erase(layer.vertices.begin(),
                       layer.vertices.begin() + static_cast<std::ptrdiff_t>(quads * 4));
}

void Draw(std::size_t quads) {
  emscripten_glUniform1f(layer.fogOnLocation, layer.fog ? 1.0f : 0.0f);
  emscripten_glUniform3f(layer.fogRangeLocation, layer.fogStart, layer.fogEnd, 0.0f);
  emscripten_glUniform3f(layer.fogColourLocation, layer.fogColour[0], layer.fogColour[1],
                         layer.fogColour[2]);
  emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(quads * 4 * sizeof(Vertex)),
                          layer.vertices.data(), GL_STREAM_DRAW);
  emscripten_glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(quads * 6), GL_UNSIGNED_SHORT,
                            nullptr);
}

// A change of `field` to `value` that the quads drawn before must not see.
template <typename T>
bool Changes(T& field, T value) {
  if (field == value) {
    return false;
  }
  Flush();
  field = value;
  return true;
}

bool* Capability(GLenum cap) {
  switch (cap) {
    case GL_DEPTH_TEST:
      return &layer.depthTest;
    case GL_CULL_FACE:
      return &layer.cullFace;
    case GL_BLEND:
      return &layer.blend;
    case GL_FOG:
      return &layer.fog;
    default:
      return nullptr;  // lighting and texturing: the boxes are drawn unlit and untextured
  }
}

void SetCapability(GLenum cap, bool on) {
  bool* field = Capability(cap);
  if (field != nullptr && Changes(*field, on) && cap != GL_FOG) {
    (on ? emscripten_glEnable : emscripten_glDisable)(cap);
  }
}

GLuint CompileShader(GLenum type, const char* source) {
  const GLuint shader = emscripten_glCreateShader(type);
  emscripten_glShaderSource(shader, 1, &source, nullptr);
  emscripten_glCompileShader(shader);
  return shader;
}

// Fog as GL 1.1 computes it in linear mode, from the distance to the eye along its axis. A colour
// that is the same at every vertex of a quad comes out of the interpolation a few units in the last
// place off, on either side: rounded to the 8 bits of the colour buffer, a colour on a half level
// (track 0's off tint, 0.9 × 255 = 229.5) would come out one level apart from pixel to pixel. It is
// rounded here, ties upwards as Mesa rounds them, with room for that noise.
constexpr char kVertexShader[] = R"(
attribute vec4 clip;
attribute vec4 colour;
attribute float fogDistance;
varying vec4 vColour;
varying float vFogDistance;
void main() {
  gl_Position = clip;
  vColour = colour;
  vFogDistance = fogDistance;
}
)";

constexpr char kFragmentShader[] = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform float fogOn;
uniform vec3 fogRange;
uniform vec3 fogColour;
varying vec4 vColour;
varying float vFogDistance;
void main() {
  float f = clamp((fogRange.y - vFogDistance) / (fogRange.y - fogRange.x), 0.0, 1.0);
  vec4 colour = vec4(mix(vColour.rgb, mix(fogColour, vColour.rgb, f), fogOn), vColour.a);
  gl_FragColor = floor(colour * 255.0 + 0.5 + 1.0 / 1024.0) / 255.0;
}
)";

}  // namespace

bool StartWebGlLayer() {
  layer.program = 0;
  const GLuint program = emscripten_glCreateProgram();
  emscripten_glAttachShader(program, CompileShader(GL_VERTEX_SHADER, kVertexShader));
  emscripten_glAttachShader(program, CompileShader(GL_FRAGMENT_SHADER, kFragmentShader));
  emscripten_glBindAttribLocation(program, kClipAttribute, "clip");
  emscripten_glBindAttribLocation(program, kColourAttribute, "colour");
  emscripten_glBindAttribLocation(program, kFogAttribute, "fogDistance");
  emscripten_glLinkProgram(program);
  GLint linked = 0;
  emscripten_glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (linked == 0) {
    return false;
  }
  emscripten_glUseProgram(program);
  layer.fogOnLocation = emscripten_glGetUniformLocation(program, "fogOn");
  layer.fogRangeLocation = emscripten_glGetUniformLocation(program, "fogRange");
  layer.fogColourLocation = emscripten_glGetUniformLocation(program, "fogColour");

  // Every quad is two triangles, (0 1 2) and (0 2 3), counter-clockwise as the quad is.
  std::vector<std::uint16_t> indices(kQuadsPerDraw * 6);
  for (int q = 0; q < kQuadsPerDraw; ++q) {
    const auto first = static_cast<std::uint16_t>(q * 4);
    const std::uint16_t quad[6] = {
        first, static_cast<std::uint16_t>(first + 1), static_cast<std::uint16_t>(first + 2),
        first, static_cast<std::uint16_t>(first + 2), static_cast<std::uint16_t>(first + 3)};
    std::memcpy(&indices[static_cast<std::size_t>(q) * 6], quad, sizeof quad);
  }
  GLuint buffers[2] = {0, 0};
  emscripten_glGenBuffers(2, buffers);
  emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
  emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                          static_cast<GLsizeiptr>(indices.size() * sizeof indices[0]),
                          indices.data(), GL_STATIC_DRAW);
  layer.vertexBuffer = buffers[0];
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, layer.vertexBuffer);
  const auto stride = static_cast<GLsizei>(sizeof(Vertex));
  emscripten_glVertexAttribPointer(kClipAttribute, 4, GL_FLOAT, GL_FALSE, stride,
                                   reinterpret_cast<const void*>(offsetof(Vertex, clip)));
  emscripten_glVertexAttribPointer(kColourAttribute, 4, GL_FLOAT, GL_FALSE, stride,
                                   reinterpret_cast<const void*>(offsetof(Vertex, colour)));
  emscripten_glVertexAttribPointer(kFogAttribute, 1, GL_FLOAT, GL_FALSE, stride,
                                   reinterpret_cast<const void*>(offsetof(Vertex, fogDistance)));
  emscripten_glEnableVertexAttribArray(kClipAttribute);
  emscripten_glEnableVertexAttribArray(kColourAttribute);
  emscripten_glEnableVertexAttribArray(kFogAttribute);

  // The state given so far, for a context that starts from GL's defaults.
  emscripten_glClearColor(layer.clearColour[0], layer.clearColour[1], layer.clearColour[2],
                          layer.clearColour[3]);
  if (layer.viewportSet) {
    emscripten_glViewport(layer.viewport[0], layer.viewport[1], layer.viewport[2],
                          layer.viewport[3]);
  }
  for (GLenum cap : {GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND}) {
    (*Capability(cap) ? emscripten_glEnable : emscripten_glDisable)(cap);
  }
  emscripten_glBlendFunc(layer.blendSource, layer.blendDestination);
  emscripten_glDepthFunc(layer.depthFunc);
  emscripten_glCullFace(layer.cullMode);
  emscripten_glFrontFace(layer.frontFace);
  layer.program = program;
  return true;
}

void StopWebGlLayer() {
  layer.program = 0;
}

extern "C" {

void glMatrixMode(GLenum mode) {
  if (mode == GL_MODELVIEW || mode == GL_PROJECTION) {
    layer.matrixMode = mode;
  }
}

void glLoadIdentity() {
  Current() = Matrix();
  layer.clipMatrixValid = false;
}

void glPushMatrix() {
  std::vector<Matrix>& stack = CurrentStack();
  if (stack.size() < kStackDepth) {
    stack.push_back(stack.back());
  }
}

void glPopMatrix() {
  std::vector<Matrix>& stack = CurrentStack();
  if (stack.size() > 1) {
    stack.pop_back();
    layer.clipMatrixValid = false;
  }
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble nearVal,
             GLdouble farVal) {
  const auto l = static_cast<float>(left), r = static_cast<float>(right);
  const auto b = static_cast<float>(bottom), t = static_cast<float>(top);
  const auto n = static_cast<float>(nearVal), f = static_cast<float>(farVal);
  Matrix ortho;
  ortho.m[0] = 2.0f / (r - l);
  ortho.m[5] = 2.0f / (t - b);
  ortho.m[10] = -2.0f / (f - n);
  ortho.m[12] = -(r + l) / (r - l);
  ortho.m[13] = -(t + b) / (t - b);
  ortho.m[14] = -(f + n) / (f - n);
  MultiplyCurrent(ortho);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  float* m = Current().m;
  for (int row = 0; row < 4; ++row) {
    m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
  }
  layer.clipMatrixValid = false;
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
  float* m = Current().m;
  for (int row = 0; row < 4; ++row) {
    m[row] *= x;
    m[4 + row] *= y;
    m[8 + row] *= z;
  }
  layer.clipMatrixValid = false;
}

// A rotation about one of the axes is built directly from the sine and cosine, as about any other
// axis from the normalised axis.
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  const double radians = angle * 3.14159265358979323846 / 180.0;
  const auto s = static_cast<float>(std::sin(radians));
  const auto c = static_cast<float>(std::cos(radians));
  Matrix rotation;
  float* m = rotation.m;
  auto at = [m](int row, int col) -> float& { return m[col * 4 + row]; };
  if (x == 0 && y == 0 && z != 0) {
    at(0, 0) = c;
    at(1, 1) = c;
    at(0, 1) = z < 0 ? s : -s;
    at(1, 0) = z < 0 ? -s : s;
  } else if (x == 0 && z == 0 && y != 0) {
    at(0, 0) = c;
    at(2, 2) = c;
    at(0, 2) = y < 0 ? -s : s;
    at(2, 0) = y < 0 ? s : -s;
  } else if (y == 0 && z == 0 && x != 0) {
    at(1, 1) = c;
    at(2, 2) = c;
    at(1, 2) = x < 0 ? s : -s;
    at(2, 1) = x < 0 ? -s : s;
  } else {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length <= 1.0e-4f) {
      return;
    }
    x /= length;
    y /= length;
    z /= length;
    const float oneMinusC = 1.0f - c;
    at(0, 0) = oneMinusC * x * x + c;
    at(0, 1) = oneMinusC * x * y - z * s;
    at(0, 2) = oneMinusC * z * x + y * s;
    at(1, 0) = oneMinusC * x * y + z * s;
    at(1, 1) = oneMinusC * y * y + c;
    at(1, 2) = oneMinusC * y * z - x * s;
    at(2, 0) = oneMinusC * z * x - y * s;
    at(2, 1) = oneMinusC * y * z + x * s;
    at(2, 2) = oneMinusC * z * z + c;
  }
  MultiplyCurrent(rotation);
}

void glBegin(GLenum mode) {
  layer.inBegin = true;
  layer.primitive = mode;
}

void glEnd() {
  layer.inBegin = false;
  // An unfinished quad is dropped, as GL drops it.
  layer.vertices.resize(layer.vertices.size() / 4 * 4);
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
  layer.colour[0] = red;
  layer.colour[1] = green;
  layer.colour[2] = blue;
  layer.colour[3] = alpha;
}

// Normals light nothing here: the boxes are drawn unlit.
void glNormal3f(GLfloat, GLfloat, GLfloat) {}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  if (!layer.inBegin || layer.primitive != GL_QUADS) {
    return;
  }
  if (!layer.clipMatrixValid) {
    layer.clipMatrix = Multiply(layer.projection.back(), layer.modelView.back());
    layer.clipMatrixValid = true;
  }
  const float* c = layer.clipMatrix.m;
  const float* e = layer.modelView.back().m;
  Vertex v;
  for (int row = 0; row < 4; ++row) {
    v.clip[row] = c[row] * x + c[4 + row] * y + c[8 + row] * z + c[12 + row];
  }
  std::memcpy(v.colour, layer.colour, sizeof v.colour);
  v.fogDistance = std::fabs(e[2] * x + e[6] * y + e[10] * z + e[14]);
  layer.vertices.push_back(v);
  if (layer.vertices.size() == static_cast<std::size_t>(kQuadsPerDraw) * 4) {
    Flush();
  }
}

void glClearColor(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
  const float colour[4] = {red, green, blue, alpha};
  std::memcpy(layer.clearColour, colour, sizeof colour);
  emscripten_glClearColor(red, green, blue, alpha);
}

void glClear(GLbitfield mask) {
  Flush();
  emscripten_glClear(mask);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  Flush();
  const GLint viewport[4] = {x, y, width, height};
  std::memcpy(layer.viewport, viewport, sizeof viewport);
  layer.viewportSet = true;
  emscripten_glViewport(x, y, width, height);
}

void glEnable(GLenum cap) {
  SetCapability(cap, true);
}
void glDisable(GLenum cap) {
  SetCapability(cap, false);
}

void glBlendFunc(GLenum sfactor, GLenum dfactor) {
  const bool source = Changes(layer.blendSource, sfactor);
  const bool destination = Changes(layer.blendDestination, dfactor);
  if (source || destination) {
    emscripten_glBlendFunc(sfactor, dfactor);
  }
}

void glDepthFunc(GLenum func) {
  if (Changes(layer.depthFunc, func)) {
    emscripten_glDepthFunc(func);
  }
}

void glCullFace(GLenum mode) {
  if (Changes(layer.cullMode, mode)) {
    emscripten_glCullFace(mode);
  }
}

void glFrontFace(GLenum mode) {
  if (Changes(layer.frontFace, mode)) {
    emscripten_glFrontFace(mode);
  }
}

void glFogf(GLenum pname, GLfloat param) {
  if (pname == GL_FOG_START) {
    Changes(layer.fogStart, param);
  } else if (pname == GL_FOG_END) {
    Changes(layer.fogEnd, param);
  }
  // GL_FOG_DENSITY: linear fog does not use it.
}

// Linear is the one fog mode served.
void glFogi(GLenum, GLint) {}

void glFogfv(GLenum pname, const GLfloat* params) {
  if (pname == GL_FOG_COLOR) {
    for (int i = 0; i < 4; ++i) {
      Changes(layer.fogColour[i], params[i]);
    }
  } else {
    glFogf(pname, params[0]);
  }
}

void glFlush() {
  Flush();
}
void glFinish() {
  Flush();
}

}  // extern "C"
