// The OpenGL ES 3.0 functions the layer calls, fetched at run time.
//
// The layer defines the OpenGL 1.x names itself (glEnable, glBindTexture,
// ...), so it cannot call the ES functions of the same names directly: it
// calls them through this table, filled by gles::load from the platform's
// loader.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

namespace gles {

struct EsCalls {
    // Names OpenGL 1.x shares with ES: the type of our own declaration.
    decltype(&::glBindTexture) BindTexture;
    decltype(&::glBlendFunc) BlendFunc;
    decltype(&::glClear) Clear;
    decltype(&::glClearColor) ClearColor;
    decltype(&::glColorMask) ColorMask;
    decltype(&::glCullFace) CullFace;
    decltype(&::glDeleteTextures) DeleteTextures;
    decltype(&::glDepthFunc) DepthFunc;
    decltype(&::glDepthMask) DepthMask;
    decltype(&::glDisable) Disable;
    decltype(&::glDrawElements) DrawElements;
    decltype(&::glEnable) Enable;
    decltype(&::glFinish) Finish;
    decltype(&::glFlush) Flush;
    decltype(&::glFrontFace) FrontFace;
    decltype(&::glGenTextures) GenTextures;
    decltype(&::glGetBooleanv) GetBooleanv;
    decltype(&::glGetError) GetError;
    decltype(&::glGetFloatv) GetFloatv;
    decltype(&::glGetIntegerv) GetIntegerv;
    decltype(&::glGetString) GetString;
    decltype(&::glHint) Hint;
    decltype(&::glIsEnabled) IsEnabled;
    decltype(&::glPixelStorei) PixelStorei;
    decltype(&::glReadPixels) ReadPixels;
    decltype(&::glScissor) Scissor;
    decltype(&::glTexImage2D) TexImage2D;
    decltype(&::glTexParameteri) TexParameteri;
    decltype(&::glTexSubImage2D) TexSubImage2D;
    decltype(&::glViewport) Viewport;
    // ES names OpenGL 1.x does not have.
    PFNGLCLEARDEPTHFPROC ClearDepthf;
    PFNGLGENERATEMIPMAPPROC GenerateMipmap;
    PFNGLACTIVETEXTUREPROC ActiveTexture;
    PFNGLGENBUFFERSPROC GenBuffers;
    PFNGLBINDBUFFERPROC BindBuffer;
    PFNGLBUFFERDATAPROC BufferData;
    PFNGLBUFFERSUBDATAPROC BufferSubData;
    PFNGLMAPBUFFERRANGEPROC MapBufferRange;  // null where buffers cannot be mapped
    PFNGLUNMAPBUFFERPROC UnmapBuffer;
    PFNGLGENVERTEXARRAYSPROC GenVertexArrays;
    PFNGLBINDVERTEXARRAYPROC BindVertexArray;
    PFNGLENABLEVERTEXATTRIBARRAYPROC EnableVertexAttribArray;
    PFNGLVERTEXATTRIBPOINTERPROC VertexAttribPointer;
    PFNGLCREATESHADERPROC CreateShader;
    PFNGLSHADERSOURCEPROC ShaderSource;
    PFNGLCOMPILESHADERPROC CompileShader;
    PFNGLGETSHADERIVPROC GetShaderiv;
    PFNGLGETSHADERINFOLOGPROC GetShaderInfoLog;
    PFNGLDELETESHADERPROC DeleteShader;
    PFNGLCREATEPROGRAMPROC CreateProgram;
    PFNGLATTACHSHADERPROC AttachShader;
    PFNGLBINDATTRIBLOCATIONPROC BindAttribLocation;
    PFNGLLINKPROGRAMPROC LinkProgram;
    PFNGLGETPROGRAMIVPROC GetProgramiv;
    PFNGLGETPROGRAMINFOLOGPROC GetProgramInfoLog;
    PFNGLUSEPROGRAMPROC UseProgram;
    PFNGLGETUNIFORMLOCATIONPROC GetUniformLocation;
    PFNGLUNIFORM1IPROC Uniform1i;
    PFNGLUNIFORM1FPROC Uniform1f;
    PFNGLUNIFORM2FPROC Uniform2f;
    PFNGLUNIFORM4FVPROC Uniform4fv;
    PFNGLUNIFORMMATRIX4FVPROC UniformMatrix4fv;
};

// Filled by load(); every entry is set once load() has returned true.
extern EsCalls es;

}  // namespace gles
