#include "Core/Render/DX9/ShaderImplDX9.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/DX9/ShaderVariableImplDX9.h"

namespace render {

ShaderImplDX9::ShaderImplDX9(RenderDX9* renderer) : ShaderImpl(renderer), dx9(renderer) {}

ShaderImplDX9::~ShaderImplDX9()
{
    // The variables hold handles into the constant tables: they go first.
    variables.clear();
    if (vertexShader)
        vertexShader->Release();
    if (pixelShader)
        pixelShader->Release();
    if (vertexConstants)
        vertexConstants->Release();
    if (pixelConstants)
        pixelConstants->Release();
}

GEResultEnum ShaderImplDX9::Create(const std::string& vertexText, const std::string& pixelText)
{
    if (!dx9 || !dx9->GetDevice())
        return GE_FAIL;
    vertexSource = vertexText;
    pixelSource = pixelText;
    const GEResultEnum result = CreateVertexShader(vertexSource);
    if (result != GE_OK)
        return result;
    return CreatePixelShader(pixelSource);
}

GEResultEnum ShaderImplDX9::CreateVertexShader(const std::string& source)
{
    return Compile(source, false);
}

GEResultEnum ShaderImplDX9::CreatePixelShader(const std::string& source)
{
    return Compile(source, true);
}

GEResultEnum ShaderImplDX9::Compile(const std::string& source, bool pixel)
{
    IDirect3DDevice9* device = dx9 ? dx9->GetDevice() : nullptr;
    if (!device)
        return GE_FAIL;
    ID3DXConstantTable*& table = pixel ? pixelConstants : vertexConstants;
    if (table) {
        table->Release();
        table = nullptr;
    }

    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* messages = nullptr;
    const HRESULT hr =
        D3DXCompileShader(source.data(), static_cast<UINT>(source.size()), nullptr, nullptr,
                          pixel ? "pixel_shader" : "vertex_shader", pixel ? "ps_2_0" : "vs_1_1",
                          D3DXSHADER_DEBUG, &code, &messages, &table);
    std::wstring text;
    if (messages) {
        const char* bytes = static_cast<const char*>(messages->GetBufferPointer());
        std::string narrow(bytes, messages->GetBufferSize());
        narrow = narrow.c_str(); // up to the terminating NUL
        text = ConvertToWide(narrow, StringEncoding::Ansi);
        messages->Release();
    }
    if (FAILED(hr)) {
        if (code)
            code->Release();
        if (table) {
            table->Release();
            table = nullptr;
        }
        // Say why: the compiler's message, or at least which stage failed.
        if (!text.empty())
            GE_LOG_BLOCK(L"%s\n") << text;
        else
            GE_LOG(L"The %s shader failed to compile.\n") << (pixel ? L"pixel" : L"vertex");
        return GE_FAIL;
    }
    if (!text.empty())
        GE_LOG_BLOCK(L"%s\n") << text;
    if (!code)
        return GE_FAIL;

    const auto* function = static_cast<const DWORD*>(code->GetBufferPointer());
    HRESULT created;
    if (pixel) {
        if (pixelShader) {
            pixelShader->Release();
            pixelShader = nullptr;
        }
        created = device->CreatePixelShader(function, &pixelShader);
        if (FAILED(created))
            pixelShader = nullptr;
    } else {
        if (vertexShader) {
            vertexShader->Release();
            vertexShader = nullptr;
        }
        created = device->CreateVertexShader(function, &vertexShader);
        if (FAILED(created))
            vertexShader = nullptr;
    }
    code->Release();
    return SUCCEEDED(created) ? GE_OK : GE_FAIL;
}

std::unique_ptr<ShaderScalarVariableImpl> ShaderImplDX9::CreateScalarVariable(const std::string& name,
                                                                              u32 stage)
{
    auto variable = std::make_unique<ShaderScalarVariableImplDX9>(this, stage, name);
    // A constant the program does not declare would fail every frame that sets it.
    if (!variable->IsBound())
        return nullptr;
    return variable;
}

std::unique_ptr<ShaderTextureVariableImpl> ShaderImplDX9::CreateTextureVariable(const std::string& name)
{
    auto variable = std::make_unique<ShaderTextureVariableImplDX9>(this, name);
    if (!variable->Init())
        return nullptr;
    return variable;
}

} // namespace render
