#pragma once
// One running particle effect: a copy of a template emitter of the particle system,
// advanced each frame and drawn through a drawing context.
#include "Core/Base/Types.h"
#include "Core/Render/DrawParticlesParam.h"
#include "Platform/Magic/Magic.h"
#include <string>

namespace render {

class DrawParam;
class Graphics;
class Render;
struct RenderState;

class ParticleEmitter {
public:
    enum State : u32 { Idle = 0, Playing = 1, Stopping = 2 };

    // A template over a library emitter it owns.
    explicit ParticleEmitter(MagicEmitter handle);
    // A copy of a template with a library emitter of its own, idle.
    ParticleEmitter(const ParticleEmitter& source);
    ParticleEmitter& operator=(const ParticleEmitter&) = delete;
    ~ParticleEmitter();

    void Start();
    // Emits nothing more; the effect ends once its particles are gone.
    void Stop();
    void Restart();
    // dt in seconds.
    void Update(double dt);
    void SetPosition(const float xy[2], int mode);
    // 1 repeat, 2 forever, anything else once.
    void SetLoopMode(u32 mode);
    // Draws the particles; `transform` is the request whose transform applies.
    GEResultEnum Draw(Graphics* graphics, DrawParam* transform, ParticlesDrawResult* result);

    u32 GetState() const { return state; }

    // Scratch of the draw in progress.
    Graphics* graphics = nullptr;
    Render* render = nullptr;
    RenderState* renderState = nullptr;
    MagicEmitter emitter = 0;
    std::string textureFile;
    u8 hasAtlas = 0;
    u8 restartPending = 0;
    u32 state = Idle;
    // Where the atlases of this emitter's file start in the system's atlas list: the
    // library numbers them from 0 in every file.
    u32 atlasBase = 0;
};

} // namespace render
