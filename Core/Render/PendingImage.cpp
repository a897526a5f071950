#include "Core/Render/PendingImage.h"
#include "Core/Base/Log.h"
#include "Core/Base/Stream.h"
#include "Core/Render/ImageData.h"
#include "Core/Render/ImageLoader.h"
#include "Core/Render/Texture.h"

#include <cstring>

namespace render {

namespace {

u32 BigEndian(const u8* p)
{
    return u32(p[0]) << 24 | u32(p[1]) << 16 | u32(p[2]) << 8 | u32(p[3]);
}

} // namespace

PendingImage::PendingImage(std::unique_ptr<base::StreamCreator> opener, std::wstring extension, std::wstring name)
    : opener(std::move(opener)), extension(std::move(extension)), name(std::move(name))
{
}

PendingImage::~PendingImage() = default;

bool PendingImage::ProbeSize(base::Stream& stream, const std::wstring& extension, u32& width, u32& height)
{
    if (ImageLoader::KindForExtension(extension.c_str()) != ImageLoader::Kind::Devil)
        return false;
    // The signature, then the first chunk: 13 bytes of IHDR, width and height first.
    static const u8 kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    u8 head[24];
    if (stream.Seek(0, base::SeekBegin) != 0)
        return false;
    const u32 got = stream.Read(head, sizeof head);
    stream.Seek(0, base::SeekBegin);
    if (got != sizeof head || std::memcmp(head, kSignature, 8) != 0 || BigEndian(head + 8) != 13 ||
        std::memcmp(head + 12, "IHDR", 4) != 0)
        return false;
    width = BigEndian(head + 16);
    height = BigEndian(head + 20);
    return width > 0 && height > 0 && width <= u32(kMaxImageSide) && height <= u32(kMaxImageSide);
}

GEResultEnum PendingImage::DecodeInto(Texture& texture) const
{
    base::Stream* opened = nullptr;
    if (!opener || opener->Create(&opened) != 0 || !opened) {
        GE_LOG(L"Texture '%s' could not be opened again to be decoded.\n") << name;
        return GE_FAIL;
    }
    std::unique_ptr<base::Stream> stream(opened);
    std::unique_ptr<ImageData> image(ImageLoader::Instance()->CreateImageData(stream.get(), extension.c_str(), nullptr));
    if (!image) {
        GE_LOG(L"Texture '%s' could not be decoded.\n") << name;
        return GE_FAIL;
    }
    if (u32(image->GetWidth()) != texture.GetWidth() || u32(image->GetHeight()) != texture.GetHeight()) {
        GE_LOG(L"Texture '%s' decodes as %d x %d, not as its header's %u x %u.\n")
            << name << image->GetWidth() << image->GetHeight() << texture.GetWidth() << texture.GetHeight();
        return GE_FAIL;
    }
    return texture.CreateFromImage(*image);
}

} // namespace render
