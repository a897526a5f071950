#pragma once
// The device side of shader variables: what a compiled program offers to set one
// constant. The back end implements them.
#include "Core/Base/Types.h"
#include "Core/Render/Math/Matrix4.h"
#include "Core/Render/Math/Point4.h"

namespace render {

class Texture;

class ShaderScalarVariableImpl {
public:
    virtual ~ShaderScalarVariableImpl() = default;
    virtual GEResultEnum SetMatrix(const math::Matrix4* value) = 0;
    virtual GEResultEnum SetVector(const math::Point4* value) = 0;
    // w = 1.0
    virtual GEResultEnum SetVector(float x, float y, float z) = 0;
    // z = 0.0, w = 1.0
    virtual GEResultEnum SetVector(float x, float y) = 0;
    virtual GEResultEnum SetFloat(float value) = 0;
};

class ShaderTextureVariableImpl {
public:
    virtual ~ShaderTextureVariableImpl() = default;
    virtual GEResultEnum SetTexture(Texture* texture) = 0;
};

} // namespace render
