#pragma once
// ID3DXConstantTable of one compiled shader. Handles are the addresses of the table's
// own records; a handle that is not one of them is refused. Values go to the device's
// constant registers laid out as Direct3D 9 does: a matrix is stored one column per
// register, so that mul(v, M) in the shader multiplies the row vector v by M.
#include "Platform/D3D9/ShaderCode.h"
#include "Platform/D3DX9/D3DX9.h"
#include "Platform/D3DX9/HlslShim.h"

#include <atomic>
#include <vector>

namespace d3dx9 {

class ConstantTable final : public ID3DXConstantTable {
public:
    ConstantTable(d3d9::ShaderStage stage, const std::vector<d3d9::ShaderConstant>& constants,
                  std::vector<SamplerStateBlock> samplerStates);

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;
    HRESULT GetDesc(D3DXCONSTANTTABLE_DESC* desc) override;
    HRESULT GetConstantDesc(D3DXHANDLE constant, D3DXCONSTANT_DESC* desc, UINT* count) override;
    D3DXHANDLE GetConstant(D3DXHANDLE parent, UINT index) override;
    D3DXHANDLE GetConstantByName(D3DXHANDLE parent, const char* name) override;
    HRESULT SetFloat(IDirect3DDevice9* device, D3DXHANDLE constant, float value) override;
    HRESULT SetVector(IDirect3DDevice9* device, D3DXHANDLE constant, const D3DXVECTOR4* vector) override;
    HRESULT SetMatrix(IDirect3DDevice9* device, D3DXHANDLE constant, const D3DXMATRIX* matrix) override;

    // The sampler_state blocks of the source, kept for inspection; as with Direct3D 9
    // shaders outside effects, the device's sampler states decide the filtering.
    const std::vector<SamplerStateBlock>& SamplerStates() const { return samplerStates_; }

private:
    struct Entry {
        d3d9::ShaderConstant info;
        D3DXCONSTANT_DESC desc;
    };

    ~ConstantTable() override = default;
    const Entry* Find(D3DXHANDLE handle) const;
    HRESULT WriteRegisters(IDirect3DDevice9* device, const Entry& e, const float* regs, UINT count);

    std::atomic<ULONG> refs_{1};
    d3d9::ShaderStage stage_;
    std::vector<Entry> entries_;
    std::vector<SamplerStateBlock> samplerStates_;
};

} // namespace d3dx9
