#pragma once
// The sprite baseline shared by the benchmarks that compare a frame with it: a minimal
// OpenGL 3.3 program in a hidden window of its own that writes textured quads into one
// vertex buffer and draws each texture run with one call, the pseudo-random sprite
// placement it draws, and the soft-disc texels the engine side is given too.
#include "Core/Base/Types.h"
#include "Core/Render/ImageData.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace bench {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kSprite = 16; // texture and sprite side in pixels
constexpr int kRun = 64;    // sprites per texture run

struct Sprite {
    float x, y;
};

// The same pseudo-random placement for both programs.
inline std::vector<Sprite> Layout(int count)
{
    std::vector<Sprite> sprites(count);
    u32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (Sprite& s : sprites) {
        s.x = static_cast<float>(next() % (kWidth - kSprite));
        s.y = static_cast<float>(next() % (kHeight - kSprite));
    }
    return sprites;
}

// A soft disc in one colour: partly transparent texels, as sprites have.
inline std::vector<u32> DiscTexels(u32 rgb)
{
    std::vector<u32> texels(kSprite * kSprite);
    const float c = (kSprite - 1) * 0.5f;
    for (int y = 0; y < kSprite; ++y)
        for (int x = 0; x < kSprite; ++x) {
            const float d = ((x - c) * (x - c) + (y - c) * (y - c)) / (c * c);
            const u32 a = d >= 1.0f ? 0u : static_cast<u32>((1.0f - d) * 255.0f);
            texels[y * kSprite + x] = (a << 24) | rgb;
        }
    return texels;
}

inline constexpr u32 kColors[2] = {0xFF4020u, 0x20A0FFu};

class TexelImage : public render::ImageData {
public:
    explicit TexelImage(std::vector<u32> argb) : texels(std::move(argb))
    {
        width = kSprite;
        height = kSprite;
        bytesPerPixel = 4;
    }
    GEResultEnum Load(base::Stream*, const wchar_t*) override { return GE_OK; }
    GEResultEnum CopyPixels(i32 pitch, i32, void* bits, render::AlphaMask*, i32) override
    {
        for (int y = 0; y < height; ++y)
            std::memcpy(static_cast<u8*>(bits) + size_t(y) * pitch, &texels[size_t(y) * width], size_t(width) * 4);
        return GE_OK;
    }
    std::vector<u32> texels;
};

#define BENCH_GL_FUNCTIONS(X)                                                                                 \
    X(PFNGLCREATESHADERPROC, CreateShader)                                                                     \
    X(PFNGLSHADERSOURCEPROC, ShaderSource)                                                                     \
    X(PFNGLCOMPILESHADERPROC, CompileShader)                                                                   \
    X(PFNGLCREATEPROGRAMPROC, CreateProgram)                                                                   \
    X(PFNGLATTACHSHADERPROC, AttachShader)                                                                     \
    X(PFNGLBINDATTRIBLOCATIONPROC, BindAttribLocation)                                                         \
    X(PFNGLLINKPROGRAMPROC, LinkProgram)                                                                       \
    X(PFNGLGETPROGRAMIVPROC, GetProgramiv)                                                                     \
    X(PFNGLUSEPROGRAMPROC, UseProgram)                                                                         \
    X(PFNGLGETUNIFORMLOCATIONPROC, GetUniformLocation)                                                         \
    X(PFNGLUNIFORM2FPROC, Uniform2f)                                                                           \
    X(PFNGLUNIFORM1IPROC, Uniform1i)                                                                           \
    X(PFNGLGENVERTEXARRAYSPROC, GenVertexArrays)                                                               \
    X(PFNGLBINDVERTEXARRAYPROC, BindVertexArray)                                                               \
    X(PFNGLGENBUFFERSPROC, GenBuffers)                                                                         \
    X(PFNGLBINDBUFFERPROC, BindBuffer)                                                                         \
    X(PFNGLBUFFERDATAPROC, BufferData)                                                                         \
    X(PFNGLBUFFERSUBDATAPROC, BufferSubData)                                                                   \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, EnableVertexAttribArray)                                               \
    X(PFNGLVERTEXATTRIBPOINTERPROC, VertexAttribPointer)                                                       \
    X(decltype(&glGenTextures), GenTextures)                                                                       \
    X(decltype(&glBindTexture), BindTexture)                                                                       \
    X(decltype(&glTexImage2D), TexImage2D)                                                                         \
    X(decltype(&glTexParameteri), TexParameteri)                                                                   \
    X(PFNGLACTIVETEXTUREPROC, ActiveTexture)                                                                   \
    X(decltype(&glEnable), Enable)                                                                                 \
    X(decltype(&glBlendFunc), BlendFunc)                                                                           \
    X(decltype(&glViewport), Viewport)                                                                             \
    X(decltype(&glClearColor), ClearColor)                                                                         \
    X(decltype(&glClear), Clear)                                                                                   \
    X(decltype(&glReadPixels), ReadPixels)                                                                     \
    X(decltype(&glDrawElements), DrawElements)                                                                 \
    X(decltype(&glFinish), Finish)

