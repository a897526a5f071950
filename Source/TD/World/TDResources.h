#pragma once
// The registry of sprite descriptions: layered images whose folders hold the frames
// of a tower, unit, drop or interface set, one sub-folder per animation or marker.
#include "Core/Base/Singletone.h"
#include <map>
#include <string>
#include <vector>

namespace render {
class Render;
}
namespace tinyxml2 {
class XMLElement;
}

class TDFrameEntry;

struct SpriteDescription {
    SpriteDescription() = default;
    ~SpriteDescription();
    SpriteDescription(const SpriteDescription&) = delete;
    SpriteDescription& operator=(const SpriteDescription&) = delete;

    // The frames of one animation or marker ("" = layers directly in the folder); an
    // empty list when the description has none of that name.
    const std::vector<TDFrameEntry*>& frames(const std::string& animation) const;
    // The largest x + width and y + height over every frame (0, 0 without frames).
    void extent(float* width, float* height) const;

    std::wstring name;       // "td/" + folder name (or + "psd" path)
    std::wstring secondName; // "td/" + "img" path, when the description has one
    std::map<std::string, std::vector<TDFrameEntry*>> lists; // owned frames
};

class TDResources : public base::Singletone<TDResources> {
public:
    // The sub-folder names a description reads; others are ignored.
    static const char* const kListNames[];
    static const int kListNameCount;

    ~TDResources() override;

    // Frame `frame` of list `animation` of the loaded description `description`; null
    // when any of the three is missing. Never loads.
    TDFrameEntry* getFrame(const std::wstring& description, const std::string& animation,
                           const std::wstring& frame) const;
    // The loaded description of that name (or second name), else null.
    SpriteDescription* find(const std::wstring& name) const;
    // The description of that name, loading the layered image `name` on a miss; null
    // when the image does not yield it.
    SpriteDescription* findOrLoad(const std::wstring& name);
    // Opens a layered image and registers one description per folder, named "td/" +
    // the folder's name; folders already registered are skipped. Returns the count
    // registered.
    int loadContainer(const std::wstring& path);
    // The description keyed by the element's "psd" and "img" attributes (paths below
    // "td/"), loaded on first request; null for an element with neither.
    SpriteDescription* getDescription(const tinyxml2::XMLElement* element);
    // Deletes every description (the level's teardown).
    void clear();

    // Where textures are loaded; null means the game application's renderer.
    render::Render* renderer = nullptr;
    std::vector<SpriteDescription*> mDescriptions; // owned, in load order

private:
    render::Render* activeRenderer() const;
    SpriteDescription* loadImageDescription(const std::wstring& name);
};
