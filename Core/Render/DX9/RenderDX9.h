#pragma once
#include "Core/Render/Render.h"
#include "Core/Resource/ResourceHandle.h"
#include "Platform/D3D9/D3D9.h"
#include <memory>
#include <vector>

namespace render {

class RenderTarget;
class Shader;
class ShaderTextured;

// The Direct3D 9 back end: creates and configures the device, replays the recorded
// frame onto it, and releases and restores the default-pool objects of every
// registered texture, buffer and program around a lost device.
class RenderDX9 : public Render {
public:
    RenderDX9();
    ~RenderDX9() override;

    GEResultEnum InitRender(app::Window* window, const RenderInitParam& param) override;
    GEResultEnum PrepareSwitchScreenMode() override;
    GEResultEnum SwitchScreenMode(const RenderInitParam& param) override;
    GEResultEnum CreateTexture(Texture** out) override;
    GEResultEnum CreateShader(const std::string& vertexText, const std::string& pixelText,
                              ShaderImpl** out) override;
    GEResultEnum CreateGeomShader(ShaderImpl** out) override;
    GEResultEnum CreateTexturedMultShader(ShaderImpl** out) override;
    GEResultEnum CreateTexturedTintShader(ShaderImpl** out) override;
    GEResultEnum CreateVertexBuffer(const VertexFormat& format, u32 count, bool dynamic,
                                    VertexBufferImpl** out) override;
    GEResultEnum CreateIndexBuffer(u32 indexSize, u32 count, bool dynamic, IndexBufferImpl** out) override;
    bool CheckDevice() override;
    GEResultEnum DoClear(u32 flags, const float* rgba, float z, u32 stencil) override;
    GEResultEnum DoBeginScene() override;
    GEResultEnum DoEndScene() override;
    GEResultEnum DoPresent() override;
    GEResultEnum DoSetRenderTarget(Texture* target) override;
    GEResultEnum DoSetShader(ShaderImpl* shader) override;
    GEResultEnum DoSetVertexFormat(u32 formatId) override;
    GEResultEnum DoSetVertexStream(VertexBufferImpl* buffer) override;
    GEResultEnum DoSetIndices(IndexBufferImpl* buffer) override;
    GEResultEnum DoSetBlendMode(u32 mode) override;
    GEResultEnum DoEnableScissor(u8 on) override;
    GEResultEnum DoSetScissorRect(const int* rect) override;
    GEResultEnum DoSetDepth(u8 test, u8 write) override;
    GEResultEnum DoDrawPrimitive(u32 type, u32 startVertex, u32 primitiveCount) override;
    GEResultEnum DoDrawIndexedPrimitive(u32 type, u32 indexSize, u32 startIndex, u32 primitiveCount,
                                        u32 minVertexIndex, u32 vertexCount) override;

    // After a reset: back buffer, viewport, a cleared first picture, default states,
    // and a front end that records its whole state again.
    GEResultEnum InitDeviceState();
    // Releases every default-pool object; always GE_OK.
    GEResultEnum LostDevice();
    GEResultEnum ResetDevice();
    GEResultEnum FillPresentParameters();
    GEResultEnum SetDefaultStates();

    // The built-in programs (geometry, textured multiply, textured tint), made by
    // InitRender and owned by the renderer; the handles carry no reference count.
    Shader* GetGeomShader() const { return geomShader.get(); }
    ShaderTextured* GetMultShader() const { return multShader.get(); }
    ShaderTextured* GetTintShader() const { return tintShader.get(); }
    GEResultEnum GetTexturedMultShader(resource::ResourceHandle<ShaderTextured>* out);
    GEResultEnum GetTexturedTintShader(resource::ResourceHandle<ShaderTextured>* out);
    // A w x h render-target texture wrapped in a target that owns it; with
    // `withProjection` the target's projection maps its own pixels.
    GEResultEnum CreateRenderTarget(int w, int h, RenderTarget** out, u8 withProjection);

    static D3DPRIMITIVETYPE ToPrimitiveType(u32 type);

    app::Window* GetWindow() const { return window; }
    IDirect3D9* GetD3D() const { return d3d; }
    IDirect3DDevice9* GetDevice() const { return device; }
    IDirect3DSurface9* GetBackBuffer() const { return backBuffer; }
    const D3DPRESENT_PARAMETERS& GetPresentParameters() const { return presentParams; }
    u32 GetWidth() const { return width; }
    u32 GetHeight() const { return height; }
    bool IsWindowed() const { return windowed != 0; }
    bool IsDeviceLost() const { return deviceLost != 0; }

protected:
    void GetBackBufferSize(int& w, int& h) const override
    {
        w = static_cast<int>(width);
        h = static_cast<int>(height);
    }

private:
    // The back buffer, viewport, first clear and present shared by start-up and reset.
    GEResultEnum PrepareBackBuffer();
    GEResultEnum CreateBuiltinShader(const char* vertexText, const char* pixelText, ShaderImpl** out);
    GEResultEnum CreateBuiltinShaders();
    void ReleaseBuiltinShaders();
    bool IsWindowUsable() const;
    bool IsWindowWindowed() const;

    app::Window* window = nullptr;
    HWND hwnd = nullptr;
    u32 width = 0;
    u32 height = 0;
    u8 windowed = 0;
    u8 multithreaded = 1;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    IDirect3DSurface9* backBuffer = nullptr;
    D3DPRESENT_PARAMETERS presentParams{};
    D3DVIEWPORT9 viewport{};
    u8 deviceLost = 0;
    std::unique_ptr<Shader> geomShader;
    std::unique_ptr<ShaderTextured> multShader;
    std::unique_ptr<ShaderTextured> tintShader;
    std::vector<u8> presentRegion; // the dirty region handed to Present
};

} // namespace render
