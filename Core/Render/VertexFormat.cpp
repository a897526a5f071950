#include "Core/Render/VertexFormat.h"
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/Vertex.h"

namespace render {

namespace {

struct Registry {
    u32 nextId = 0;
    // Owned one by one so that references handed out stay valid as the table grows.
    std::vector<std::unique_ptr<VertexFormat>> formats;
    std::vector<std::unique_ptr<BufferDoubleCacheCreator>> creators;
};

Registry& GetRegistry()
{
    static Registry registry;
    return registry;
}

u32 ElementBits(VertexElementKind kind)
{
    switch (kind) {
    case VertexElementKind::PositionXYZ:
        return 0x002;
    case VertexElementKind::PositionXYZW:
        return 0x4002;
    case VertexElementKind::Normal:
        return 0x010;
    case VertexElementKind::Diffuse:
        return 0x040;
    case VertexElementKind::Specular:
        return 0x080;
    case VertexElementKind::TexCoord:
        return 0;
    }
    return 0;
}

// Texture-coordinate size code by component count (1..4).
u32 TexCoordSizeCode(u32 components)
{
    switch (components) {
    case 1:
        return 3;
    case 3:
        return 1;
    case 4:
        return 2;
    default:
        return 0;
    }
}

// The three built-in descriptors, registered in this order on first use.
struct BuiltInFormats {
    const VertexFormat& vertex2D;
    const VertexFormat& geom;
    const VertexFormat& rt;

    BuiltInFormats()
        : vertex2D(VertexFormat::Register(VertexFormat(40960, 10240, 32,
                                                       {{"pos", 0, 16, VertexElementKind::PositionXYZW},
                                                        {"diff", 16, 4, VertexElementKind::Diffuse},
                                                        {"spec", 20, 4, VertexElementKind::Specular},
                                                        {"tutv", 24, 8, VertexElementKind::TexCoord}}),
                                          std::make_unique<BufferDoubleCacheCreatorConcrete<SVertex2D>>())),
          geom(VertexFormat::Register(VertexFormat(5120, 1024, 16,
                                                   {{"pos", 0, 12, VertexElementKind::PositionXYZ},
                                                    {"diff", 12, 4, VertexElementKind::Diffuse}}),
                                      std::make_unique<BufferDoubleCacheCreatorConcrete<SVertexGeom>>())),
          rt(VertexFormat::Register(VertexFormat(0, 0, 24,
                                                 {{"pos", 0, 16, VertexElementKind::PositionXYZW},
                                                  {"tutv", 16, 8, VertexElementKind::TexCoord}}),
                                    std::make_unique<BufferDoubleCacheCreatorConcrete<SVertexRT>>()))
    {
    }
};

const BuiltInFormats& GetBuiltIns()
{
    static const BuiltInFormats builtIns;
    return builtIns;
}

// Registered before main, as every descriptor is.
[[maybe_unused]] const BuiltInFormats& gBuiltInsAtStart = GetBuiltIns();

} // namespace

VertexFormat::VertexFormat(u32 bufferCapacity, u32 leaseLimit, u32 stride,
                           const std::vector<VertexElementDecl>& decls)
    : bufferCapacity(bufferCapacity), leaseLimit(leaseLimit), stride(stride)
{
    for (const auto& decl : decls) {
        VertexElement element{decl.name, decl.size / 4, decl.size, decl.offset};
        if (decl.kind == VertexElementKind::TexCoord) {
            const u32 t = static_cast<u32>(texcoords.size());
            fvf |= TexCoordSizeCode(element.components) << (16 + 2 * t);
            texcoords.emplace_back(element.components, element.offset);
        } else {
            fvf |= ElementBits(decl.kind);
        }
        if (elements.empty())
            position = element;
        elements.push_back(element);
    }
    const u32 n = static_cast<u32>(texcoords.size());
    if (n >= 1 && n <= 8)
        fvf |= n << 8;
}

const VertexFormat& VertexFormat::Register(VertexFormat format,
                                           std::unique_ptr<BufferDoubleCacheCreator> creator)
{
    Registry& registry = GetRegistry();
    const u32 id = registry.nextId++;
    format.id = id;
    if (registry.formats.size() <= id) {
        registry.formats.resize(id + 1);
        registry.creators.resize(id + 1);
    }
    registry.formats[id] = std::make_unique<VertexFormat>(std::move(format));
    registry.creators[id] = std::move(creator);
    return *registry.formats[id];
}

u32 VertexFormat::GetCount()
{
    GetBuiltIns();
    return static_cast<u32>(GetRegistry().formats.size());
}

const VertexFormat* VertexFormat::Find(u32 id)
{
    GetBuiltIns();
    const Registry& registry = GetRegistry();
    return id < registry.formats.size() ? registry.formats[id].get() : nullptr;
}

BufferDoubleCacheCreator* VertexFormat::GetCreator(u32 id)
{
    GetBuiltIns();
    const Registry& registry = GetRegistry();
    return id < registry.creators.size() ? registry.creators[id].get() : nullptr;
}

const VertexFormat& SVertex2D::Format()
{
    return GetBuiltIns().vertex2D;
}

const VertexFormat& SVertexGeom::Format()
{
    return GetBuiltIns().geom;
}

const VertexFormat& SVertexRT::Format()
{
    return GetBuiltIns().rt;
}

} // namespace render
