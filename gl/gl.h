// OpenGL 1.1, as each platform's headers provide it.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>
