#pragma once
// Hooks for tests of the layer and of the renderer above it: fake a lost device, make
// a device call fail once, trim the adapter's capabilities, read pixels back. Engine
// code never calls these.
#include "Platform/D3D9/D3D9.h"

#include <cstdint>
#include <functional>
#include <set>
#include <vector>

enum class D3D9TestDeviceState { Ok, Lost, NotReset };

// Lost: TestCooperativeLevel and Present report D3DERR_DEVICELOST, Reset fails with it.
// NotReset: TestCooperativeLevel reports D3DERR_DEVICENOTRESET, Present D3DERR_DEVICELOST;
// a successful Reset returns the device to Ok.
void D3D9Test_SetDeviceState(IDirect3DDevice9* device, D3D9TestDeviceState state);

// Device operations that can be made to fail once.
enum class D3D9TestCall {
    Reset,
    Present,
    Clear,
    BeginScene,
    EndScene,
    SetViewport,
    GetRenderTarget,
    SetRenderTarget,
    SetRenderState,
    SetSamplerState,
    SetTextureStageState,
    SetScissorRect,
    SetFVF,
    SetStreamSource,
    SetIndices,
    SetTexture,
    SetVertexShader,
    SetPixelShader,
    DrawPrimitive,
    DrawIndexedPrimitive,
    CreateTexture,
    CreateVertexBuffer,
    CreateIndexBuffer,
    CreateVertexShader,
    CreatePixelShader,
    GetSurfaceLevel,
    LockRect,
    UnlockRect,
    LockBuffer,
    UnlockBuffer,
};

// The next call of that operation on this device returns hr without doing anything.
void D3D9Test_FailNext(IDirect3DDevice9* device, D3D9TestCall call, HRESULT hr);

// The driver refuses the next creation or upload on this device: when the device reads
// the GL error state after that work, it finds `glError` (GL_OUT_OF_MEMORY, ...).
void D3D9Test_RefuseNextGlWork(IDirect3DDevice9* device, unsigned glError);

// Adapter-wide settings, read when a device or the adapter is asked.
struct D3D9TestAdapter {
    int failHardwareDevices = 0; // CreateDevice with hardware vertex processing fails this many times
    int failSoftwareDevices = 0; // likewise with software vertex processing
    HRESULT failDeviceCaps = D3D_OK;
    HRESULT failDisplayMode = D3D_OK;
    std::set<DWORD> unsupportedFormats;      // CheckDeviceFormat says D3DERR_NOTAVAILABLE for these
    std::function<void(D3DCAPS9&)> editCaps; // applied to every GetDeviceCaps result
    bool forceCpuDxt = false;                // decode DXT on the CPU even where S3TC exists
    bool windowDropsPicture = false;         // a window never keeps a copy swap's back buffer
};
D3D9TestAdapter& D3D9Test_Adapter();

// Pixels of a render-target surface (the back buffer or a render-target texture
// level) as 0xAARRGGBB words, top row first, width * height of them.
bool D3D9Test_ReadSurface(IDirect3DSurface9* surface, std::vector<std::uint32_t>& argb);

// What Present shows: the window's pixels (the back buffer, scaled when the window has
// another size), top row first; width and height are the window's drawable size.
bool D3D9Test_ReadWindow(IDirect3DDevice9* device, std::vector<std::uint32_t>& argb, int& width, int& height);

// True when the back buffer's pixels of the current (or last) frame are the window's
// own framebuffer rather than an off-screen one.
bool D3D9Test_BackBufferInWindow(IDirect3DDevice9* device);

// True when DXT textures of this device are decoded on the CPU.
bool D3D9Test_DecodesDxtOnCpu(IDirect3DDevice9* device);

// Bytes the texture holds on the CPU beside what GL holds.
size_t D3D9Test_TextureCpuBytes(IDirect3DTexture9* texture);

// What a device has handed the driver since it was made: bytes of vertex and index
// data and the uploads that carried them, and draw calls. Benchmarks read them too.
struct D3D9TestCounters {
    std::uint64_t bufferBytes = 0;
    std::uint64_t bufferUploads = 0;
    std::uint64_t draws = 0;
};
D3D9TestCounters D3D9Test_Counters(IDirect3DDevice9* device);
