#include "Core/Render/ParticleSystem.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileInfo.h"
#include "Core/File/FileManager.h"
#include "Core/Render/Image.h"
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/Render.h"
#include <vector>

namespace render {

namespace {


} // namespace

ParticleSystem::ParticleSystem() = default;

// Templates unload their library emitters as they go.
ParticleSystem::~ParticleSystem() = default;

GEResultEnum ParticleSystem::LoadFile(const std::string& fileName, Render* renderer)
{
    std::wstring path;
    if (!TryConvertToWide(folder + fileName, path, L"particle file name"))
        return GE_FAIL;
    std::unique_ptr<file::FileInfo> info(file::FileManager::Instance()->GetFileInfo(path));
    if (!info || !info->container) {
        GE_LOG(L"Particle file '%s' not found.\n") << path;
        return GE_FAIL;
    }
    std::unique_ptr<base::Stream> stream(info->container->OpenRead(info->path));
    if (!stream) {
        GE_LOG(L"Particle file '%s' could not be opened.\n") << path;
        return GE_FAIL;
    }
    const u32 size = stream->GetSize();
    std::vector<unsigned char> buffer(size_t(size) + 1, 0);
    if (stream->Read(buffer.data(), size) != size) {
        GE_LOG(L"Particle file '%s' could not be read whole.\n") << path;
        return GE_FAIL;
    }
    const MagicFile file = Magic_OpenFileInMemory(buffer.data(), size);
    if (file < 1) {
        std::wstring why;
        TryConvertToWide(Magic_GetLastError(), why, L"particle library message");
        GE_LOG(L"Particle file '%s' could not be opened: %s\n") << path << why;
        return GE_FAIL;
    }
    LoadAtlases(file, renderer);
    return GE_OK;
}

void ParticleSystem::LoadAtlases(MagicFile file, Render* renderer)
{
    if (file < 1)
        return;
    loadingAtlasBase = static_cast<u32>(atlases.size());
    LoadFolder(file, "");
    const int count = Magic_GetStaticAtlasCount(file);
    for (int i = 0; i < count; ++i) {
        MagicStaticAtlas atlas{};
        std::unique_ptr<Image> image;
        std::wstring name;
        if (Magic_GetStaticAtlas(file, i, &atlas) == MAGIC_OK && atlas.file &&
            TryConvertToWide(folder + atlas.file, name, L"particle atlas name")) {
            Image* loaded = nullptr;
            if (renderer && renderer->LoadTexture(name, nullptr, &loaded) == GE_OK)
                image.reset(loaded);
            else
                GE_LOG(L"Particle atlas '%s' could not be loaded.\n") << name;
        }
        // A failed atlas keeps its slot, so that later texture ids still match.
        atlases.push_back(std::move(image));
    }
}

void ParticleSystem::LoadFolder(MagicFile file, const char* folderName)
{
    if (Magic_SetCurrentFolder(file, folderName) != MAGIC_OK)
        return;
    MagicFindData find{};
    for (const char* entry = Magic_FindFirst(file, &find, MAGIC_FIND_ALL); entry;
         entry = Magic_FindNext(file, &find)) {
        const std::string name = entry;
        if (!find.animate) {
            LoadFolder(file, name.c_str());
            continue;
        }
        const MagicEmitter handle = Magic_LoadEmitter(file, name.c_str());
        if (!handle)
            continue;
        auto emitter = std::make_unique<ParticleEmitter>(handle);
        const char* texture = Magic_GetFileName(handle);
        if (texture && Magic_HasTextures(handle))
            emitter->textureFile = texture;
        if (interpolationMode != 0)
            Magic_SetInterpolationMode(handle, interpolationMode == 1);
        Magic_SetLoopMode(handle, static_cast<int>(loopMode));
        emitter->hasAtlas = Magic_GetStaticAtlasCount(file) > 0;
        emitter->atlasBase = loadingAtlasBase;
        templates[name] = std::move(emitter);
    }
    Magic_SetCurrentFolder(file, "..");
}

ParticleEmitter* ParticleSystem::CreateEmitter(const std::string& name)
{
    const auto found = templates.find(name);
    if (found == templates.end() || !found->second)
        return nullptr;
    return new ParticleEmitter(*found->second);
}

void ParticleSystem::ReleaseAtlases()
{
    atlases.clear();
}

Image* ParticleSystem::GetAtlas(u32 base, int textureId) const
{
    if (textureId < 0)
        return nullptr;
    const size_t index = size_t(base) + size_t(textureId);
    return index < atlases.size() ? atlases[index].get() : nullptr;
}

} // namespace render
