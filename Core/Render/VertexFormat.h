#pragma once
#include "Core/Base/Types.h"
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace render {

class BufferDoubleCacheCreator;

// Element kinds of a vertex declaration; the kind decides the element's
// flexible-vertex-format bits and is not kept.
enum class VertexElementKind : u32 {
    PositionXYZ = 0,
    PositionXYZW = 1,
    Normal = 2,
    Diffuse = 3,
    Specular = 4,
    TexCoord = 5,
};

struct VertexElement {
    std::string name;
    u32 components = 0; // size / 4: floats, or one packed colour word
    u32 size = 0;       // bytes
    u32 offset = 0;     // bytes from the vertex start
};

struct VertexElementDecl {
    std::string name;
    u32 offset;
    u32 size;
    VertexElementKind kind;
};

// Describes one vertex layout and the capacities of its per-format buffer cache.
// Descriptors are registered once, in a fixed order that gives their ids.
class VertexFormat {
public:
    VertexFormat() = default;
    // Builds a descriptor (id 0) from its element declarations; Register gives it an id.
    VertexFormat(u32 bufferCapacity, u32 leaseLimit, u32 stride, const std::vector<VertexElementDecl>& decls);

    u32 id = 0;
    u32 bufferCapacity = 0; // vertices in each main buffer of the cache
    u32 leaseLimit = 0;     // largest single lease, and size of each extra buffer
    u32 stride = 0;
    u32 fvf = 0;
    VertexElement position;
    std::vector<VertexElement> elements;
    std::vector<std::pair<u32, u32>> texcoords; // (components, offset)

    // Gives `format` the next id and registers a copy of it with its cache creator
    // (null when the format has no cache). Returns the registered copy.
    static const VertexFormat& Register(VertexFormat format,
                                        std::unique_ptr<BufferDoubleCacheCreator> creator);
    // Number of registered formats (ids 0 .. count - 1).
    static u32 GetCount();
    // The registered format of `id`, or null.
    static const VertexFormat* Find(u32 id);
    // The cache creator registered for `id`, or null.
    static BufferDoubleCacheCreator* GetCreator(u32 id);
};

} // namespace render
