#pragma once
#include "Core/Render/Shader.h"

namespace render {

class Image;
class Texture;

// A shader that samples one texture through its "TextureSampler".
class ShaderTextured : public Shader {
public:
    ShaderTextured() = default;
    ShaderTextured(ShaderImpl* program, Render* renderer);

    u32 Release() override;
    GEResultEnum InitVariables() override;

    // A texture other than the current one marks the variable and the program
    // changed; the same texture again changes nothing. Always GE_OK. Inline: every
    // sprite sets it.
    GEResultEnum SetTexture(Texture* texture)
    {
        if (textureVariable)
            textureVariable->SetValue(texture);
        return GE_OK;
    }
    // The image's device texture (its atlas's when it lives in one).
    GEResultEnum SetTexture(const Image& image);
    ShaderTextureVariable<1>* GetTextureVariable() const { return textureVariable; }

protected:
    std::string samplerName = "TextureSampler";
    ShaderTextureVariable<1>* textureVariable = nullptr; // owned by the program
};

} // namespace render
