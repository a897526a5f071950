#include "Core/Render/RenderTarget.h"
#include "Core/Render/Render.h"
#include "Core/Render/Texture.h"

namespace render {

RenderTarget::RenderTarget(Texture* texture, u8 withProjection) : Image(texture)
{
    if (withProjection && texture && texture->GetRenderer()) {
        texture->GetRenderer()->MakeOrthoProjection(static_cast<float>(texture->GetWidth()),
                                                    static_cast<float>(texture->GetHeight()), &projection);
    }
}

} // namespace render
