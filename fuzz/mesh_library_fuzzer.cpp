// Feeds arbitrary bytes to the mesh-library reader and checks that every mesh it
// accepted addresses only its own part of the shared arrays.
#include "Framework/Lightwave/MeshLibrary.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    lightwave::MeshLibrary library;
    library.name = L"fuzz.lib";
    if (library.Parse(data, size) != GE_OK)
        return 0;
    const u32* indexBegin = library.indices.data();
    const u32* indexEnd = indexBegin + library.indices.size();
    const render::SVertex2D* vertexBegin = library.vertices.data();
    const render::SVertex2D* vertexEnd = vertexBegin + library.vertices.size();
    for (const lightwave::Mesh& mesh : library.meshes) {
        if (mesh.indexCount > 0 && (mesh.indices < indexBegin || mesh.indices + mesh.indexCount > indexEnd))
            std::abort();
        if (mesh.vertexCount > 0 &&
            (mesh.vertices < vertexBegin || mesh.vertices + mesh.vertexCount > vertexEnd))
            std::abort();
        float sum = 0.0f;
        for (u32 i = 0; i < mesh.indexCount; ++i) {
            if (mesh.indices[i] >= mesh.vertexCount)
                std::abort(); // every index lies in the mesh's own vertices
            sum += mesh.vertices[mesh.indices[i]].x;
        }
        if (library.FindMesh(mesh.name) == nullptr || library.textures.count(mesh.textureName) != 1)
            std::abort();
        (void)sum;
    }
    return 0;
}
