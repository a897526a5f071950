#pragma once
#include "Core/Base/Types.h"
#include "Core/Render/Math/Matrix4.h"
#include "Core/Render/ShaderVariable.h"
#include "Core/Resource/Resource.h"
#include <memory>
#include <string>

namespace render {

class Render;
class ShaderImpl;

// A vertex and pixel program pair as a resource. Either wraps a ready program (the
// renderer's built-in shaders: loaded at once) or is loaded from a folder holding
// "VS.hlsl" and "PS.hlsl"; the resource name is that folder, ending in '/', and the
// owner sets the renderer before Load.
class Shader : public resource::Resource {
public:
    Shader();
    // Takes ownership of `program`; the shader counts as loaded.
    Shader(ShaderImpl* program, Render* renderer);
    ~Shader() override;

    u32 Release() override;
    GEResultEnum DoLoad() override;
    GEResultEnum DoUnLoad() override;
    // Looks up the program's variables; the first failure is returned.
    virtual GEResultEnum InitVariables();

    void SetRenderer(Render* value) { renderer = value; }
    Render* GetRenderer() const { return renderer; }
    ShaderImpl* GetProgram() const { return program.get(); }
    ShaderScalarPointer<math::Matrix4, 1>* GetMatrixVariable() const { return matrixVariable; }
    // Points the "Proj" variable at a matrix that stays valid until the frame is replayed.
    // Inline: every sprite sets it.
    void SetMatrix(const math::Matrix4* matrix)
    {
        if (matrixVariable)
            matrixVariable->SetValue(matrix);
    }

protected:
    Render* renderer = nullptr;
    std::unique_ptr<ShaderImpl> program;
    std::string matrixName = "Proj";
    ShaderScalarPointer<math::Matrix4, 1>* matrixVariable = nullptr; // owned by the program
};

} // namespace render
