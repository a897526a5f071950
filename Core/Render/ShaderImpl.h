#pragma once
#include "Core/Base/Stream.h"
#include "Core/Base/Types.h"
#include "Core/Render/Math/Matrix4.h"
#include "Core/Render/Math/Point4.h"
#include "Core/Render/ShaderVariable.h"
#include <memory>
#include <string>
#include <vector>

namespace render {

class Render;

// A compiled vertex and pixel program pair with its variables. It registers with
// its renderer for as long as it lives. Its dirty mark says that some variable
// value still has to be recorded into the command stream.
class ShaderImpl {
public:
    // Counts and indices of the variable block are single bytes.
    static constexpr size_t kMaxVariables = 255;

    explicit ShaderImpl(Render* renderer);
    virtual ~ShaderImpl();
    ShaderImpl(const ShaderImpl&) = delete;
    ShaderImpl& operator=(const ShaderImpl&) = delete;

    // After a device reset every value is sent again.
    virtual GEResultEnum OnDeviceReset();
    virtual GEResultEnum OnDeviceLost();
    // Told when the renderer binds this program.
    virtual GEResultEnum OnBind();
    // Told when the renderer binds another program: every value is sent again
    // when this one comes back.
    virtual GEResultEnum MarkAllChanged();
    // The device variable of a constant (stage 0 vertex, 1 pixel), or null when that
    // stage declares no constant of the name.
    virtual std::unique_ptr<ShaderScalarVariableImpl> CreateScalarVariable(const std::string& name,
                                                                           u32 stage) = 0;
    // The device variable of a sampler, or null when there is none of that name.
    virtual std::unique_ptr<ShaderTextureVariableImpl> CreateTextureVariable(const std::string& name) = 0;

    // A constant the program lacks fails with a log line: binding it would only fail
    // at every frame that sets it.
    GEResultEnum GetMatrixVariable(const std::string& name, ShaderScalarPointer<math::Matrix4, 1>** out);
    GEResultEnum GetVectorVariable(const std::string& name, u32 stage,
                                   ShaderScalarVariable<math::Point4, 1>** out);
    GEResultEnum GetTextureVariable(const std::string& name, ShaderTextureVariable<1>** out);

    // The variable block: a count byte, then index byte and value of every changed
    // variable in list order. Clears the changed marks. 1 on a short write.
    GEResultEnum WriteVariables(base::Stream& stream);
    // Reads a variable block and applies each value; 1 on a short read or an index
    // that names no variable, else the first failing device result.
    GEResultEnum ReadAndApplyVariables(base::Stream& stream);

    bool IsDirty() const { return dirty != 0; }
    void MarkDirty() { dirty = 1; }
    Render* GetRenderer() const { return renderer; }
    const std::vector<std::unique_ptr<ShaderVariable>>& GetVariables() const { return variables; }

protected:
    // CreateScalarVariable, with a log line when the constant is missing.
    std::unique_ptr<ShaderScalarVariableImpl> BindScalarVariable(const std::string& name, u32 stage);
    // Takes ownership; fails (and destroys the variable) past kMaxVariables.
    GEResultEnum AddVariable(std::unique_ptr<ShaderVariable> variable);

    std::vector<std::unique_ptr<ShaderVariable>> variables;
    Render* renderer;
    u8 dirty = 1;
};

} // namespace render
