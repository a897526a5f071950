#pragma once
// Effect files for the particle library tests, written from text descriptions.
#include "Platform/Magic/Magic.h"
#include "Platform/Magic/PtcText.h"
#include "Platform/Magic/PtcWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace magic_test {

// Two atlases, a nested folder tree and emitters for every behaviour under test.
// Steps are 10 ms so timelines are easy to count in steps.
inline const char* kEffects = R"(
atlas "fx/sparks atlas.png" 64 32
  frame 0 0 16 16
  frame 16 0 32 16
atlas fx/smoke.png 128 128
  frame 0 0 128 128

emitter steady                  # 100 particles/s for 1 s, each living 0.5 s
  seed 7
  update_time 10
  duration 1000
  particles
    atlas 0
    frame 1
    rate 100
    life 500 500
    speed 50 100
    angle 90 60
    size 10 20
    color ff102030 00405060
  end
end
emitter leadin                  # starts its active interval 300 ms into its timeline
  update_time 10
  duration 1000
  interval1 300
  particles
    rate 50
    life 2000 2000
  end
end
folder ui
  emitter button
    texture_file fx/button.png
    update_time 10
    particles
      atlas 1
      intense 1
      rate 20
    end
  end
  folder deep
    emitter glow
      update_time 10
    end
  end
end
folder empty
end
)";

inline magic::PtcDocument ParseDocument(const char* text = kEffects)
{
    magic::PtcDocument document;
    std::string error;
    EXPECT_TRUE(magic::ParsePtcText(text, document, error)) << error;
    return document;
}

inline std::vector<unsigned char> WriteDocument(const magic::PtcDocument& document)
{
    std::vector<unsigned char> bytes;
    std::string error;
    EXPECT_TRUE(magic::WritePtcDocument(document, bytes, error)) << error;
    return bytes;
}

inline std::vector<unsigned char> WriteText(const char* text = kEffects)
{
    return WriteDocument(ParseDocument(text));
}

// One emitter, "burst", of 8 x 8 dots from `atlas`: 200 a second for 2 s, each
// living 1 s, orange fading to red.
inline std::string BurstEffect(const std::string& atlas)
{
    return "\natlas " + atlas + R"( 8 8
  frame 0 0 8 8
emitter burst
  seed 7
  update_time 10
  duration 2000
  particles
    atlas 0
    rate 200
    life 1000 1000
    speed 40 80
    angle 90 360
    size 6 3
    color ffff8000 80ff0000
  end
end
)";
}

// Closes the file at the end of a test.
struct FileGuard {
    MagicFile file;
    explicit FileGuard(const std::vector<unsigned char>& bytes)
        : file(Magic_OpenFileInMemory(bytes.data(), bytes.size()))
    {
    }
    ~FileGuard() { Magic_CloseFile(file); }
};

// Unloads the emitter at the end of a test.
struct EmitterGuard {
    MagicEmitter emitter;
    explicit EmitterGuard(MagicEmitter e) : emitter(e) {}
    EmitterGuard(const EmitterGuard&) = delete;
    ~EmitterGuard() { Magic_UnloadEmitter(emitter); }
    operator MagicEmitter() const { return emitter; }
};

// Every quad the emitter renders, list by list, with the list headers.
struct Rendered {
    std::vector<MagicRenderedList> lists;
    std::vector<MagicParticleQuad> quads;
};

inline Rendered Render(MagicEmitter emitter)
{
    Rendered out;
    MagicRenderedList list{};
    for (int r = Magic_CreateFirstRenderedParticlesList(emitter, &list); r == MAGIC_OK;
         r = Magic_CreateNextRenderedParticlesList(&list)) {
        out.lists.push_back(list);
        MagicParticleQuad quad;
        for (int i = 0; i < list.particleCount; ++i) {
            EXPECT_EQ(Magic_GetNextParticleVertexes(&quad), MAGIC_OK);
            out.quads.push_back(quad);
        }
        EXPECT_EQ(Magic_GetNextParticleVertexes(&quad), MAGIC_ERROR) << "more quads than the list holds";
    }
    return out;
}

inline bool SameQuads(const Rendered& a, const Rendered& b)
{
    if (a.quads.size() != b.quads.size())
        return false;
    for (size_t i = 0; i < a.quads.size(); ++i) {
        if (a.quads[i].color != b.quads[i].color)
            return false;
        for (int v = 0; v < 4; ++v) {
            const MagicVertex& p = a.quads[i].vertex[v];
            const MagicVertex& q = b.quads[i].vertex[v];
            if (p.x != q.x || p.y != q.y || p.u != q.u || p.v != q.v)
                return false;
        }
    }
    return true;
}

} // namespace magic_test
