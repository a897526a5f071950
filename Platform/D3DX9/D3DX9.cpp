#include "Platform/D3DX9/D3DX9.h"
#include "Platform/D3DX9/ConstantTable.h"
#include "Platform/D3DX9/HlslCompiler.h"
#include "Platform/D3DX9/XBuffer.h"

#include <cstring>

HRESULT D3DXCompileShader(const char* srcData, UINT srcDataLen, const D3DXMACRO* defines,
                          ID3DXInclude* include, const char* functionName, const char* profile,
                          DWORD /*flags*/, ID3DXBuffer** shader, ID3DXBuffer** errorMessages,
                          ID3DXConstantTable** constantTable)
{
    if (shader)
        *shader = nullptr;
    if (errorMessages)
        *errorMessages = nullptr;
    if (constantTable)
        *constantTable = nullptr;
    if ((!srcData && srcDataLen > 0) || !functionName || !profile || !shader)
        return D3DERR_INVALIDCALL;
    if (include) {
        if (errorMessages)
            *errorMessages = d3dx9::XBuffer::FromText("error: include handlers are not supported\n");
        return E_FAIL;
    }

    // Macros go on lines of their own ahead of the text; "#line 1" keeps the author's
    // line numbers in messages.
    std::string source;
    for (const D3DXMACRO* m = defines; m && m->Name; ++m)
        source += std::string("#define ") + m->Name + " " + (m->Definition ? m->Definition : "") + "\n";
    if (!source.empty())
        source += "#line 1\n";
    if (srcDataLen > 0)
        source.append(srcData, srcDataLen);

    d3dx9::CompileResult result = d3dx9::HlslCompiler::Compile(source, functionName, profile);
    if (!result.ok) {
        if (errorMessages)
            *errorMessages = d3dx9::XBuffer::FromText(result.messages);
        return E_FAIL;
    }
    const std::vector<DWORD> words = d3d9::EncodeShaderCode(result.code);
    std::vector<unsigned char> bytes(words.size() * sizeof(DWORD));
    std::memcpy(bytes.data(), words.data(), bytes.size());
    *shader = new d3dx9::XBuffer(std::move(bytes));
    if (errorMessages && !result.messages.empty())
        *errorMessages = d3dx9::XBuffer::FromText(result.messages);
    if (constantTable)
        *constantTable = new d3dx9::ConstantTable(result.code.stage, result.code.constants,
                                                  std::move(result.samplerStates));
    return D3D_OK;
}