struct Gl {
#define BENCH_GL_MEMBER(type, name) type name = nullptr;
    BENCH_GL_FUNCTIONS(BENCH_GL_MEMBER)
#undef BENCH_GL_MEMBER
    bool Load()
    {
        bool ok = true;
#define BENCH_GL_LOAD(type, name)                                                                              \
    name = reinterpret_cast<type>(SDL_GL_GetProcAddress("gl" #name));                                          \
    ok = ok && name != nullptr;
        BENCH_GL_FUNCTIONS(BENCH_GL_LOAD)
#undef BENCH_GL_LOAD
        return ok;
    }
};

struct BaselineVertex {
    float x, y, u, v;
    u32 color; // RGBA bytes
};

inline const char* const kVertexSource = R"(#version 330 core
in vec2 a_pos;
in vec2 a_uv;
in vec4 a_color;
uniform vec2 u_scale;
out vec2 v_uv;
out vec4 v_color;
void main() {
    gl_Position = vec4(a_pos.x * u_scale.x - 1.0, 1.0 - a_pos.y * u_scale.y, 0.0, 1.0);
    v_uv = a_uv;
    v_color = a_color;
})";

inline const char* const kFragmentSource = R"(#version 330 core
in vec2 v_uv;
in vec4 v_color;
uniform sampler2D u_texture;
out vec4 o_color;
void main() { o_color = texture(u_texture, v_uv) * v_color; })";

