#pragma once
// A hidden OpenGL window with a Direct3D 9 device on it, and small drawing helpers
// for the tests of the Direct3D 9 and D3DX9 stand-ins.
#include "Platform/D3D9/D3D9.h"
#include "Platform/D3D9/D3D9TestHooks.h"
#include "Platform/D3DX9/D3DX9.h"
#include "Platform/Win32/WinSdl.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <ostream>
#include <string>
#include <vector>

namespace d3d9test {

// The engine's textured vertex: position x, y, z, w; diffuse; specular; u, v.
struct Vertex2D {
    float x, y, z, w;
    uint32_t diffuse;
    uint32_t specular;
    float u, v;
};
constexpr DWORD kFvf2D = 0x41C2;

// The engine's geometry vertex: position x, y, z; diffuse.
struct VertexGeom {
    float x, y, z;
    uint32_t diffuse;
};
constexpr DWORD kFvfGeom = 0x042;

// Row-vector orthographic projection from pixels (y down) to clip space.
inline D3DXMATRIX Ortho(float w, float h)
{
    D3DXMATRIX m{};
    m.m[0][0] = 2.0f / w;
    m.m[1][1] = -2.0f / h;
    m.m[2][2] = 1.0f;
    m.m[3][0] = -1.0f;
    m.m[3][1] = 1.0f;
    m.m[3][3] = 1.0f;
    return m;
}

struct Program {
    IDirect3DVertexShader9* vs = nullptr;
    IDirect3DPixelShader9* ps = nullptr;
    ID3DXConstantTable* vsTable = nullptr;
    ID3DXConstantTable* psTable = nullptr;

    void Release()
    {
        for (IUnknown* p : std::initializer_list<IUnknown*>{vs, ps, vsTable, psTable})
            if (p)
                p->Release();
        vs = nullptr;
        ps = nullptr;
        vsTable = nullptr;
        psTable = nullptr;
    }
};

inline std::string BufferText(ID3DXBuffer* buffer)
{
    return buffer ? std::string(static_cast<const char*>(buffer->GetBufferPointer())) : std::string();
}

// Compiles one shader; on failure the message goes to the test output.
inline HRESULT Compile(const char* text, const char* entry, const char* profile, ID3DXBuffer** code,
                       ID3DXConstantTable** table, std::string* messages = nullptr)
{
    ID3DXBuffer* errors = nullptr;
    const HRESULT hr = D3DXCompileShader(text, static_cast<UINT>(std::strlen(text)), nullptr, nullptr, entry,
                                         profile, D3DXSHADER_DEBUG, code, &errors, table);
    if (messages)
        *messages = BufferText(errors);
    if (errors)
        errors->Release();
    return hr;
}

// Keeps SDL's video subsystem, and with it the GL driver, loaded until the process
// ends, so the leak checker can still name the driver's modules in its reports.
class KeepVideoLoaded : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
            SDL_GL_LoadLibrary(nullptr); // each GL window's destruction would unload it otherwise
    }
};
inline ::testing::Environment* const gKeepVideoLoaded =
    ::testing::AddGlobalTestEnvironment(new KeepVideoLoaded);

// Where the device keeps the back buffer's pixels: as it finds best for the window,
// or forced into the window's own framebuffer (made, as the game's window is, without
// depth and stencil, or with them) or into an off-screen one.
enum class BackBufferStorage { AsCreated, Window, WindowWithDepth, Offscreen };

inline void PrintTo(BackBufferStorage storage, std::ostream* out)
{
    *out << (storage == BackBufferStorage::Window            ? "window"
             : storage == BackBufferStorage::WindowWithDepth ? "window with depth"
             : storage == BackBufferStorage::Offscreen       ? "off-screen"
                                                             : "as created");
}

inline bool InWindow(BackBufferStorage storage)
{
    return storage == BackBufferStorage::Window || storage == BackBufferStorage::WindowWithDepth;
}

class DeviceTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;

    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        SDL_GL_ResetAttributes(); // another test's window may have changed them
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        if (InWindow(storage_)) {
            // All that an A8R8G8B8 back buffer needs; D24S8 depth only where asked for.
            const bool depth = storage_ == BackBufferStorage::WindowWithDepth;
            SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
            SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth ? 24 : 0);
            SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, depth ? 8 : 0);
        }
        window_ = SDL_CreateWindow("d3d9 test", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(window_, nullptr) << SDL_GetError();
        hwnd_ = Win32_AdoptSdlWindow(window_);
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
        params_ = DefaultParams();
        if (storage_ == BackBufferStorage::Offscreen) {
            // Contents kept over Present, by a window that cannot keep them itself.
            params_.SwapEffect = D3DSWAPEFFECT_COPY;
            D3D9Test_Adapter().windowDropsPicture = true;
        }
        ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, hwnd_,
                                     D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED, &params_,
                                     &device_),
                  D3D_OK);
        if (storage_ != BackBufferStorage::AsCreated) {
            ASSERT_EQ(D3D9Test_BackBufferInWindow(device_), InWindow(storage_));
        }
    }

    void TearDown() override
    {
        for (Program& p : programs_)
            p.Release();
        if (device_) {
            EXPECT_EQ(device_->Release(), 0u) << "a resource of the test was not released";
        }
        if (d3d_)
            d3d_->Release();
        Win32_ReleaseAdopted(hwnd_);
        if (window_)
            SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        D3D9Test_Adapter() = D3D9TestAdapter{};
    }

    D3DPRESENT_PARAMETERS DefaultParams() const
    {
        D3DPRESENT_PARAMETERS p{};
        p.BackBufferWidth = kWidth;
        p.BackBufferHeight = kHeight;
        p.BackBufferFormat = D3DFMT_A8R8G8B8;
        p.BackBufferCount = 1;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        p.hDeviceWindow = hwnd_;
        p.Windowed = TRUE;
        p.EnableAutoDepthStencil = TRUE;
        p.AutoDepthStencilFormat = D3DFMT_D24S8;
        p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        return p;
    }

    // Compiles and creates a vertex + pixel program; the fixture releases it.
    Program& MakeProgram(const char* vsText, const char* psText)
    {
        Program& p = programs_.emplace_back();
        ID3DXBuffer* code = nullptr;
        std::string messages;
        EXPECT_EQ(Compile(vsText, "vertex_shader", "vs_1_1", &code, &p.vsTable, &messages), D3D_OK)
            << messages;
        if (code) {
            EXPECT_EQ(device_->CreateVertexShader(static_cast<const DWORD*>(code->GetBufferPointer()), &p.vs),
                      D3D_OK);
            code->Release();
        }
        code = nullptr;
        EXPECT_EQ(Compile(psText, "pixel_shader", "ps_2_0", &code, &p.psTable, &messages), D3D_OK)
            << messages;
        if (code) {
            EXPECT_EQ(device_->CreatePixelShader(static_cast<const DWORD*>(code->GetBufferPointer()), &p.ps),
                      D3D_OK);
            code->Release();
        }
        return p;
    }

    // Binds the program and sets its projection; textured programs sample stage
    // "TextureSampler" reads.
    void Use(Program& p, const D3DXMATRIX& proj)
    {
        ASSERT_EQ(device_->SetVertexShader(p.vs), D3D_OK);
        ASSERT_EQ(device_->SetPixelShader(p.ps), D3D_OK);
        D3DXHANDLE h = p.vsTable->GetConstantByName(nullptr, "Proj");
        ASSERT_NE(h, nullptr);
        ASSERT_EQ(p.vsTable->SetMatrix(device_, h, &proj), D3D_OK);
    }

    UINT SamplerStage(Program& p)
    {
        D3DXHANDLE h = p.psTable->GetConstantByName(nullptr, "TextureSampler");
        D3DXCONSTANT_DESC desc{};
        UINT count = 1;
        EXPECT_NE(h, nullptr);
        EXPECT_EQ(p.psTable->GetConstantDesc(h, &desc, &count), D3D_OK);
        return desc.RegisterIndex;
    }

    // A managed A8R8G8B8 texture with the given 0xAARRGGBB texels, rows top first.
    IDirect3DTexture9* MakeTexture(UINT w, UINT h, const std::vector<uint32_t>& texels)
    {
        IDirect3DTexture9* tex = nullptr;
        EXPECT_EQ(device_->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr),
                  D3D_OK);
        if (!tex)
            return nullptr;
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(tex->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < h; ++y)
            std::memcpy(static_cast<char*>(locked.pBits) + y * locked.Pitch, &texels[y * w], w * 4);
        EXPECT_EQ(tex->UnlockRect(0), D3D_OK);
        return tex;
    }

    // Writes vertices into a fresh dynamic buffer, draws them as one primitive run and
    // releases the buffer.
    template <class V>
    void Draw(D3DPRIMITIVETYPE type, const std::vector<V>& vertices, DWORD fvf, UINT primitives)
    {
        IDirect3DVertexBuffer9* vb = nullptr;
        const UINT bytes = static_cast<UINT>(vertices.size() * sizeof(V));
        ASSERT_EQ(device_->CreateVertexBuffer(bytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, fvf,
                                              D3DPOOL_DEFAULT, &vb, nullptr),
                  D3D_OK);
        void* data = nullptr;
        ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
        std::memcpy(data, vertices.data(), bytes);
        ASSERT_EQ(vb->Unlock(), D3D_OK);
        ASSERT_EQ(device_->SetFVF(fvf), D3D_OK);
        ASSERT_EQ(device_->SetStreamSource(0, vb, 0, sizeof(V)), D3D_OK);
        EXPECT_EQ(device_->DrawPrimitive(type, 0, primitives), D3D_OK);
        device_->SetStreamSource(0, nullptr, 0, 0);
        vb->Release();
    }

    // An engine-style quad: corners at pixel edges, every vertex moved by -0.5.
    static std::vector<Vertex2D> Quad(float x0, float y0, float x1, float y1, uint32_t diffuse = 0xFFFFFFFF,
                                      uint32_t specular = 0, float u0 = 0, float v0 = 0, float u1 = 1,
                                      float v1 = 1)
    {
        const float s = -0.5f;
        return {{x0 + s, y0 + s, 0, 1, diffuse, specular, u0, v0},
                {x1 + s, y0 + s, 0, 1, diffuse, specular, u1, v0},
                {x0 + s, y1 + s, 0, 1, diffuse, specular, u0, v1},
                {x1 + s, y0 + s, 0, 1, diffuse, specular, u1, v0},
                {x1 + s, y1 + s, 0, 1, diffuse, specular, u1, v1},
                {x0 + s, y1 + s, 0, 1, diffuse, specular, u0, v1}};
    }

    std::vector<uint32_t> ReadBackBuffer()
    {
        IDirect3DSurface9* surface = nullptr;
        std::vector<uint32_t> pixels;
        EXPECT_EQ(device_->GetRenderTarget(0, &surface), D3D_OK);
        if (surface) {
            EXPECT_TRUE(D3D9Test_ReadSurface(surface, pixels));
            surface->Release();
        }
        return pixels;
    }

    BackBufferStorage storage_ = BackBufferStorage::AsCreated; // set before SetUp
    SDL_Window* window_ = nullptr;
    HWND hwnd_ = nullptr;
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    D3DPRESENT_PARAMETERS params_{};
    std::deque<Program> programs_; // references handed out stay valid
};

// Channel-wise comparison of two 0xAARRGGBB colours.
inline bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 255), cb = static_cast<int>((b >> shift) & 255);
        if (ca - cb > tolerance || cb - ca > tolerance)
            return false;
    }
    return true;
}

} // namespace d3d9test
