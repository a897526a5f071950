#pragma once
// Animation and mesh-library fixtures: files made with the project's writer in a fresh
// current folder, DDS textures for the libraries, and a renderer that keeps its
// textures in memory.
#include "Core/Resource/ResourceManager.h"
#include "Core/Resource/ResourceTexture.h"
#include "tests/File/FileTestSupport.h"
#include "tests/Support/LogCapture.h"
#include "tests/Render/ImageTestSupport.h"
#include "tests/Render/MemoryTexture.h"
#include "tools/animwrite/AnimWriter.h"
#include <string>
#include <vector>

namespace animtest {

inline animwrite::Key Key(float value, float time, u32 shape = 3)
{
    animwrite::Key key;
    key.value = value;
    key.time = time;
    key.shape = shape;
    return key;
}

// An object that stands still at scale 1 unless its envelopes are changed.
inline animwrite::Object Object(const std::string& name, const std::string& library = "null",
                                const std::string& mesh = "null")
{
    animwrite::Object object;
    object.name = name;
    object.library = library;
    object.mesh = mesh;
    for (int axis = 6; axis < 9; ++axis)
        object.motion[size_t(axis)].keys = {Key(1, 0)};
    return object;
}

// A quad of two triangles at (x, y) with side `size`.
inline void AddQuad(animwrite::MeshLibraryFile& library, const std::string& name, const std::string& texture,
                    float x, float y, float size)
{
    library.AddMesh(
        name, texture,
        {{x, y, 0, 0, 0}, {x + size, y, 0, 1, 0}, {x + size, y + size, 0, 1, 1}, {x, y + size, 0, 0, 1}},
        {0, 1, 2, 0, 2, 3});
}

inline std::string Text(const std::vector<u8>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

class AnimFolderTest : public TempFolderTest {
protected:
    void PutTexture(const std::string& path)
    {
        Put(path, imgtest::Bytes(imgtest::MakeDds(2, 2, 1, 0x41, nullptr, 32,
                                                  imgtest::BgraBytes(std::vector<u32>(4, 0xFF336699u)))));
    }
    static size_t Cached() { return resource::ResourceManager::GetMap<resource::ResourceTexture>().size(); }
    // The cached resource of `path`, loaded on this renderer with the result `expected`.
    template <class T>
    resource::ResourceHandle<T> LoadOnRender(const std::wstring& path, GEResultEnum expected)
    {
        auto loaded = resource::ResourceManager::Get<T>(path);
        EXPECT_TRUE(loaded);
        if (!loaded)
            return loaded;
        loaded->renderer = &render;
        EXPECT_EQ(loaded->Load(), expected);
        return loaded;
    }

    test::TextureRender render;
};

} // namespace animtest
