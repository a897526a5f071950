// Feeds arbitrary bytes to the DevIL decoder; the first byte picks the extension.
#include "Core/Base/MemoryStream.h"
#include "Core/Render/AlphaMask.h"
#include "Core/Render/ImageDataDevil.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const u8* data, std::size_t size)
{
    if (size < 1 || size > 0xFFFFFFFFu)
        return 0;
    static const wchar_t* const kExtensions[] = {L".png", L".bmp", L".tga", L".gif", L".jpg"};
    const wchar_t* extension = kExtensions[data[0] % 5];
    base::MemoryStream stream(data + 1, static_cast<u32>(size - 1));
    render::ImageDataDevil image;
    if (image.Load(&stream, extension) != GE_OK)
        return 0;
    const u32 w = static_cast<u32>(image.GetWidth());
    const u32 h = static_cast<u32>(image.GetHeight());
    // Keep the run's memory bounded; the decoder itself allows up to 16384 a side.
    if (static_cast<u64>(w) * h > (1u << 22))
        return 0;
    std::vector<u8> bits(static_cast<size_t>(w) * h * 4);
    render::AlphaMask mask;
    mask.Resize(w * h);
    image.CopyPixels(static_cast<i32>(w * 4), 0, bits.data(), &mask, 0);
    return 0;
}
