#include "Source/TD/World/TDResources.h"

#include "Core/Base/ImageInfo.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileManager.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/Image.h"
#include "Source/TD/World/TDFrameEntry.h"

#include <algorithm>
#include <memory>
#include <tinyxml2.h>

const char* const TDResources::kListNames[] = {
    "",      "rotate", "f_00",  "f_01",    "f_02",  "f_03",  "f_04",    "f_05",       "f_06",
    "f_07",  "f_08",   "f_09",  "f_10",    "f_11",  "f_12",  "f_13",    "f_14",       "f_15",
    "blast", "idle",   "shot",  "walk",    "walk_up", "death", "special", "pivot",    "fire",
    "s_point", "base_point"};
const int TDResources::kListNameCount = static_cast<int>(sizeof(kListNames) / sizeof(kListNames[0]));

namespace {

const std::vector<TDFrameEntry*> kNoFrames;

} // namespace

SpriteDescription::~SpriteDescription()
{
    for (auto& [list, frames] : lists)
        for (TDFrameEntry* frame : frames)
            delete frame;
}

const std::vector<TDFrameEntry*>& SpriteDescription::frames(const std::string& animation) const
{
    const auto it = lists.find(animation);
    return it == lists.end() ? kNoFrames : it->second;
}

void SpriteDescription::extent(float* width, float* height) const
{
    float w = 0.0f, h = 0.0f;
    for (const auto& [list, frames] : lists)
        for (const TDFrameEntry* frame : frames) {
            w = std::max(w, frame->mX + frame->mWidth);
            h = std::max(h, frame->mY + frame->mHeight);
        }
    if (width)
        *width = w;
    if (height)
        *height = h;
}

TDResources::~TDResources()
{
    clear();
}

void TDResources::clear()
{
    for (SpriteDescription* description : mDescriptions)
        delete description;
    mDescriptions.clear();
}

render::Render* TDResources::activeRenderer() const
{
    return renderer ? renderer : GameRenderer();
}

SpriteDescription* TDResources::find(const std::wstring& name) const
{
    for (SpriteDescription* description : mDescriptions)
        if (description->name == name || (!description->secondName.empty() && description->secondName == name))
            return description;
    return nullptr;
}

TDFrameEntry* TDResources::getFrame(const std::wstring& description, const std::string& animation,
                                    const std::wstring& frame) const
{
    for (SpriteDescription* candidate : mDescriptions) {
        if (candidate->name != description)
            continue;
        const auto list = candidate->lists.find(animation);
        if (list == candidate->lists.end())
            return nullptr;
        for (TDFrameEntry* entry : list->second)
            if (entry->mName == frame)
                return entry;
        return nullptr;
    }
    return nullptr;
}

SpriteDescription* TDResources::findOrLoad(const std::wstring& name)
{
    if (SpriteDescription* found = find(name))
        return found;
    loadContainer(name);
    return find(name);
}

int TDResources::loadContainer(const std::wstring& path)
{
    std::unique_ptr<file::ImageContainer> container(file::FileManager::Instance()->OpenImageContainer(path));
    if (!container) {
        GE_LOG(L"Sprite description '%s' could not be opened.\n") << path;
        return 0;
    }
    render::Render* target = activeRenderer();
    std::vector<std::wstring> folders;
    container->ListFolders(L"", folders, true);
    int registered = 0;
    for (const std::wstring& folder : folders) {
        const std::wstring name = L"td/" + folder;
        if (find(name))
            continue;
        auto* description = new SpriteDescription;
        description->name = name;
        for (int i = 0; i < kListNameCount; ++i) {
            const std::string list = kListNames[i];
            std::vector<TDFrameEntry*>& frames = description->lists[list];
            const std::wstring prefix = folder + L"/" + (list.empty() ? L"" : ConvertToWide(list) + L"/");
            std::vector<std::wstring> layers;
            container->ListLayers(prefix, false, layers, false);
            for (const std::wstring& layer : layers) {
                auto* entry = new TDFrameEntry;
                entry->mName = layer;
                entry->mImage = LoadImageHandle(target, layer, container.get(), nullptr);
                if (const base::ImageInfo* info = container->FindLayer(layer)) {
                    entry->mX = info->x;
                    entry->mY = info->y;
                    entry->mWidth = info->width;
                    entry->mHeight = info->height;
                    entry->mColor.w = static_cast<float>(info->opacity) / 255.0f;
                }
                frames.push_back(entry);
            }
        }
        mDescriptions.push_back(description);
        ++registered;
    }
    return registered;
}

SpriteDescription* TDResources::loadImageDescription(const std::wstring& name)
{
    base::ImageInfo info;
    ImageHandle image = LoadImageHandle(activeRenderer(), name, nullptr, &info);
    if (!image) {
        GE_LOG(L"Sprite image '%s' could not be loaded.\n") << name;
        return nullptr;
    }
    auto* entry = new TDFrameEntry;
    entry->mName = name;
    entry->mImage = image;
    entry->mWidth = static_cast<float>(image->GetWidth());
    entry->mHeight = static_cast<float>(image->GetHeight());
    auto* description = new SpriteDescription;
    description->name = name;
    description->secondName = name;
    description->lists[""].push_back(entry);
    mDescriptions.push_back(description);
    return description;
}

SpriteDescription* TDResources::getDescription(const tinyxml2::XMLElement* element)
{
    if (!element)
        return nullptr;
    const char* psd = element->Attribute("psd");
    const char* img = element->Attribute("img");
    std::wstring psdName, imgName;
    if (psd && *psd && !TryConvertToWide(psd, psdName, L"sprite description name"))
        psdName.clear();
    if (img && *img && !TryConvertToWide(img, imgName, L"sprite image name"))
        imgName.clear();
    SpriteDescription* description = nullptr;
    if (!psdName.empty())
        description = findOrLoad(L"td/" + psdName);
    if (!imgName.empty()) {
        const std::wstring key = L"td/" + imgName;
        if (description) {
            if (description->secondName.empty())
                description->secondName = key;
        } else if (!(description = find(key))) {
            description = loadImageDescription(key);
        }
    }
    return description;
}
