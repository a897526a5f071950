// Cost of turning the renderer's built-in programs into GL programs: the HLSL
// compile of a vertex + pixel pair, and the device's GL compile and link of the pair.
// Run by hand: SDL_VIDEODRIVER=offscreen d3dx9_compile_bench
#include "Core/Render/Shaders/DX9/BuiltinShaders.h"
#include "Platform/D3D9/D3D9.h"
#include "Platform/D3DX9/D3DX9.h"
#include "Platform/Win32/WinSdl.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>

namespace {

struct Pair {
    const char* vs;
    const char* ps;
};
const Pair kPairs[] = {
    {render::gVertexShaderGeomText, render::gPixelShaderGeomText},
    {render::gVertexShaderTexturedMultText, render::gPixelShaderTexturedMultText},
    {render::gVertexShaderTexturedTintText, render::gPixelShaderTexturedTintText},
};

ID3DXBuffer* CompileOne(const char* text, const char* entry, const char* profile)
{
    ID3DXBuffer* code = nullptr;
    D3DXCompileShader(text, static_cast<UINT>(std::strlen(text)), nullptr, nullptr, entry, profile,
                      D3DXSHADER_DEBUG, &code, nullptr, nullptr);
    return code;
}

void HlslCompilePair(benchmark::State& state)
{
    const Pair& pair = kPairs[state.range(0)];
    for (auto _ : state) {
        ID3DXBuffer* vs = CompileOne(pair.vs, "vertex_shader", "vs_1_1");
        ID3DXBuffer* ps = CompileOne(pair.ps, "pixel_shader", "ps_2_0");
        if (!vs || !ps)
            state.SkipWithError("compile failed");
        if (vs)
            vs->Release();
        if (ps)
            ps->Release();
    }
}
BENCHMARK(HlslCompilePair)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// GL compile and link of a pair, forced by one draw with the new shaders.
void DeviceCreateAndLinkPair(benchmark::State& state)
{
    SDL_InitSubSystem(SDL_INIT_VIDEO);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_Window* window = SDL_CreateWindow("bench", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    HWND hwnd = Win32_AdoptSdlWindow(window);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 64;
    params.BackBufferHeight = 64;
    params.BackBufferFormat = D3DFMT_A8R8G8B8;
    params.hDeviceWindow = hwnd;
    params.Windowed = TRUE;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D24S8;
    IDirect3DDevice9* device = nullptr;
    if (!d3d || d3d->CreateDevice(0, D3DDEVTYPE_HAL, hwnd, D3DCREATE_HARDWARE_VERTEXPROCESSING, &params,
                                  &device) != D3D_OK) {
        state.SkipWithError("no device");
        return;
    }
    const Pair& pair = kPairs[state.range(0)];
    ID3DXBuffer* vsCode = CompileOne(pair.vs, "vertex_shader", "vs_1_1");
    ID3DXBuffer* psCode = CompileOne(pair.ps, "pixel_shader", "ps_2_0");
    IDirect3DVertexBuffer9* vb = nullptr;
    device->CreateVertexBuffer(32 * 3, 0, 0x41C2, D3DPOOL_MANAGED, &vb, nullptr);
    for (auto _ : state) {
        IDirect3DVertexShader9* vs = nullptr;
        IDirect3DPixelShader9* ps = nullptr;
        device->CreateVertexShader(static_cast<const DWORD*>(vsCode->GetBufferPointer()), &vs);
        device->CreatePixelShader(static_cast<const DWORD*>(psCode->GetBufferPointer()), &ps);
        device->BeginScene();
        device->SetVertexShader(vs);
        device->SetPixelShader(ps);
        device->SetFVF(state.range(0) == 0 ? 0x042 : 0x41C2);
        device->SetStreamSource(0, vb, 0, state.range(0) == 0 ? 16 : 32);
        if (device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1) != D3D_OK)
            state.SkipWithError("draw failed");
        device->EndScene();
        device->SetVertexShader(nullptr);
        device->SetPixelShader(nullptr);
        vs->Release();
        ps->Release();
    }
    vb->Release();
    vsCode->Release();
    psCode->Release();
    device->Release();
    d3d->Release();
    Win32_ReleaseAdopted(hwnd);
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
BENCHMARK(DeviceCreateAndLinkPair)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
