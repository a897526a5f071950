#include "Platform/D3DX9/ConstantTable.h"

#include <cstring>

namespace d3dx9 {

ConstantTable::ConstantTable(d3d9::ShaderStage stage, const std::vector<d3d9::ShaderConstant>& constants,
                             std::vector<SamplerStateBlock> samplerStates)
    : stage_(stage), samplerStates_(std::move(samplerStates))
{
    // Filled once: handles and descriptor names point into these entries.
    entries_.reserve(constants.size());
    for (const d3d9::ShaderConstant& c : constants) {
        Entry& e = entries_.emplace_back();
        e.info = c;
        e.desc = {};
    }
    for (Entry& e : entries_) {
        const bool sampler = e.info.registerSet == d3d9::kRegisterSetSampler;
        e.desc.Name = e.info.name.c_str();
        e.desc.RegisterSet = sampler ? D3DXRS_SAMPLER : D3DXRS_FLOAT4;
        e.desc.RegisterIndex = e.info.registerIndex;
        e.desc.RegisterCount = e.info.registerCount;
        e.desc.Class = static_cast<D3DXPARAMETER_CLASS>(e.info.parameterClass);
        e.desc.Type = static_cast<D3DXPARAMETER_TYPE>(e.info.parameterType);
        e.desc.Rows = e.info.rows;
        e.desc.Columns = e.info.columns;
        e.desc.Elements = e.info.elements;
        e.desc.StructMembers = 0;
        e.desc.Bytes = sampler ? 4 : e.info.rows * e.info.columns * e.info.elements * 4;
        e.desc.DefaultValue = nullptr;
    }
}

ULONG ConstantTable::Release()
{
    const ULONG left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

const ConstantTable::Entry* ConstantTable::Find(D3DXHANDLE handle) const
{
    for (const Entry& e : entries_)
        if (handle == reinterpret_cast<D3DXHANDLE>(&e))
            return &e;
    return nullptr;
}

HRESULT ConstantTable::GetDesc(D3DXCONSTANTTABLE_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    desc->Creator = "GE HLSL translator";
    desc->Version = stage_ == d3d9::ShaderStage::Vertex ? D3DVS_VERSION(1, 1) : D3DPS_VERSION(2, 0);
    desc->Constants = static_cast<UINT>(entries_.size());
    return D3D_OK;
}

HRESULT ConstantTable::GetConstantDesc(D3DXHANDLE constant, D3DXCONSTANT_DESC* desc, UINT* count)
{
    const Entry* e = Find(constant);
    if (!e)
        return D3DERR_INVALIDCALL;
    if (count && *count == 0) {
        *count = 1;
        return D3D_OK;
    }
    if (desc)
        *desc = e->desc;
    if (count)
        *count = 1;
    return D3D_OK;
}

D3DXHANDLE ConstantTable::GetConstant(D3DXHANDLE parent, UINT index)
{
    if (parent || index >= entries_.size())
        return nullptr;
    return reinterpret_cast<D3DXHANDLE>(&entries_[index]);
}

D3DXHANDLE ConstantTable::GetConstantByName(D3DXHANDLE parent, const char* name)
{
    if (parent || !name)
        return nullptr;
    for (const Entry& e : entries_)
        if (e.info.name == name)
            return reinterpret_cast<D3DXHANDLE>(&e);
    return nullptr;
}

HRESULT ConstantTable::WriteRegisters(IDirect3DDevice9* device, const Entry& e, const float* regs, UINT count)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    if (count > e.info.registerCount)
        count = e.info.registerCount;
    return stage_ == d3d9::ShaderStage::Vertex
               ? device->SetVertexShaderConstantF(e.info.registerIndex, regs, count)
               : device->SetPixelShaderConstantF(e.info.registerIndex, regs, count);
}

HRESULT ConstantTable::SetFloat(IDirect3DDevice9* device, D3DXHANDLE constant, float value)
{
    const Entry* e = Find(constant);
    if (!e || e->info.registerSet != d3d9::kRegisterSetFloat4)
        return D3DERR_INVALIDCALL;
    const float reg[4] = {value, 0.0f, 0.0f, 0.0f};
    return WriteRegisters(device, *e, reg, 1);
}

HRESULT ConstantTable::SetVector(IDirect3DDevice9* device, D3DXHANDLE constant, const D3DXVECTOR4* vector)
{
    const Entry* e = Find(constant);
    if (!e || !vector || e->info.registerSet != d3d9::kRegisterSetFloat4)
        return D3DERR_INVALIDCALL;
    const float reg[4] = {vector->x, vector->y, vector->z, vector->w};
    return WriteRegisters(device, *e, reg, 1);
}

HRESULT ConstantTable::SetMatrix(IDirect3DDevice9* device, D3DXHANDLE constant, const D3DXMATRIX* matrix)
{
    const Entry* e = Find(constant);
    if (!e || !matrix || e->info.registerSet != d3d9::kRegisterSetFloat4 ||
        e->info.parameterClass != D3DXPC_MATRIX_COLUMNS)
        return D3DERR_INVALIDCALL;
    // Register j holds column j of the matrix.
    float regs[16] = {};
    for (DWORD j = 0; j < e->info.columns; ++j)
        for (DWORD i = 0; i < e->info.rows; ++i)
            regs[j * 4 + i] = matrix->m[i][j];
    return WriteRegisters(device, *e, regs, e->info.columns);
}

} // namespace d3dx9
