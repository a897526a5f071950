// Feeds arbitrary bytes to the archive index reader, then reads every entry it
// accepted through the same window streams the archiver hands out.
#include "Core/Base/FrameStream.h"
#include "Core/Base/MemoryStream.h"
#include "Core/File/ArchiveIndex.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const u8* data, std::size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    base::MemoryStream pack(data, static_cast<u32>(size));
    file::ArchiveIndex index;
    const u32 result = index.Read(pack, L"fuzz");
    if (result != 0 && !index.entries.empty())
        std::abort(); // a refused index must serve nothing

    std::vector<u8> buffer(4096);
    for (const auto& [name, entry] : index.entries) {
        // An accepted entry lies inside the file.
        if (static_cast<u64>(entry.offset) + entry.size > size)
            std::abort();
        base::FrameStream window(&pack, false, entry.offset, entry.size);
        u64 total = 0;
        while (const u32 got = window.Read(buffer.data(), static_cast<u32>(buffer.size())))
            total += got;
        if (total != entry.size)
            std::abort();
    }
    return 0;
}
