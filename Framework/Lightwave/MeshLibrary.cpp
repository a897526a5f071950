#include "Framework/Lightwave/MeshLibrary.h"
#include "Core/Base/ByteReader.h"
#include "Core/Base/Log.h"
#include "Core/File/Path.h"
#include "Core/Render/Image.h"
#include "Core/Render/Render.h"
#include "Core/Resource/ResourceManager.h"
#include "Framework/Lightwave/LightwaveFile.h"

namespace lightwave {

namespace {

// Name, texture name (empty strings) and the four range fields.
constexpr u64 kSmallestMeshRecord = 4 + 4 + 4 * 4;
constexpr u64 kVertexRecord = 5 * 4;

} // namespace

MeshLibrary::MeshLibrary() = default;

MeshLibrary::~MeshLibrary() = default;

u32 MeshLibrary::Release()
{
    return resource::ResourceManager::Free<MeshLibrary>(this);
}

void MeshLibrary::Clear()
{
    meshes.clear();
    indices.clear();
    indices.shrink_to_fit();
    vertices.clear();
    vertices.shrink_to_fit();
    textures.clear();
}

GEResultEnum MeshLibrary::Fail(const wchar_t* why)
{
    GE_LOG(L"Mesh library '%s': %s.\n") << name << why;
    return GE_FAIL;
}

GEResultEnum MeshLibrary::DoLoad()
{
    Clear();
    std::vector<u8> bytes;
    if (const wchar_t* why = ReadWholeFile(name, bytes))
        return Fail(why);
    if (const GEResultEnum result = Parse(bytes.data(), bytes.size()))
        return result;
    return LoadTextures(file::GetFolderWithoutDrive(name) + L"images/");
}

GEResultEnum MeshLibrary::DoUnLoad()
{
    Clear();
    return GE_OK;
}

Mesh* MeshLibrary::FindMesh(const std::string& meshName)
{
    for (Mesh& mesh : meshes) {
        if (mesh.name == meshName)
            return &mesh;
    }
    return nullptr;
}

GEResultEnum MeshLibrary::Parse(const u8* data, size_t size)
{
    Clear();
    base::ByteReader in(data, size);

    u32 indexCount = 0;
    if (!in.ReadU32(&indexCount))
        return Fail(L"the index count is missing");
    if (!in.Fits(indexCount, 4))
        return Fail(L"the index array is shorter than its count");
    indices.resize(indexCount);
    for (u32& index : indices)
        in.ReadU32(&index);

    u32 vertexCount = 0;
    if (!in.ReadU32(&vertexCount))
        return Fail(L"the vertex count is missing");
    if (!in.Fits(vertexCount, kVertexRecord))
        return Fail(L"the vertex array is shorter than its count");
    vertices.resize(vertexCount);
    for (render::SVertex2D& vertex : vertices) {
        float u = 0.0f, v = 0.0f;
        in.ReadF32(&vertex.x);
        in.ReadF32(&vertex.y);
        in.ReadF32(&vertex.z);
        in.ReadF32(&u);
        in.ReadF32(&v);
        vertex.w = 1.0f;
        vertex.diffuse = 0xFFFFFFFFu;
        vertex.specular = 0xFFFFFFFFu;
        vertex.u = u;
        vertex.v = 1.0f - v;
    }

    u32 meshCount = 0;
    if (!in.ReadU32(&meshCount))
        return Fail(L"the mesh count is missing");
    if (!in.Fits(meshCount, kSmallestMeshRecord))
        return Fail(L"the file holds fewer meshes than its count");
    meshes.reserve(meshCount);
    // Indices are rewritten in place, so two meshes must not share any.
    std::vector<bool> indexTaken(indices.size(), false);
    for (u32 m = 0; m < meshCount; ++m) {
        Mesh mesh;
        std::string textureName;
        u32 vertexBase = 0, meshVertices = 0, indexStart = 0, meshIndices = 0;
        if (!in.ReadString(&mesh.name) || !in.ReadString(&textureName))
            return Fail(L"a mesh name is cut short");
        if (!in.ReadU32(&vertexBase) || !in.ReadU32(&meshVertices) || !in.ReadU32(&indexStart) ||
            !in.ReadU32(&meshIndices))
            return Fail(L"a mesh record is cut short");
        if (vertexBase > vertices.size() || meshVertices > vertices.size() - vertexBase)
            return Fail(L"a mesh's vertex range lies outside the vertex array");
        if (indexStart > indices.size() || meshIndices > indices.size() - indexStart)
            return Fail(L"a mesh's index range lies outside the index array");
        for (u32 i = indexStart; i < indexStart + meshIndices; ++i) {
            if (indexTaken[i])
                return Fail(L"two meshes share index data");
            // A stored index addresses the whole vertex array and must fall in the
            // mesh's own vertices.
            if (indices[i] < vertexBase || indices[i] - vertexBase >= meshVertices)
                return Fail(L"a mesh's index lies outside its vertices");
        }
        mesh.textureName = WidenBytes(textureName);
        mesh.indexCount = meshIndices;
        mesh.indices = indices.data() + indexStart;
        mesh.vertexCount = meshVertices;
        mesh.vertices = vertices.data() + vertexBase;
        for (u32 i = 0; i < meshIndices; ++i) {
            const render::SVertex2D& vertex = vertices[mesh.indices[i]];
            mesh.bounds.AddPoint(math::Point3{vertex.x, vertex.y, vertex.z});
            // Relative to the mesh's first vertex, so that index 0 is `mesh.vertices[0]`.
            mesh.indices[i] -= vertexBase;
            indexTaken[indexStart + i] = true;
        }
        textures.emplace(mesh.textureName, nullptr);
        meshes.push_back(std::move(mesh));
    }

    u32 marker = 0;
    if (!in.ReadU32(&marker))
        return Fail(L"the end marker is missing");
    if (marker != kEndMarkerA && marker != kEndMarkerB) {
        GE_LOG(L"Mesh library '%s': unknown end marker %u.\n") << name << marker;
        return GE_FAIL;
    }
    return GE_OK;
}

GEResultEnum MeshLibrary::LoadTextures(const std::wstring& folder)
{
    if (!textures.empty() && !renderer)
        return Fail(L"no renderer to load its textures with");
    for (auto& [textureName, image] : textures) {
        if (image)
            continue;
        render::Image* loaded = nullptr;
        const GEResultEnum result =
            renderer->LoadTexture(folder + file::ToForwardSlashes(textureName), nullptr, &loaded);
        image.reset(loaded);
        if (result != GE_OK) {
            GE_LOG(L"Mesh library '%s': texture '%s' could not be loaded.\n") << name << textureName;
            return result;
        }
    }
    for (Mesh& mesh : meshes) {
        const auto found = textures.find(mesh.textureName);
        mesh.texture = found == textures.end() ? nullptr : found->second.get();
    }
    return GE_OK;
}

} // namespace lightwave
