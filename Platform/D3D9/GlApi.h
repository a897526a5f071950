#pragma once
// OpenGL 3.3 core entry points, loaded through SDL for the device's context. Private
// to Platform/D3D9.
#include <GL/glcorearb.h>

namespace d3d9 {

#define GE_GL_FUNCTIONS(X)                                                                                   \
    X(PFNGLGETERRORPROC, GetError)                                                                           \
    X(PFNGLGETINTEGERVPROC, GetIntegerv)                                                                     \
    X(PFNGLGETBOOLEANVPROC, GetBooleanv)                                                                     \
    X(PFNGLGETSTRINGPROC, GetString)                                                                         \
    X(PFNGLGETSTRINGIPROC, GetStringi)                                                                       \
    X(PFNGLENABLEPROC, Enable)                                                                               \
    X(PFNGLDISABLEPROC, Disable)                                                                             \
    X(PFNGLVIEWPORTPROC, Viewport)                                                                           \
    X(PFNGLSCISSORPROC, Scissor)                                                                             \
    X(PFNGLDEPTHRANGEPROC, DepthRange)                                                                       \
    X(PFNGLCLEARCOLORPROC, ClearColor)                                                                       \
    X(PFNGLCLEARDEPTHPROC, ClearDepth)                                                                       \
    X(PFNGLCLEARSTENCILPROC, ClearStencil)                                                                   \
    X(PFNGLCLEARPROC, Clear)                                                                                 \
    X(PFNGLCOLORMASKPROC, ColorMask)                                                                         \
    X(PFNGLDEPTHMASKPROC, DepthMask)                                                                         \
    X(PFNGLDEPTHFUNCPROC, DepthFunc)                                                                         \
    X(PFNGLBLENDFUNCSEPARATEPROC, BlendFuncSeparate)                                                         \
    X(PFNGLBLENDEQUATIONSEPARATEPROC, BlendEquationSeparate)                                                 \
    X(PFNGLCULLFACEPROC, CullFace)                                                                           \
    X(PFNGLFRONTFACEPROC, FrontFace)                                                                         \
    X(PFNGLPIXELSTOREIPROC, PixelStorei)                                                                     \
    X(PFNGLREADPIXELSPROC, ReadPixels)                                                                       \
    X(PFNGLREADBUFFERPROC, ReadBuffer)                                                                       \
    X(PFNGLFINISHPROC, Finish)                                                                               \
    X(PFNGLFENCESYNCPROC, FenceSync)                                                                         \
    X(PFNGLCLIENTWAITSYNCPROC, ClientWaitSync)                                                               \
    X(PFNGLDELETESYNCPROC, DeleteSync)                                                                       \
    X(PFNGLGENTEXTURESPROC, GenTextures)                                                                     \
    X(PFNGLDELETETEXTURESPROC, DeleteTextures)                                                               \
    X(PFNGLBINDTEXTUREPROC, BindTexture)                                                                     \
    X(PFNGLACTIVETEXTUREPROC, ActiveTexture)                                                                 \
    X(PFNGLTEXIMAGE2DPROC, TexImage2D)                                                                       \
    X(PFNGLGETTEXIMAGEPROC, GetTexImage)                                                                     \
    X(PFNGLGETCOMPRESSEDTEXIMAGEPROC, GetCompressedTexImage)                                                 \
    X(PFNGLCOMPRESSEDTEXIMAGE2DPROC, CompressedTexImage2D)                                                   \
    X(PFNGLTEXPARAMETERIPROC, TexParameteri)                                                                 \
    X(PFNGLGENSAMPLERSPROC, GenSamplers)                                                                     \
    X(PFNGLDELETESAMPLERSPROC, DeleteSamplers)                                                               \
    X(PFNGLBINDSAMPLERPROC, BindSampler)                                                                     \
    X(PFNGLSAMPLERPARAMETERIPROC, SamplerParameteri)                                                         \
    X(PFNGLSAMPLERPARAMETERFPROC, SamplerParameterf)                                                         \
    X(PFNGLSAMPLERPARAMETERFVPROC, SamplerParameterfv)                                                       \
    X(PFNGLGENBUFFERSPROC, GenBuffers)                                                                       \
    X(PFNGLDELETEBUFFERSPROC, DeleteBuffers)                                                                 \
    X(PFNGLBINDBUFFERPROC, BindBuffer)                                                                       \
    X(PFNGLBUFFERDATAPROC, BufferData)                                                                       \
    X(PFNGLBUFFERSUBDATAPROC, BufferSubData)                                                                 \
    X(PFNGLMAPBUFFERRANGEPROC, MapBufferRange)                                                               \
    X(PFNGLUNMAPBUFFERPROC, UnmapBuffer)                                                                     \
    X(PFNGLGENVERTEXARRAYSPROC, GenVertexArrays)                                                             \
    X(PFNGLDELETEVERTEXARRAYSPROC, DeleteVertexArrays)                                                       \
    X(PFNGLBINDVERTEXARRAYPROC, BindVertexArray)                                                             \
    X(PFNGLVERTEXATTRIBPOINTERPROC, VertexAttribPointer)                                                     \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, EnableVertexAttribArray)                                             \
    X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, DisableVertexAttribArray)                                           \
    X(PFNGLCREATESHADERPROC, CreateShader)                                                                   \
    X(PFNGLSHADERSOURCEPROC, ShaderSource)                                                                   \
    X(PFNGLCOMPILESHADERPROC, CompileShader)                                                                 \
    X(PFNGLGETSHADERIVPROC, GetShaderiv)                                                                     \
    X(PFNGLGETSHADERINFOLOGPROC, GetShaderInfoLog)                                                           \
    X(PFNGLDELETESHADERPROC, DeleteShader)                                                                   \
    X(PFNGLCREATEPROGRAMPROC, CreateProgram)                                                                 \
    X(PFNGLATTACHSHADERPROC, AttachShader)                                                                   \
    X(PFNGLLINKPROGRAMPROC, LinkProgram)                                                                     \
    X(PFNGLGETPROGRAMIVPROC, GetProgramiv)                                                                   \
    X(PFNGLGETPROGRAMINFOLOGPROC, GetProgramInfoLog)                                                         \
    X(PFNGLDELETEPROGRAMPROC, DeleteProgram)                                                                 \
    X(PFNGLUSEPROGRAMPROC, UseProgram)                                                                       \
    X(PFNGLGETUNIFORMLOCATIONPROC, GetUniformLocation)                                                       \
    X(PFNGLUNIFORM1IPROC, Uniform1i)                                                                         \
    X(PFNGLUNIFORM1FVPROC, Uniform1fv)                                                                       \
    X(PFNGLUNIFORM2FVPROC, Uniform2fv)                                                                       \
    X(PFNGLUNIFORM3FVPROC, Uniform3fv)                                                                       \
    X(PFNGLUNIFORM4FVPROC, Uniform4fv)                                                                       \
    X(PFNGLUNIFORMMATRIX2FVPROC, UniformMatrix2fv)                                                           \
    X(PFNGLUNIFORMMATRIX3FVPROC, UniformMatrix3fv)                                                           \
    X(PFNGLUNIFORMMATRIX4FVPROC, UniformMatrix4fv)                                                           \
    X(PFNGLUNIFORMMATRIX2X3FVPROC, UniformMatrix2x3fv)                                                       \
    X(PFNGLUNIFORMMATRIX3X2FVPROC, UniformMatrix3x2fv)                                                       \
    X(PFNGLUNIFORMMATRIX2X4FVPROC, UniformMatrix2x4fv)                                                       \
    X(PFNGLUNIFORMMATRIX4X2FVPROC, UniformMatrix4x2fv)                                                       \
    X(PFNGLUNIFORMMATRIX3X4FVPROC, UniformMatrix3x4fv)                                                       \
    X(PFNGLUNIFORMMATRIX4X3FVPROC, UniformMatrix4x3fv)                                                       \
    X(PFNGLGENFRAMEBUFFERSPROC, GenFramebuffers)                                                             \
    X(PFNGLDELETEFRAMEBUFFERSPROC, DeleteFramebuffers)                                                       \
    X(PFNGLBINDFRAMEBUFFERPROC, BindFramebuffer)                                                             \
    X(PFNGLFRAMEBUFFERTEXTURE2DPROC, FramebufferTexture2D)                                                   \
    X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, FramebufferRenderbuffer)                                             \
    X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, CheckFramebufferStatus)                                               \
    X(PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVPROC, GetFramebufferAttachmentParameteriv)                     \
    X(PFNGLGENRENDERBUFFERSPROC, GenRenderbuffers)                                                           \
    X(PFNGLDELETERENDERBUFFERSPROC, DeleteRenderbuffers)                                                     \
    X(PFNGLBINDRENDERBUFFERPROC, BindRenderbuffer)                                                           \
    X(PFNGLRENDERBUFFERSTORAGEPROC, RenderbufferStorage)                                                     \
    X(PFNGLBLITFRAMEBUFFERPROC, BlitFramebuffer)                                                             \
    X(PFNGLDRAWARRAYSPROC, DrawArrays)                                                                       \
    X(PFNGLDRAWELEMENTSBASEVERTEXPROC, DrawElementsBaseVertex)                                               \
    X(PFNGLDRAWRANGEELEMENTSBASEVERTEXPROC, DrawRangeElementsBaseVertex)

struct GlApi {
#define GE_GL_DECLARE(type, name) type name = nullptr;
    GE_GL_FUNCTIONS(GE_GL_DECLARE)
#undef GE_GL_DECLARE

    // Needs a current context; false when an entry point is missing.
    bool Load();
    bool HasExtension(const char* name) const;
};

} // namespace d3d9
