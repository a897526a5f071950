#include "Source/TD/World/TDFrameEntry.h"

#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/Image.h"
#include "Core/Resource/ResourceTexture.h"
#include "Framework/GameApplication.h"

void TDFrameEntry::draw(render::Graphics*, float) {}

void TDFrameEntry::onMouseMove(int, int) {}

void TDFrameEntry::update(float) {}

render::Render* GameRenderer()
{
    framework::GameApplication* application = framework::GetGameApplication();
    return application ? application->render.get() : nullptr;
}

ImageHandle LoadImageHandle(render::Render* renderer, const std::wstring& name, file::ImageContainer* container,
                            base::ImageInfo* info)
{
    if (!renderer)
        return nullptr;
    render::Image* image = nullptr;
    if (renderer->LoadTexture(name, container, &image, info) != GE_OK || !image)
        return nullptr;
    if (resource::ResourceTexture* texture = image->GetResource())
        texture->container = nullptr;
    return ImageHandle(image);
}
