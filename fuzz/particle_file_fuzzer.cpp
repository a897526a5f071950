// Feeds arbitrary bytes to the particle library as an effect file, then uses what it
// accepted the way the engine does: walks the folders, loads every emitter, reads the
// atlases, plays and renders each emitter a little.
#include "Platform/Magic/Magic.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void PlayEmitter(MagicEmitter emitter, int atlasCount)
{
    const MagicEmitter copy = Magic_DuplicateEmitter(emitter);
    if (copy <= 0)
        std::abort(); // a loaded emitter can always be copied
    // A large lead-in speed keeps the lead-in to a step or two whatever the file says.
    Magic_EmitterToInterval1(copy, 1.0e6f, nullptr);
    const MagicPoint position{12.5f, -3.0f};
    Magic_SetEmitterPositionMode(copy, MAGIC_POSITION_ALL);
    Magic_SetEmitterPosition(copy, &position);
    Magic_SetEmitterDirection(copy, 30.0f);
    for (int frame = 0; frame < 3; ++frame) {
        Magic_Update(copy, 16.7);
        MagicRenderedList list{};
        for (int r = Magic_CreateFirstRenderedParticlesList(copy, &list); r == MAGIC_OK;
             r = Magic_CreateNextRenderedParticlesList(&list)) {
            MagicParticleQuad quad;
            int quads = 0;
            while (Magic_GetNextParticleVertexes(&quad) == MAGIC_OK)
                ++quads;
            // A list hands out exactly its particles, with a texture the file has.
            if (quads != list.particleCount || list.textureId < -1 || list.textureId >= atlasCount)
                std::abort();
        }
        Magic_SetInterrupt(copy, frame == 1);
    }
    Magic_UnloadEmitter(copy);
}

void Walk(MagicFile file, int depth)
{
    if (depth > 64)
        std::abort(); // the reader refuses deeper nesting
    MagicFindData find;
    for (const char* name = Magic_FindFirst(file, &find, MAGIC_FIND_ALL); name;
         name = Magic_FindNext(file, &find)) {
        if (find.animate) {
            const MagicEmitter emitter = Magic_LoadEmitter(file, name);
            if (emitter <= 0)
                std::abort(); // every listed emitter loads
            Magic_GetFileName(emitter);
            Magic_HasTextures(emitter);
            PlayEmitter(emitter, Magic_GetStaticAtlasCount(file));
            Magic_UnloadEmitter(emitter);
        } else {
            if (Magic_SetCurrentFolder(file, name) != MAGIC_OK)
                std::abort(); // every listed folder can be entered
            Walk(file, depth + 1);
            if (Magic_SetCurrentFolder(file, "..") != MAGIC_OK)
                std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const MagicFile file = Magic_OpenFileInMemory(data, size);
    if (file <= 0)
        return 0;
    for (int i = 0; i < Magic_GetStaticAtlasCount(file); ++i) {
        MagicStaticAtlas atlas;
        if (Magic_GetStaticAtlas(file, i, &atlas) != MAGIC_OK || !atlas.file || atlas.width < 1 ||
            atlas.height < 1)
            std::abort();
    }
    Walk(file, 0);
    Magic_CloseFile(file);
    return 0;
}
