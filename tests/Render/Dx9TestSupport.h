#pragma once
// A hidden window with the Direct3D 9 renderer on it, images made in memory, and
// quads written straight into a device vertex buffer, for frames that are recorded
// through the front end, replayed on the device and read back.
#include "Core/App/Win32/WindowWin32.h"
#include "Core/App/Window.h"
#include "Core/Render/AlphaMask.h"
#include "Core/Render/Buffer.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/DX9/TextureDX9.h"
#include "Core/Render/ImageData.h"
#include "Core/Render/ShaderImpl.h"
#include "Core/Render/ShaderTextured.h"
#include "Core/Render/Vertex.h"
#include "Platform/D3D9/D3D9TestHooks.h"
#include "Platform/Win32/Windows.h"
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace dx9test {

// The engine's window is an app::Window and an app::WindowWin32 at once; the
// renderer reads the latter's windowed, minimized and active fields.
class TestWindow : public app::Window, public app::WindowWin32 {
public:
    TestWindow(int w, int h) : app::WindowWin32(nullptr)
    {
        static const wchar_t* kClass = L"Dx9TestWindow";
        static bool registered = false;
        if (!registered) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = DefWindowProcW;
            wc.lpszClassName = kClass;
            registered = RegisterClassExW(&wc) != 0;
        }
        // One caption per process, so that parallel test runs claim different windows.
        const std::wstring title = L"dx9 test " + std::to_wstring(getpid());
        hwnd = CreateWindowExW(0, kClass, title.c_str(), 0, 0, 0, w, h, nullptr, nullptr, nullptr, nullptr);
    }
    HWND GetHandle() const override { return hwnd; }
};

// A decoded image held in memory: 0xAARRGGBB words, top row first; a texel whose
// alpha is not zero is opaque in the mask.
class MemoryImage : public render::ImageData {
public:
    MemoryImage(int w, int h, std::vector<u32> argb, u32 levels = 1) : pixels(std::move(argb))
    {
        width = w;
        height = h;
        bytesPerPixel = 4;
        levelCount = levels;
    }
    static std::unique_ptr<MemoryImage> Solid(int w, int h, u32 argb)
    {
        return std::make_unique<MemoryImage>(w, h, std::vector<u32>(size_t(w) * h, argb));
    }

    GEResultEnum Load(base::Stream*, const wchar_t*) override { return GE_OK; }
    GEResultEnum CopyPixels(i32 pitch, i32, void* bits, render::AlphaMask* mask, i32) override
    {
        ++copies;
        for (int y = 0; y < height; ++y) {
            std::memcpy(static_cast<u8*>(bits) + size_t(y) * pitch, &pixels[size_t(y) * width],
                        size_t(width) * 4);
            if (mask)
                for (int x = 0; x < width; ++x)
                    mask->Set(u32(y * width + x), (pixels[size_t(y) * width + x] >> 24) != 0);
        }
        return copyResult;
    }

    std::vector<u32> pixels;
    GEResultEnum copyResult = GE_OK;
    int copies = 0;
};

struct Quad {
    float x0, y0, x1, y1; // pixels covered: [x0, x1) x [y0, y1)
    u32 color = 0xFFFFFFFF;
    float u0 = 0.0f, v0 = 0.0f, u1 = 1.0f, v1 = 1.0f;
    u32 specular = 0x000000FF; // tint weights: vertex colour in green, texture in blue
};

// Two clockwise triangles, shifted by -0.5 as the engine shifts every vertex.
inline void WriteQuad(render::SVertex2D* v, const Quad& q)
{
    auto vertex = [&q](float x, float y, float u, float t) {
        return render::SVertex2D{x - 0.5f, y - 0.5f, 0.0f, 1.0f, q.color, q.specular, u, t};
    };
    const render::SVertex2D tl = vertex(q.x0, q.y0, q.u0, q.v0), tr = vertex(q.x1, q.y0, q.u1, q.v0);
    const render::SVertex2D bl = vertex(q.x0, q.y1, q.u0, q.v1), br = vertex(q.x1, q.y1, q.u1, q.v1);
    v[0] = tl, v[1] = tr, v[2] = bl, v[3] = tr, v[4] = br, v[5] = bl;
}

inline bool Near(u32 a, u32 b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int ca = int((a >> shift) & 0xFF), cb = int((b >> shift) & 0xFF);
        if (std::abs(ca - cb) > tolerance)
            return false;
    }
    return true;
}

// A renderer on a hidden 64 x 64 window with a textured-multiply program, a
// dynamic vertex buffer of quads and helpers to record and replay one frame.
class Dx9Fixture : public ::testing::Test {
protected:
    static constexpr u32 kSize = 64;
    static constexpr u32 kMaxQuads = 16;

