#pragma once
// The quads a recording back end receives when the frame is replayed: ends the scene,
// replays its commands, reads each indexed draw's vertices back and begins the next
// scene. Other lines the back end logged (blend modes, shaders) can be kept too.
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/Vertex.h"
#include "tests/Render/MemoryTexture.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace test {

struct ReplayedQuad {
    float x = 0.0f; // the first vertex: the top-left corner of an unrotated quad
    float y = 0.0f;
    u32 alpha = 0;
};

inline std::vector<ReplayedQuad> ReplayQuads(TextureRender& render, std::vector<std::string>* otherLines = nullptr)
{
    EXPECT_EQ(render.EndScene(), GE_OK);
    render.log.clear();
    EXPECT_EQ(render.ExecuteCommands(), GE_OK);
    std::vector<ReplayedQuad> quads;
    auto* cache = render::GetVertexCache<render::SVertex2D>(render);
    for (const std::string& line : render.log) {
        std::istringstream in(line);
        std::string word;
        u32 type = 0, indexSize = 0, start = 0, count = 0, minVertex = 0, span = 0;
        in >> word;
        if (word != "drawindexed") {
            if (otherLines)
                otherLines->push_back(line);
            continue;
        }
        in >> type >> indexSize >> start >> count >> minVertex >> span;
        auto* device = static_cast<MemoryVertexBuffer*>(cache->GetMainBuffer()->GetDevice());
        for (u32 quad = 0; quad < count / 2; ++quad) {
            render::SVertex2D v;
            std::memcpy(&v, device->storage.data() + size_t(minVertex + quad * 4) * sizeof v, sizeof v);
            quads.push_back({v.x, v.y, v.diffuse >> 24});
        }
    }
    EXPECT_EQ(render.BeginScene(), GE_OK);
    return quads;
}

} // namespace test
