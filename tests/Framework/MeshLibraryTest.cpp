// Mesh libraries: arrays, meshes and their textures from ".lib" files, and files that
// are cut short or whose counts and ranges do not match their data.
#include "Framework/Lightwave/MeshLibrary.h"
#include "Core/Render/Image.h"
#include "tests/Framework/AnimTestSupport.h"
#include <gtest/gtest.h>

using animtest::AnimFolderTest;
using lightwave::MeshLibrary;

namespace {

class MeshLibraryTest : public AnimFolderTest {
protected:
    resource::ResourceHandle<MeshLibrary> Load(const std::wstring& path, GEResultEnum expected = GE_OK)
    {
        return LoadOnRender<MeshLibrary>(path, expected);
    }

    // Two quads on one texture (named with a backslash) and one on another.
    static animwrite::MeshLibraryFile ThreeQuads()
    {
        animwrite::MeshLibraryFile file;
        animtest::AddQuad(file, "left", "ui\\panel", 0, 0, 10);
        animtest::AddQuad(file, "right", "ui\\panel", 20, 5, 10);
        animtest::AddQuad(file, "glow", "glow", -4, -8, 2);
        return file;
    }
};

} // namespace

TEST_F(MeshLibraryTest, LoadsMeshesAndSharesTextures)
{
    Put("fx/quads.lib", animtest::Text(animwrite::WriteMeshLibrary(ThreeQuads())));
    PutTexture("fx/images/ui/panel.dds");
    PutTexture("fx/images/glow.dds");
    const int created = test::MemoryTexture::createCalls;

    auto library = Load(L"fx/quads.lib");
    ASSERT_TRUE(library->IsLoaded());
    ASSERT_EQ(library->meshes.size(), 3u);
    EXPECT_EQ(library->indices.size(), 18u);
    EXPECT_EQ(library->vertices.size(), 12u);

    // One image per distinct texture name, each loaded once.
    EXPECT_EQ(library->textures.size(), 2u);
    EXPECT_EQ(test::MemoryTexture::createCalls - created, 2);
    lightwave::Mesh* left = library->FindMesh("left");
    lightwave::Mesh* right = library->FindMesh("right");
    lightwave::Mesh* glow = library->FindMesh("glow");
    ASSERT_TRUE(left && right && glow);
    EXPECT_EQ(library->FindMesh("Left"), nullptr);
    EXPECT_NE(left->texture, nullptr);
    EXPECT_EQ(left->texture, right->texture);
    EXPECT_NE(glow->texture, left->texture);
    EXPECT_EQ(left->textureName, L"ui\\panel");

    // Every mesh's indices count from its own first vertex, whatever its place in the
    // shared arrays, and address the same corners the file meant.
    EXPECT_EQ(right->vertices, library->vertices.data() + 4);
    EXPECT_EQ(right->indices, library->indices.data() + 6);
    EXPECT_EQ(std::vector<u32>(right->indices, right->indices + 6), (std::vector<u32>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(right->vertices[right->indices[2]].x, 30.0f);
    EXPECT_EQ(right->vertices[right->indices[2]].y, 15.0f);

    // Bounds of the vertices each mesh uses.
    EXPECT_EQ(right->bounds.min.x, 20.0f);
    EXPECT_EQ(right->bounds.min.y, 5.0f);
    EXPECT_EQ(right->bounds.max.x, 30.0f);
    EXPECT_EQ(right->bounds.max.y, 15.0f);
    EXPECT_EQ(glow->bounds.min.x, -4.0f);
    EXPECT_EQ(glow->bounds.max.y, -6.0f);

    // Vertices: w 1, white, v flipped.
    const render::SVertex2D& corner = right->vertices[3];
    EXPECT_EQ(corner.w, 1.0f);
    EXPECT_EQ(corner.diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(corner.specular, 0xFFFFFFFFu);
    EXPECT_EQ(corner.u, 0.0f);
    EXPECT_EQ(corner.v, 0.0f);
    EXPECT_EQ(right->vertices[0].v, 1.0f);

    EXPECT_EQ(library->UnLoad(), GE_OK);
    EXPECT_TRUE(library->meshes.empty());
    EXPECT_TRUE(library->textures.empty());
    EXPECT_EQ(Cached(), 0u); // the textures went with their images
}

TEST_F(MeshLibraryTest, EndMarkerDecides)
{
    animwrite::MeshLibraryFile empty;
    for (const u32 marker : {2011u, 2012u, 2013u, 0u}) {
        empty.endMarker = marker;
        const std::string name = "empty" + std::to_string(marker) + ".lib";
        Put(name, animtest::Text(animwrite::WriteMeshLibrary(empty)));
        LogCapture log;
        const bool valid = marker == 2011u || marker == 2012u;
        // No textures to load, so no renderer is needed.
        auto library = resource::ResourceManager::Get<MeshLibrary>(std::wstring(name.begin(), name.end()));
        EXPECT_EQ(library->Load(), valid ? GE_OK : GE_FAIL) << marker;
        EXPECT_EQ(log.Count(L"end marker"), valid ? 0 : 1) << marker;
    }

    animwrite::MeshLibraryFile quads = ThreeQuads();
    quads.endMarker = 2013;
    Put("late.lib", animtest::Text(animwrite::WriteMeshLibrary(quads)));
    const int created = test::MemoryTexture::createCalls;
    auto library = Load(L"late.lib", GE_FAIL);
    EXPECT_EQ(test::MemoryTexture::createCalls, created); // no texture before the marker is checked
}

TEST_F(MeshLibraryTest, MissingFileOrTextureFails)
{
    LogCapture log;
    Load(L"nowhere.lib", GE_FAIL);
    EXPECT_EQ(log.Count(L"nowhere.lib"), 1);

    Put("fx/quads.lib", animtest::Text(animwrite::WriteMeshLibrary(ThreeQuads())));
    PutTexture("fx/images/glow.dds"); // panel is missing
    auto library = Load(L"fx/quads.lib", GE_FAIL);
    EXPECT_GE(log.Count(L"ui\\panel"), 1);
    EXPECT_FALSE(library->IsLoaded());
}

TEST(MeshLibraryParse, EveryCutShortFileFails)
{
    const std::vector<u8> bytes = animwrite::WriteMeshLibrary([] {
        animwrite::MeshLibraryFile file;
        animtest::AddQuad(file, "a", "t", 0, 0, 1);
        animtest::AddQuad(file, "b", "t", 1, 1, 1);
        return file;
    }());
    MeshLibrary library;
    library.name = L"cut.lib";
    ASSERT_EQ(library.Parse(bytes.data(), bytes.size()), GE_OK);
    for (size_t size = 0; size < bytes.size(); ++size) {
        LogCapture log;
        EXPECT_EQ(library.Parse(bytes.data(), size), GE_FAIL) << size;
        EXPECT_EQ(log.Count(L"cut.lib"), 1) << size;
    }
}

TEST(MeshLibraryParse, CountsAndRangesAreCheckedAgainstTheData)
{
    auto base = [] {
        animwrite::MeshLibraryFile file;
        animtest::AddQuad(file, "a", "t", 0, 0, 1);
        animtest::AddQuad(file, "b", "t", 1, 1, 1);
        return file;
    };
    using File = animwrite::MeshLibraryFile;
    using Bytes = std::vector<u8>;
    // Either the file is written wrongly, or its bytes are patched afterwards.
    struct Damage {
        const char* what;
        void (*file)(File&);
        void (*bytes)(const File&, Bytes&);
    };
    const Damage cases[] = {
        {"index count beyond the file", nullptr,
         [](const File&, Bytes& b) { imgtest::PutLe32(b, 0, 0x40000000u); }},
        {"vertex count beyond the file", nullptr,
         [](const File& f, Bytes& b) { imgtest::PutLe32(b, 4 + 4 * f.indices.size(), 0xFFFFFFFFu); }},
        {"mesh count beyond the file", nullptr,
         [](const File& f, Bytes& b) {
             imgtest::PutLe32(b, 8 + 4 * f.indices.size() + 20 * f.vertices.size(), 1000000u);
         }},
        {"vertex range past the array", [](File& f) { f.meshes[1].vertexCount = 5; }, nullptr},
        {"vertex base past the array", [](File& f) { f.meshes[1].vertexBase = 0xFFFFFFFFu; }, nullptr},
        {"index range past the array", [](File& f) { f.meshes[1].indexCount = 7; }, nullptr},
        {"index start past the array", [](File& f) { f.meshes[1].indexStart = 0xFFFFFFF0u; }, nullptr},
        {"index below the mesh's vertices", [](File& f) { f.indices[6] = 3; }, nullptr},
        {"index past the mesh's vertices", [](File& f) { f.indices[7] = 8; }, nullptr},
        {"index past the vertex array", [](File& f) { f.indices[0] = 0x7FFFFFFFu; }, nullptr},
        {"meshes sharing indices", [](File& f) { f.meshes[1] = f.meshes[0]; }, nullptr},
    };
    for (const Damage& damage : cases) {
        File file = base();
        if (damage.file)
            damage.file(file);
        Bytes bytes = animwrite::WriteMeshLibrary(file);
        if (damage.bytes)
            damage.bytes(file, bytes);
        MeshLibrary library;
        library.name = L"damaged.lib";
        LogCapture log;
        EXPECT_EQ(library.Parse(bytes.data(), bytes.size()), GE_FAIL) << damage.what;
        EXPECT_EQ(log.Count(L"damaged.lib"), 1) << damage.what;
    }
}
