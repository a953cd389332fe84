// OpenGL 1.1, as the program's build finds it: the system's <GL/gl.h>, or the GL 1.1 subset layer
// of a shell that brings its own (the build puts its folder on the include path). No window
// system's header comes with it.
#pragma once

// Windows' <GL/gl.h> wants the calling convention and the import attribute of <windows.h>, and
// MinGW-w64's includes all of <windows.h> to have them: given here, and taken back after, so
// that a later <windows.h> defines them its own way.
#if defined(_WIN32) && !defined(APIENTRY)
#define APIENTRY __stdcall
#define OSTINEL_GL_APIENTRY
#endif
#if defined(_WIN32) && !defined(WINGDIAPI)
#define WINGDIAPI __declspec(dllimport)
#define OSTINEL_GL_WINGDIAPI
#endif

#include <GL/gl.h>

#ifdef OSTINEL_GL_APIENTRY
#undef APIENTRY
#undef OSTINEL_GL_APIENTRY
#endif
#ifdef OSTINEL_GL_WINGDIAPI
#undef WINGDIAPI
#undef OSTINEL_GL_WINGDIAPI
#endif
