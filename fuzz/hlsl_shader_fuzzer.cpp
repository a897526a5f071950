// Feeds arbitrary bytes as a shader file to the HLSL compiler the renderer loads its
// shader files with (first byte: pixel or vertex profile, as the renderer asks for
// them), and walks the constant table of what compiles.
#include "Platform/D3DX9/D3DX9.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    if (size < 1 || size > 64 * 1024)
        return 0;
    const bool pixel = (data[0] & 1) != 0;
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* messages = nullptr;
    ID3DXConstantTable* table = nullptr;
    const HRESULT hr = D3DXCompileShader(reinterpret_cast<const char*>(data + 1), static_cast<UINT>(size - 1), nullptr,
                                         nullptr, pixel ? "pixel_shader" : "vertex_shader", pixel ? "ps_2_0" : "vs_1_1",
                                         D3DXSHADER_DEBUG, &code, &messages, &table);
    if (messages) {
        // The renderer reads the messages as text up to their end.
        const char* text = static_cast<const char*>(messages->GetBufferPointer());
        std::vector<char> copy(text, text + messages->GetBufferSize());
        messages->Release();
    }
    if (FAILED(hr)) {
        // A failure hands out nothing but the messages.
        if (code || table)
            std::abort();
        return 0;
    }
    if (!code || code->GetBufferSize() == 0)
        std::abort();
    if (table) {
        D3DXCONSTANTTABLE_DESC desc{};
        if (SUCCEEDED(table->GetDesc(&desc)))
            for (UINT i = 0; i <= desc.Constants; ++i) {
                D3DXHANDLE constant = table->GetConstant(nullptr, i);
                if ((constant == nullptr) != (i == desc.Constants))
                    std::abort();
                if (!constant)
                    break;
                D3DXCONSTANT_DESC constantDesc{};
                UINT count = 1;
                table->GetConstantDesc(constant, &constantDesc, &count);
                if (constantDesc.Name && table->GetConstantByName(nullptr, constantDesc.Name) == nullptr)
                    std::abort();
            }
        table->Release();
    }
    code->Release();
    return 0;
}
