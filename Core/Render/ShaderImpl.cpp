#include "Core/Render/ShaderImpl.h"
#include "Core/Base/Log.h"
#include "Core/Render/Render.h"

namespace render {

ShaderImpl::ShaderImpl(Render* renderer) : renderer(renderer)
{
    if (renderer)
        renderer->RegisterShader(this);
}

ShaderImpl::~ShaderImpl()
{
    if (renderer)
        renderer->UnregisterShader(this);
}

GEResultEnum ShaderImpl::OnDeviceReset()
{
    for (auto& variable : variables)
        variable->SetDirty(true);
    dirty = 1;
    return GE_OK;
}

GEResultEnum ShaderImpl::OnDeviceLost()
{
    return GE_OK;
}

GEResultEnum ShaderImpl::OnBind()
{
    return GE_OK;
}

GEResultEnum ShaderImpl::MarkAllChanged()
{
    return OnDeviceReset();
}

GEResultEnum ShaderImpl::AddVariable(std::unique_ptr<ShaderVariable> variable)
{
    if (variables.size() >= kMaxVariables) {
        GE_LOG(L"Shader program has too many variables (at most %d).\n") << static_cast<int>(kMaxVariables);
        return GE_FAIL;
    }
    variables.push_back(std::move(variable));
    return GE_OK;
}

std::unique_ptr<ShaderScalarVariableImpl> ShaderImpl::BindScalarVariable(const std::string& name, u32 stage)
{
    auto impl = CreateScalarVariable(name, stage);
    if (!impl)
        GE_LOG(L"Shader program has no constant \"%s\" in stage %u.\n")
            << std::wstring(name.begin(), name.end()) << stage;
    return impl;
}

GEResultEnum ShaderImpl::GetMatrixVariable(const std::string& name,
                                           ShaderScalarPointer<math::Matrix4, 1>** out)
{
    auto impl = BindScalarVariable(name, 0);
    if (!impl)
        return GE_FAIL;
    auto variable = std::make_unique<ShaderScalarPointer<math::Matrix4, 1>>(this, std::move(impl));
    auto* raw = variable.get();
    if (AddVariable(std::move(variable)) != GE_OK)
        return GE_FAIL;
    *out = raw;
    return GE_OK;
}

GEResultEnum ShaderImpl::GetVectorVariable(const std::string& name, u32 stage,
                                           ShaderScalarVariable<math::Point4, 1>** out)
{
    auto impl = BindScalarVariable(name, stage);
    if (!impl)
        return GE_FAIL;
    auto variable = std::make_unique<ShaderScalarVariable<math::Point4, 1>>(this, std::move(impl));
    auto* raw = variable.get();
    if (AddVariable(std::move(variable)) != GE_OK)
        return GE_FAIL;
    *out = raw;
    return GE_OK;
}

GEResultEnum ShaderImpl::GetTextureVariable(const std::string& name, ShaderTextureVariable<1>** out)
{
    auto impl = CreateTextureVariable(name);
    if (!impl)
        return GE_FAIL;
    auto variable = std::make_unique<ShaderTextureVariable<1>>(this, std::move(impl));
    auto* raw = variable.get();
    if (AddVariable(std::move(variable)) != GE_OK)
        return GE_FAIL;
    *out = raw;
    return GE_OK;
}

GEResultEnum ShaderImpl::WriteVariables(base::Stream& stream)
{
    u8 count = 0;
    for (auto& variable : variables)
        if (variable->IsDirty())
            ++count;
    if (stream.Write(&count, 1) != 1)
        return GE_FAIL;
    for (size_t i = 0; i < variables.size(); ++i) {
        if (!variables[i]->IsDirty())
            continue;
        const u8 index = static_cast<u8>(i);
        if (stream.Write(&index, 1) != 1 || variables[i]->WriteValue(stream) != GE_OK)
            return GE_FAIL;
    }
    // Every changed value is in the stream now; only new changes go next time.
    for (auto& variable : variables)
        variable->SetDirty(false);
    dirty = 0;
    return GE_OK;
}

GEResultEnum ShaderImpl::ReadAndApplyVariables(base::Stream& stream)
{
    u8 count = 0;
    if (stream.Read(&count, 1) != 1)
        return GE_FAIL;
    for (u32 n = 0; n < count; ++n) {
        u8 index = 0;
        if (stream.Read(&index, 1) != 1)
            return GE_FAIL;
        if (index >= variables.size()) {
            GE_LOG(L"Shader variable block names variable %d of %d.\n")
                << static_cast<int>(index) << static_cast<int>(variables.size());
            return GE_FAIL;
        }
        const GEResultEnum result = variables[index]->ReadAndApply(stream);
        if (result != GE_OK)
            return result;
    }
    return GE_OK;
}

} // namespace render
