#pragma once
// A ".lib" mesh library: one shared index array, one shared vertex array, and named
// meshes that are ranges of both, each textured by an image from the "images/" folder
// beside the file. Animations resolve their objects' meshes here.
#include "Core/Base/Types.h"
#include "Core/Render/Math/BoundingBox.h"
#include "Core/Render/Vertex.h"
#include "Core/Resource/Resource.h"
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace render {
class Image;
class Render;
} // namespace render

namespace lightwave {

struct Mesh {
    std::string name;
    std::wstring textureName; // key into the library's textures
    u8 reserved = 0;
    u32 indexCount = 0;
    // Indices relative to `vertices`: 0 is the mesh's first vertex.
    u32* indices = nullptr;
    u32 vertexCount = 0;
    render::SVertex2D* vertices = nullptr;
    // Extent of the vertices the indices use.
    math::BoundingBox bounds;
    render::Image* texture = nullptr; // the library's; null until the textures are loaded
};

class MeshLibrary : public resource::Resource {
public:
    // The values the last field of a valid file may hold.
    static constexpr u32 kEndMarkerA = 2011;
    static constexpr u32 kEndMarkerB = 2012;

    MeshLibrary();
    ~MeshLibrary() override;

    u32 Release() override;
    // Reads the file named by the resource name, then loads the textures.
    GEResultEnum DoLoad() override;
    GEResultEnum DoUnLoad() override;

    // The first mesh, in file order, whose name equals `name` byte for byte.
    Mesh* FindMesh(const std::string& name);

    // Reads the arrays and meshes of a library file held in memory (no textures).
    // A failure logs one line and keeps what was read before it.
    GEResultEnum Parse(const u8* data, size_t size);
    // Loads every texture named by a mesh from `folder` and hands the images to the
    // meshes.
    GEResultEnum LoadTextures(const std::wstring& folder);

    render::Render* renderer = nullptr; // set by the owner before Load
    std::vector<u32> indices;
    std::vector<render::SVertex2D> vertices;
    std::vector<Mesh> meshes;
    std::map<std::wstring, std::unique_ptr<render::Image>> textures;

private:
    void Clear();
    GEResultEnum Fail(const wchar_t* why);
};

} // namespace lightwave
