#include "Core/Render/DrawCustomParam.h"
#include "Core/Render/DrawParam.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Render.h"
#include "Core/Render/Shader.h"
#include "Core/Render/ShaderImpl.h"

namespace render {

u32 DrawCustomParam::DerivePrimitiveCount(u32 type, u32 n)
{
    switch (type) {
    case Render::PointList:
        return n;
    case Render::LineList:
        return n / 2;
    case Render::LineStrip:
        return n > 0 ? n - 1 : 0;
    case Render::TriangleList:
        return n / 3;
    case Render::TriangleStrip:
    case Render::TriangleFan:
        return n > 1 ? n - 2 : 0;
    default:
        return 0;
    }
}

GEResultEnum DrawCustomParam::Draw(DrawParam& request)
{
    if (!graphics || !render || !vertices || !shader || !shader->GetProgram())
        return GE_FAIL;
    GEResultEnum result = request.ApplyTransform(vertices, format, vertexCount);
    if (result != GE_OK)
        return result;
    if (graphics->transform) {
        result = graphics->transform->TransformVertices(vertices, format, vertexCount);
        if (result != GE_OK)
            return result;
    }
    Graphics::SnapVertices(vertices, format, vertexCount);

    if (state->shader != shader->GetProgram()) {
        state->shader = shader->GetProgram();
        graphics->dirty = 1;
    }
    shader->SetMatrix(graphics->projection);
    const u32 count = primitiveCount
                          ? primitiveCount
                          : DerivePrimitiveCount(primitiveType, indexBuffer ? indexCount : vertexCount);
    if (state->vertexBuffer != vertexBuffer) {
        state->vertexBuffer = vertexBuffer;
        graphics->dirty = 1;
    }
    if (indexBuffer) {
        if (state->indexBuffer != indexBuffer) {
            state->indexBuffer = indexBuffer;
            graphics->dirty = 1;
        }
        result = graphics->HandOverState();
        if (result != GE_OK)
            return result;
        return render->DrawIndexed(primitiveType, firstIndex, count, firstVertex, vertexCount);
    }
    result = graphics->HandOverState();
    if (result != GE_OK)
        return result;
    return render->Draw(primitiveType, firstVertex, count);
}

} // namespace render
