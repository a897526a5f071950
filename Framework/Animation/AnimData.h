#pragma once
// One key-framed animation: animated objects, each with ten motion envelopes
// (position, rotation, scale, dissolve) and optionally four colour envelopes, and the
// mesh libraries its objects take their meshes from.
#include "Core/Base/Types.h"
#include "Core/Resource/Resource.h"
#include "Core/Resource/ResourceHandle.h"
#include "Framework/Animation/Envelope.h"
#include "Framework/Lightwave/MeshLibrary.h"
#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace render {
class Render;
}

namespace animation {

class AnimData;

// Indices into AnimObject::motion.
enum MotionChannel : u32 {
    kPositionX = 0,
    kPositionY,
    kPositionZ,
    kRotationX,
    kRotationY,
    kRotationZ,
    kScaleX,
    kScaleY,
    kScaleZ,
    kDissolve,
    kMotionChannelCount,
};

// Indices into AnimObject::colour.
enum ColourChannel : u32 {
    kColourRed = 0,
    kColourGreen,
    kColourBlue,
    kColourTintAmount,
    kColourChannelCount,
};

struct AnimObject {
    AnimData* owner = nullptr;
    std::string name;
    std::string libraryName; // stem of the ".lib" file, or "null" / "screen_res"
    std::string meshName;    // or "null"
    bool hasParent = false;
    u32 parentIndex = 0; // into the animation's objects when hasParent is set
    bool flagA = false;  // kept as read; nothing uses them
    bool flagB = false;
    bool hasColour = false;
    std::unique_ptr<std::array<Envelope, kColourChannelCount>> colour; // null without colour
    std::array<Envelope, kMotionChannelCount> motion;
    lightwave::Mesh* mesh = nullptr; // resolved at load; null for objects without a mesh
};

class AnimData : public resource::Resource {
public:
    AnimData();
    ~AnimData() override;

    u32 Release() override;
    // Reads the file named by the resource name and resolves the objects' meshes.
    GEResultEnum DoLoad() override;
    GEResultEnum DoUnLoad() override;

    // Reads an animation file held in memory (no mesh libraries). A failure logs one
    // line and keeps the objects read before it.
    GEResultEnum Parse(const u8* data, size_t size);
    // Loads the mesh libraries (from `folder`) and finds every object's mesh.
    GEResultEnum ResolveMeshes(const std::wstring& folder);

    render::Render* renderer = nullptr; // set by the owner before Load; passed to the libraries
    std::string sceneName;
    float startTime = 0.0f;
    float endTime = 0.0f;
    std::vector<std::unique_ptr<AnimObject>> objects;
    std::map<std::string, resource::ResourceHandle<lightwave::MeshLibrary>> meshLibraries;

private:
    void Clear();
    GEResultEnum Fail(const wchar_t* why);
};

} // namespace animation