    void SetUp() override
    {
        D3D9Test_Adapter() = D3D9TestAdapter{};
        window = std::make_unique<TestWindow>(int(kSize), int(kSize));
        ASSERT_NE(window->hwnd, nullptr);
        renderer = std::make_unique<render::RenderDX9>();
        render::RenderInitParam param;
        param.width = kSize;
        param.height = kSize;
        param.windowed = 1;
        ASSERT_EQ(renderer->InitRender(window.get(), param), GE_OK);
        device = renderer->GetDevice();

        render::ShaderImpl* program = nullptr;
        ASSERT_EQ(renderer->CreateTexturedMultShader(&program), GE_OK);
        shader = std::make_unique<render::ShaderTextured>(program, renderer.get());
        ASSERT_EQ(shader->InitVariables(), GE_OK);
        shader->SetMatrix(&renderer->GetProjection());

        render::VertexBufferImpl* vb = nullptr;
        ASSERT_EQ(renderer->CreateVertexBuffer(render::SVertex2D::Format(), kMaxQuads * 6, true, &vb), GE_OK);
        vertices.reset(vb);
        state.shader = shader->GetProgram();
        state.vertexBuffer = vertices.get();
        state.blendMode = 1;
    }

    void TearDown() override
    {
        textures.clear();
        vertices.reset();
        shader.reset();
        renderer.reset();
        window.reset();
        D3D9Test_Adapter() = D3D9TestAdapter{};
    }

    render::TextureDX9* MakeTexture(render::ImageData& image)
    {
        render::Texture* made = nullptr;
        EXPECT_EQ(renderer->CreateTexture(&made), GE_OK);
        textures.emplace_back(made);
        EXPECT_EQ(made->CreateFromImage(image), GE_OK);
        return static_cast<render::TextureDX9*>(made);
    }
    render::TextureDX9* MakeSolidTexture(u32 argb)
    {
        auto image = MemoryImage::Solid(4, 4, argb);
        return MakeTexture(*image);
    }
    render::TextureDX9* MakeRenderTarget(u32 w, u32 h)
    {
        render::Texture* made = nullptr;
        EXPECT_EQ(renderer->CreateTexture(&made), GE_OK);
        textures.emplace_back(made);
        EXPECT_EQ(made->CreateRenderTarget(w, h), GE_OK);
        return static_cast<render::TextureDX9*>(made);
    }

    void FillQuads(const std::vector<Quad>& quads)
    {
        ASSERT_LE(quads.size(), kMaxQuads);
        ASSERT_EQ(vertices->Lock(), GE_OK);
        void* at = nullptr;
        u32 got = 0;
        ASSERT_EQ(vertices->Take(u32(quads.size() * 6), &at, &got), GE_OK);
        ASSERT_EQ(got, quads.size() * 6);
        for (size_t i = 0; i < quads.size(); ++i)
            WriteQuad(static_cast<render::SVertex2D*>(at) + i * 6, quads[i]);
        ASSERT_EQ(vertices->Unlock(), GE_OK);
    }

    void Begin(const float* clear)
    {
        ASSERT_EQ(renderer->BeginScene(), GE_OK);
        if (clear) {
            ASSERT_EQ(renderer->Clear(clear, 1.0f), GE_OK);
        }
    }
    // Draws quad `index` of the buffer with the current state.
    void DrawQuad(u32 index)
    {
        ASSERT_EQ(renderer->SetState(&state, true), GE_OK);
        ASSERT_EQ(renderer->Draw(render::Render::TriangleList, index * 6, 2), GE_OK);
    }
    GEResultEnum End()
    {
        if (renderer->EndScene() != GE_OK)
            return GE_FAIL;
        return renderer->ExecuteCommands();
    }

    std::vector<u32> ReadBackBuffer()
    {
        std::vector<u32> pixels;
        EXPECT_TRUE(D3D9Test_ReadSurface(renderer->GetBackBuffer(), pixels));
        return pixels;
    }
    static u32 At(const std::vector<u32>& pixels, u32 x, u32 y, u32 w = kSize) { return pixels[y * w + x]; }

    std::unique_ptr<TestWindow> window;
    std::unique_ptr<render::RenderDX9> renderer;
    IDirect3DDevice9* device = nullptr;
    std::unique_ptr<render::ShaderTextured> shader;
    std::unique_ptr<render::VertexBufferImpl> vertices;
    std::vector<std::unique_ptr<render::Texture>> textures;
    render::RenderState state;
};

inline const float kBlue[4] = {0.0f, 0.0f, 1.0f, 1.0f};

} // namespace dx9test
