#include "Core/Render/DX9/ShaderVariableImplDX9.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/DX9/ShaderImplDX9.h"
#include "Core/Render/DX9/TextureDX9.h"

namespace render {

namespace {

IDirect3DDevice9* DeviceOf(ShaderImplDX9* owner)
{
    RenderDX9* renderer = owner ? owner->GetRenderDX9() : nullptr;
    return renderer ? renderer->GetDevice() : nullptr;
}

} // namespace

ShaderScalarVariableImplDX9::ShaderScalarVariableImplDX9(ShaderImplDX9* owner, u32 stage,
                                                         const std::string& name)
    : owner(owner), stage(stage), name(name)
{
    if (stage == 0)
        table = owner->GetVertexConstants();
    else if (stage == 1)
        table = owner->GetPixelConstants();
    if (table)
        handle = table->GetConstantByName(nullptr, name.c_str());
}

IDirect3DDevice9* ShaderScalarVariableImplDX9::Device() const
{
    return DeviceOf(owner);
}

GEResultEnum ShaderScalarVariableImplDX9::SetMatrix(const math::Matrix4* value)
{
    IDirect3DDevice9* device = Device();
    if (!table || !handle || !device || !value)
        return GE_FAIL;
    D3DXMATRIX matrix;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            matrix.m[r][c] = value->m[r][c];
    return SUCCEEDED(table->SetMatrix(device, handle, &matrix)) ? GE_OK : GE_FAIL;
}

GEResultEnum ShaderScalarVariableImplDX9::SetVector(const math::Point4* value)
{
    IDirect3DDevice9* device = Device();
    if (!table || !handle || !device || !value)
        return GE_FAIL;
    const D3DXVECTOR4 vector{value->x, value->y, value->z, value->w};
    return SUCCEEDED(table->SetVector(device, handle, &vector)) ? GE_OK : GE_FAIL;
}

GEResultEnum ShaderScalarVariableImplDX9::SetVector(float x, float y, float z)
{
    const math::Point4 value{x, y, z, 1.0f};
    return SetVector(&value);
}

GEResultEnum ShaderScalarVariableImplDX9::SetVector(float x, float y)
{
    const math::Point4 value{x, y, 0.0f, 1.0f};
    return SetVector(&value);
}

GEResultEnum ShaderScalarVariableImplDX9::SetFloat(float value)
{
    IDirect3DDevice9* device = Device();
    if (!table || !handle || !device)
        return GE_FAIL;
    return SUCCEEDED(table->SetFloat(device, handle, value)) ? GE_OK : GE_FAIL;
}

ShaderTextureVariableImplDX9::ShaderTextureVariableImplDX9(ShaderImplDX9* owner, const std::string& name)
    : table(owner->GetPixelConstants()), owner(owner), name(name)
{
}

bool ShaderTextureVariableImplDX9::Init()
{
    if (!table)
        return false;
    handle = table->GetConstantByName(nullptr, name.c_str());
    UINT count = 1;
    return handle && SUCCEEDED(table->GetConstantDesc(handle, &desc, &count));
}

GEResultEnum ShaderTextureVariableImplDX9::SetTexture(Texture* texture)
{
    IDirect3DDevice9* device = DeviceOf(owner);
    if (!device)
        return GE_FAIL;
    IDirect3DTexture9* deviceTexture =
        texture ? static_cast<TextureDX9*>(texture)->GetDeviceTexture() : nullptr;
    return SUCCEEDED(device->SetTexture(desc.RegisterIndex, deviceTexture)) ? GE_OK : GE_FAIL;
}

} // namespace render