class Baseline {
public:
    bool Init()
    {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        // Sprites need no depth or stencil, and a driver draws faster without them; the
        // baseline asks for none whatever the engine's window asked for before it.
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
        window = SDL_CreateWindow("sprite baseline", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window)
            return false;
        context = SDL_GL_CreateContext(window);
        if (!context || !gl.Load())
            return false;
        SDL_GL_SetSwapInterval(0);

        program = Link();
        if (!program)
            return false;
        gl.UseProgram(program);
        gl.Uniform2f(gl.GetUniformLocation(program, "u_scale"), 2.0f / kWidth, 2.0f / kHeight);
        gl.Uniform1i(gl.GetUniformLocation(program, "u_texture"), 0);

        GLuint vao = 0;
        gl.GenVertexArrays(1, &vao);
        gl.BindVertexArray(vao);
        gl.GenBuffers(1, &vertexBuffer);
        gl.GenBuffers(1, &indexBuffer);
        gl.BindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
        gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
        const GLsizei stride = sizeof(BaselineVertex);
        gl.EnableVertexAttribArray(0);
        gl.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, nullptr);
        gl.EnableVertexAttribArray(1);
        gl.VertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(8));
        gl.EnableVertexAttribArray(2);
        gl.VertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(16));

        gl.ActiveTexture(GL_TEXTURE0);
        for (int i = 0; i < 2; ++i) {
            const std::vector<u32> texels = DiscTexels(kColors[i]);
            gl.GenTextures(1, &textures[i]);
            gl.BindTexture(GL_TEXTURE_2D, textures[i]);
            gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kSprite, kSprite, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                          texels.data());
        }
        gl.Enable(GL_BLEND);
        gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        gl.Viewport(0, 0, kWidth, kHeight);
        gl.ClearColor(0.0f, 0.0f, 0.2f, 1.0f);
        return true;
    }

    void Prepare(int count)
    {
        MakeCurrent();
        std::vector<u32> indices(size_t(count) * 6);
        for (u32 q = 0; q < u32(count); ++q) {
            const u32 b = q * 4;
            const u32 quad[6] = {b, b + 1, b + 2, b, b + 2, b + 3};
            std::memcpy(&indices[q * 6], quad, sizeof quad);
        }
        gl.BufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * 4), indices.data(), GL_STATIC_DRAW);
        vertices.resize(size_t(count) * 4);
    }

    // `pixels`, when given, receives the frame before it is presented.
    void Frame(const std::vector<Sprite>& sprites, std::vector<u32>* pixels = nullptr)
    {
        MakeCurrent();
        gl.Clear(GL_COLOR_BUFFER_BIT);
        BaselineVertex* v = vertices.data();
        for (const Sprite& s : sprites) {
            const float x1 = s.x + kSprite, y1 = s.y + kSprite;
            v[0] = {s.x, s.y, 0.0f, 0.0f, 0xFFFFFFFFu};
            v[1] = {x1, s.y, 1.0f, 0.0f, 0xFFFFFFFFu};
            v[2] = {x1, y1, 1.0f, 1.0f, 0xFFFFFFFFu};
            v[3] = {s.x, y1, 0.0f, 1.0f, 0xFFFFFFFFu};
            v += 4;
        }
        const GLsizeiptr bytes = GLsizeiptr(vertices.size() * sizeof(BaselineVertex));
        gl.BufferData(GL_ARRAY_BUFFER, bytes, nullptr, GL_STREAM_DRAW); // orphan last frame's storage
        gl.BufferSubData(GL_ARRAY_BUFFER, 0, bytes, vertices.data());
        uploadedBytes += static_cast<std::uint64_t>(bytes);
        ++uploads;
        const int count = static_cast<int>(sprites.size());
        for (int first = 0, run = 0; first < count; first += kRun, ++run) {
            const int n = std::min(kRun, count - first);
            gl.BindTexture(GL_TEXTURE_2D, textures[run & 1]);
            gl.DrawElements(GL_TRIANGLES, n * 6, GL_UNSIGNED_INT, reinterpret_cast<void*>(size_t(first) * 6 * 4));
            ++draws;
        }
        if (pixels) {
            pixels->assign(size_t(kWidth) * kHeight, 0);
            gl.ReadPixels(0, 0, kWidth, kHeight, GL_BGRA, GL_UNSIGNED_BYTE, pixels->data());
        }
        SDL_GL_SwapWindow(window);
        gl.Finish();
    }

    void MakeCurrent() { SDL_GL_MakeCurrent(window, context); }

    ~Baseline()
    {
        if (context)
            SDL_GL_DeleteContext(context);
        if (window)
            SDL_DestroyWindow(window);
    }

    Gl gl;
    std::uint64_t uploadedBytes = 0, uploads = 0, draws = 0;

private:
    GLuint Compile(GLenum kind, const char* source)
    {
        const GLuint shader = gl.CreateShader(kind);
        gl.ShaderSource(shader, 1, &source, nullptr);
        gl.CompileShader(shader);
        return shader;
    }
    GLuint Link()
    {
        const GLuint p = gl.CreateProgram();
        gl.AttachShader(p, Compile(GL_VERTEX_SHADER, kVertexSource));
        gl.AttachShader(p, Compile(GL_FRAGMENT_SHADER, kFragmentSource));
        gl.BindAttribLocation(p, 0, "a_pos");
        gl.BindAttribLocation(p, 1, "a_uv");
        gl.BindAttribLocation(p, 2, "a_color");
        gl.LinkProgram(p);
        GLint ok = 0;
        gl.GetProgramiv(p, GL_LINK_STATUS, &ok);
        return ok ? p : 0;
    }

    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    GLuint program = 0;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    GLuint textures[2] = {};
    std::vector<BaselineVertex> vertices;
};

} // namespace bench
