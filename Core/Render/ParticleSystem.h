#pragma once
// The particle effects of the game: ".ptc" files opened through the particle library,
// their static atlases as engine images, one template emitter per name, and copies
// of them handed out to whoever plays an effect.
#include "Core/Base/Singletone.h"
#include "Core/Base/Types.h"
#include "Platform/Magic/Magic.h"
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace render {

class Image;
class ParticleEmitter;
class Render;

class ParticleSystem : public base::Singletone<ParticleSystem> {
public:
    ParticleSystem();
    ~ParticleSystem() override;

    // Opens folder + fileName (UTF-8) and loads its emitters and atlases. A file that
    // is missing or not an effect file loads nothing and logs why.
    GEResultEnum LoadFile(const std::string& fileName, Render* renderer);
    void LoadAtlases(MagicFile file, Render* renderer);
    void LoadFolder(MagicFile file, const char* folderName);
    // A new copy of the named template (the caller owns it), or null.
    ParticleEmitter* CreateEmitter(const std::string& name);
    // Destroys every atlas image.
    void ReleaseAtlases();

    // The image of a library texture id of the file whose atlases start at `base`,
    // or null when there is none.
    Image* GetAtlas(u32 base, int textureId) const;

    std::string folder;
    std::map<std::string, std::unique_ptr<ParticleEmitter>> templates;
    std::vector<std::unique_ptr<Image>> atlases;
    u32 interpolationMode = 1;
    u32 loopMode = 0;

private:
    u32 loadingAtlasBase = 0;
};

} // namespace render
