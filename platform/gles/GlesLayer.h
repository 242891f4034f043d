// The program's OpenGL 1.x and GLU, drawn with OpenGL ES 3.0.
//
// Where only OpenGL ES exists (a browser's WebGL 2, a phone, a small board),
// this layer stands in for the system's opengl32 and glu32: it defines the
// OpenGL 1.x entry points the program calls (declared by <GL/gl.h> and
// <GL/glu.h>) and draws them with one small shader program. It implements
// exactly what the program uses, faithfully, and says so in one line on
// standard error, once per call, when it is asked for anything else.
#pragma once

namespace gles {

// Finds an OpenGL ES function by name (eglGetProcAddress natively).
using ProcLoader = void* (*)(const char* name);

// Fetches the OpenGL ES 3.0 functions the layer calls and makes its shader
// program and buffers in the current context, which must be an ES 3.0 one.
// False, with one line on standard error naming what is missing, when the
// context lacks any of them. Call again for each new context.
bool load(ProcLoader loader);

// The name glGetString(GL_RENDERER) reports; by default the context's own.
// The program judges from it whether the renderer works in software. A
// browser hides the real renderer behind its own name, and its backend
// passes the real one here.
void setRendererName(const char* name);

}  // namespace gles
