#pragma once
// The D3DX9 shader compiler subset: HLSL compiled at run time to byte code that the
// Direct3D 9 stand-in accepts, with a constant table to set constants by name.
#include "Platform/D3D9/D3D9.h"

using D3DXHANDLE = const char*;

struct D3DXVECTOR4 {
    float x, y, z, w;
};
struct D3DXMATRIX : D3DMATRIX {};

struct D3DXMACRO {
    const char* Name;
    const char* Definition;
};
struct ID3DXInclude; // include handlers are not supported; pass null

constexpr DWORD D3DXSHADER_DEBUG = 1;

enum D3DXREGISTER_SET : DWORD {
    D3DXRS_BOOL = 0,
    D3DXRS_INT4 = 1,
    D3DXRS_FLOAT4 = 2,
    D3DXRS_SAMPLER = 3,
};

enum D3DXPARAMETER_CLASS : DWORD {
    D3DXPC_SCALAR = 0,
    D3DXPC_VECTOR = 1,
    D3DXPC_MATRIX_ROWS = 2,
    D3DXPC_MATRIX_COLUMNS = 3,
    D3DXPC_OBJECT = 4,
    D3DXPC_STRUCT = 5,
};

enum D3DXPARAMETER_TYPE : DWORD {
    D3DXPT_VOID = 0,
    D3DXPT_BOOL = 1,
    D3DXPT_INT = 2,
    D3DXPT_FLOAT = 3,
    D3DXPT_TEXTURE = 5,
    D3DXPT_SAMPLER = 10,
    D3DXPT_SAMPLER2D = 12,
};

struct D3DXCONSTANT_DESC {
    const char* Name;
    D3DXREGISTER_SET RegisterSet;
    UINT RegisterIndex;
    UINT RegisterCount;
    D3DXPARAMETER_CLASS Class;
    D3DXPARAMETER_TYPE Type;
    UINT Rows;
    UINT Columns;
    UINT Elements;
    UINT StructMembers;
    UINT Bytes;
    const void* DefaultValue;
};

struct D3DXCONSTANTTABLE_DESC {
    const char* Creator;
    DWORD Version;
    UINT Constants;
};

struct ID3DXBuffer : IUnknown {
    virtual void* GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};

// Constants of one compiled shader. Handles stay valid while the table lives; set
// operations write the device's constant registers.
struct ID3DXConstantTable : IUnknown {
    virtual HRESULT GetDesc(D3DXCONSTANTTABLE_DESC* desc) = 0;
    // *count is the capacity of desc on entry (1 when null) and the number written on return.
    virtual HRESULT GetConstantDesc(D3DXHANDLE constant, D3DXCONSTANT_DESC* desc, UINT* count) = 0;
    // parent must be null (structures are not supported); null when out of range.
    virtual D3DXHANDLE GetConstant(D3DXHANDLE parent, UINT index) = 0;
    // parent must be null; null for an unknown name.
    virtual D3DXHANDLE GetConstantByName(D3DXHANDLE parent, const char* name) = 0;
    virtual HRESULT SetFloat(IDirect3DDevice9* device, D3DXHANDLE constant, float value) = 0;
    virtual HRESULT SetVector(IDirect3DDevice9* device, D3DXHANDLE constant, const D3DXVECTOR4* vector) = 0;
    virtual HRESULT SetMatrix(IDirect3DDevice9* device, D3DXHANDLE constant, const D3DXMATRIX* matrix) = 0;
};

using LPD3DXBUFFER = ID3DXBuffer*;
using LPD3DXCONSTANTTABLE = ID3DXConstantTable*;

// Compiles one entry point of HLSL text for a vs_* or ps_* profile. On success *shader
// holds byte code for CreateVertexShader / CreatePixelShader, *errorMessages (when
// asked for) the compiler's warnings or null, *constantTable the constants. On failure
// *errorMessages holds the compiler's text and the other outputs are null.
HRESULT D3DXCompileShader(const char* srcData, UINT srcDataLen, const D3DXMACRO* defines,
                          ID3DXInclude* include, const char* functionName, const char* profile, DWORD flags,
                          ID3DXBuffer** shader, ID3DXBuffer** errorMessages,
                          ID3DXConstantTable** constantTable);
