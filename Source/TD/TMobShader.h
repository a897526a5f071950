#pragma once
#include "Core/Render/Math/Point4.h"
#include "Core/Render/ShaderTextured.h"

// The shader enemy units are drawn with: a textured shader whose pixel program
// multiplies the sprite by a second colour, "color2" (white leaves it unchanged), so
// that hits and status effects can tint a unit.
class TMobShader : public render::ShaderTextured {
public:
    static constexpr const wchar_t* kFolder = L"td/Shaders/MobShader/DX/";

    u32 Release() override;
    // Fails when the owner has set no renderer.
    GEResultEnum DoLoad() override;
    // "color2", then "Proj" and "TextureSampler".
    GEResultEnum InitVariables() override;

    // Changes "color2" for the next draw; an equal colour changes nothing.
    void SetColor2(const math::Point4& color);
    render::ShaderScalarVariable<math::Point4, 1>* GetColor2() const { return color2; }

private:
    render::ShaderScalarVariable<math::Point4, 1>* color2 = nullptr; // owned by the program
};
