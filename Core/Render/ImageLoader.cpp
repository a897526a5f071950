#include "Core/Render/ImageLoader.h"
#include "Core/Base/ImageInfo.h"
#include "Core/Base/Log.h"
#include "Core/Render/ImageDataDDS.h"
#include "Core/Render/ImageDataDevil.h"
#include "Core/Render/ImageDataRaw.h"
#include <cwchar>
#include <memory>

namespace render {

ImageLoader::Kind ImageLoader::KindForExtension(const wchar_t* extension)
{
    if (!extension)
        return Kind::None;
    if (std::wcsncmp(extension, L".dds", 4) == 0)
        return Kind::Dds;
    for (const wchar_t* devil : {L".bmp", L".gif", L".jpg", L".png", L".tga"})
        if (std::wcsncmp(extension, devil, 4) == 0)
            return Kind::Devil;
    return Kind::None;
}

ImageData* ImageLoader::CreateImageData(base::Stream* stream, const wchar_t* extension,
                                        const base::ImageInfo* info)
{
    std::unique_ptr<ImageData> decoder;
    if (info && info->rawPixels) {
        decoder = std::make_unique<ImageDataRaw>(*info);
    } else {
        switch (KindForExtension(extension)) {
        case Kind::Dds:
            decoder = std::make_unique<ImageDataDDS>();
            break;
        case Kind::Devil:
            decoder = std::make_unique<ImageDataDevil>();
            break;
        default:
            return nullptr;
        }
    }
    // A decoder that failed would hand the texture a size it cannot fill.
    if (decoder->Load(stream, extension) != GE_OK)
        return nullptr;
    return decoder.release();
}

} // namespace render
