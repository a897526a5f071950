// Feeds arbitrary bytes as a folder's "layers.xml", then runs every lookup and
// listing of the container it made over the names it read.
#include "Core/File/FileManager.h"
#include "Core/File/PsdFolder.h"
#include "fuzz/LayersXmlInput.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

const wchar_t* const kExtensions[] = {L"", L".png"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, std::size_t size)
{
    if (size > 1u << 20)
        return 0;
    // Odd scales on some inputs, so that scaling saturates and truncates.
    file::FileManager::Instance()->imageScale = size % 3 == 0 ? 1.0f : (size % 3 == 1 ? 0.5f : 1e30f);
    LayersXmlInput input(data, size);
    file::PsdFolder folder(L"f", &input, 1.0f);

    const i32 count = folder.GetLayerCount();
    if (count < 0 || folder.GetLayer(count) || folder.GetLayer(-1))
        std::abort();
    std::vector<std::wstring> names;
    for (i32 i = 0; i < count; ++i) {
        base::ImageInfo* layer = folder.GetLayer(i);
        if (!layer || folder.FindLayer(layer->name) != layer)
            std::abort(); // every listed entry is the record its name finds
        if (layer->opacity > 255 || std::isnan(layer->x) || std::isnan(layer->width))
            std::abort();
        names.push_back(layer->name);
    }
    for (const std::wstring& name : names) {
        u32 index = 0;
        std::unique_ptr<file::ImageFileInfo> info(folder.GetImageFileInfo(name, kExtensions, 2, &index));
        if (!info)
            std::abort();
        std::unique_ptr<base::Stream> stream(folder.OpenRead(info->path));
        std::vector<std::wstring> out;
        folder.ListLayers(name, true, out, true);
        folder.ListLayers(name, false, out, false);
        folder.ListFolders(name, out, true);
        folder.IsFolder(name);
        folder.HasLayer(name);
        folder.HasImageFile(name);
    }
    std::vector<std::wstring> out;
    folder.ListLayers(L"", true, out, false);
    folder.ListFolders(L"", out, false);
    file::FileManager::Instance()->imageScale = 1.0f;
    return 0;
}
