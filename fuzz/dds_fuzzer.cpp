// Feeds arbitrary bytes to the DDS decoder and, when it accepts them, copies the
// top level into a buffer of exactly the size a texture lock would hand out.
#include "Core/Base/MemoryStream.h"
#include "Core/Render/AlphaMask.h"
#include "Core/Render/ImageDataDDS.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const u8* data, std::size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    base::MemoryStream stream(data, static_cast<u32>(size));
    render::ImageDataDDS dds;
    if (dds.Load(&stream, L".dds") != GE_OK)
        return 0;
    // An accepted header fits the data it came with.
    if (dds.GetTopLevelSize() == 0 || dds.GetTopLevelSize() > dds.GetDataByteCount())
        std::abort();
    const u32 w = static_cast<u32>(dds.GetWidth());
    const u32 h = static_cast<u32>(dds.GetHeight());
    const bool blocks = dds.GetCompression() != render::ImageData::Uncompressed;
    const u32 rows = blocks ? (h + 3) / 4 : h;
    u32 pitch = static_cast<u32>(dds.GetTopLevelSize() / rows);
    // Uncompressed rows are widened to 32-bit texels on the way into the texture.
    if (!blocks)
        pitch = std::max(pitch, w * 4u);
    std::vector<u8> bits(static_cast<size_t>(pitch) * rows);
    render::AlphaMask mask;
    mask.Resize(w * h);
    if (dds.CopyPixels(static_cast<i32>(pitch), 0, bits.data(), &mask, 0) != GE_OK)
        std::abort(); // Load checked that the data is there
    return 0;
}
