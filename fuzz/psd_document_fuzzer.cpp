// Feeds arbitrary bytes to the layered-document reader and walks everything a
// loaded document offers, as the layered-image containers do.
#include "Core/Psd/PsdDocument.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const u8* data, std::size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    PsdContext* ctx = nullptr;
    const int status = LoadPsdDocumentFromMemory(&ctx, data, static_cast<u32>(size));
    if (status != PSD_OK) {
        if (ctx)
            std::abort(); // a failed load hands out no document
        return 0;
    }
    PsdDocumentPtr doc(ctx);
    if (doc->layerCount != static_cast<i32>(doc->layerRecords.size()) || doc->layerRecords.empty())
        std::abort();
    u32 sum = 0;
    for (const PsdLayerRecord& r : doc->layerRecords) {
        // Pixels, when present, cover exactly the layer's rectangle.
        if (!r.pixels.empty() &&
            r.pixels.size() != static_cast<size_t>(r.width) * static_cast<size_t>(r.height))
            std::abort();
        for (u32 p : r.pixels)
            sum += p;
        for (u8 m : r.maskPixels)
            sum += m;
        sum += static_cast<u32>(PsdUtf16ToWide(r.unicodeName).size());
    }
    for (u32 p : doc->mergedImage)
        sum += p;
    for (const PsdPattern& pattern : doc->patterns)
        for (u32 p : pattern.pixels)
            sum += p;
    volatile u32 sink = sum;
    (void)sink;
    return 0;
}
