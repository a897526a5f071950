#include "Platform/Magic/Magic.h"

#include "Platform/Magic/EmitterSim.h"
#include "Platform/Magic/PtcReader.h"

#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

using magic::EmitterDesc;
using magic::EmitterSim;
using magic::PtcDocument;
using magic::PtcFolder;

// One open effect file: its content and its folders flattened, so that a folder is
// named by an index that a find record can carry.
struct OpenFile {
    struct Folder {
        const PtcFolder* folder;
        int parent; // -1 for the root
        std::string path;
    };

    PtcDocument document;
    std::vector<Folder> folders;
    int current = 0;

    void Flatten(const PtcFolder& folder, int parent, const std::string& path)
    {
        const int index = static_cast<int>(folders.size());
        folders.push_back({&folder, parent, path});
        for (const PtcFolder& child : folder.folders)
            Flatten(child, index, path + child.name + "/");
    }

    int Child(int folder, std::string_view name) const
    {
        for (size_t i = 0; i < folders.size(); ++i) {
            if (folders[i].parent == folder && folders[i].folder->name == name)
                return static_cast<int>(i);
        }
        return -1;
    }

    // The folder a path leads to from the current one, or -1.
    int Resolve(std::string_view path) const
    {
        int folder = current;
        if (!path.empty() && path.front() == '/') {
            folder = 0;
            path.remove_prefix(1);
        }
        while (!path.empty() && folder >= 0) {
            const size_t slash = path.find('/');
            const std::string_view part = path.substr(0, slash);
            path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
            if (part.empty() || part == ".")
                continue;
            folder = part == ".." ? folders[folder].parent : Child(folder, part);
        }
        return folder;
    }
};

// The rendering cursor: which particle Magic_GetNextParticleVertexes hands out next.
struct RenderCursor {
    MagicEmitter emitter = 0;
    int type = 0;
    int next = 0;
};

struct Library {
    std::map<MagicFile, std::unique_ptr<OpenFile>> files;
    std::map<MagicEmitter, std::unique_ptr<EmitterSim>> emitters;
    MagicFile nextFile = 1;
    MagicEmitter nextEmitter = 1;
    RenderCursor cursor;
    std::string lastError;
};

// Never destroyed: engine singletons may unload their emitters during exit, after
// function-local statics are gone.
Library& Lib()
{
    static Library* library = new Library;
    return *library;
}

int Fail(const std::string& message)
{
    Lib().lastError = message;
    return MAGIC_ERROR;
}

OpenFile* FindFile(MagicFile file)
{
    auto it = Lib().files.find(file);
    if (it == Lib().files.end()) {
        Fail("unknown file handle " + std::to_string(file));
        return nullptr;
    }
    return it->second.get();
}

EmitterSim* FindEmitter(MagicEmitter emitter)
{
    auto it = Lib().emitters.find(emitter);
    if (it == Lib().emitters.end()) {
        Fail("unknown emitter handle " + std::to_string(emitter));
        return nullptr;
    }
    return it->second.get();
}

MagicEmitter AddEmitter(std::unique_ptr<EmitterSim> sim)
{
    Library& lib = Lib();
    if (lib.nextEmitter == INT_MAX) {
        Fail("out of emitter handles");
        return 0;
    }
    const MagicEmitter handle = lib.nextEmitter++;
    lib.emitters[handle] = std::move(sim);
    return handle;
}

// Fills find with the first entry at or after its position that its mode asks for.
const char* FindFrom(const OpenFile& file, MagicFindData* find)
{
    if (find->folder < 0 || find->folder >= static_cast<int>(file.folders.size()) || find->position < 0)
        return nullptr;
    const PtcFolder& folder = *file.folders[find->folder].folder;
    const int folderCount = static_cast<int>(folder.folders.size());
    const int total = folderCount + static_cast<int>(folder.emitters.size());
    // Folders come first, then emitters, each in file order.
    for (int i = find->position; i < total; ++i) {
        const bool isFolder = i < folderCount;
        if (!(find->mode & (isFolder ? MAGIC_FIND_FOLDERS : MAGIC_FIND_EMITTERS)))
            continue;
        find->position = i + 1;
        find->type = isFolder ? MAGIC_FIND_FOLDERS : MAGIC_FIND_EMITTERS;
        find->animate = isFolder ? 0 : 1;
        find->name =
            isFolder ? folder.folders[i].name.c_str() : folder.emitters[i - folderCount].name.c_str();
        return find->name;
    }
    find->position = total;
    find->name = nullptr;
    return nullptr;
}

} // namespace

MagicFile Magic_OpenFileInMemory(const void* data, size_t size)
{
    auto file = std::make_unique<OpenFile>();
    std::string error;
    if (!magic::ReadPtcDocument(data, size, file->document, error)) {
        Fail("bad effect file: " + error);
        return 0;
    }
    Library& lib = Lib();
    if (lib.nextFile == INT_MAX) {
        Fail("out of file handles");
        return 0;
    }
    file->Flatten(file->document.root, -1, "");
    const MagicFile handle = lib.nextFile++;
    lib.files[handle] = std::move(file);
    return handle;
}

int Magic_CloseFile(MagicFile file)
{
    if (!FindFile(file))
        return MAGIC_ERROR;
    Lib().files.erase(file);
    return MAGIC_OK;
}

const char* Magic_GetLastError()
{
    return Lib().lastError.c_str();
}

int Magic_SetCurrentFolder(MagicFile file, const char* path)
{
    OpenFile* open = FindFile(file);
    if (!open)
        return MAGIC_ERROR;
    const int folder = open->Resolve(path ? path : "");
    if (folder < 0)
        return Fail(std::string("no folder '") + (path ? path : "") + "' from '/" +
                    open->folders[open->current].path + "'");
    open->current = folder;
    return MAGIC_OK;
}

const char* Magic_GetCurrentFolder(MagicFile file)
{
    OpenFile* open = FindFile(file);
    return open ? open->folders[open->current].path.c_str() : nullptr;
}

const char* Magic_FindFirst(MagicFile file, MagicFindData* find, int mode)
{
    OpenFile* open = FindFile(file);
    if (!open || !find)
        return nullptr;
    *find = MagicFindData{};
    find->mode = mode;
    find->folder = open->current;
    return FindFrom(*open, find);
}

const char* Magic_FindNext(MagicFile file, MagicFindData* find)
{
    OpenFile* open = FindFile(file);
    if (!open || !find)
        return nullptr;
    return FindFrom(*open, find);
}

int Magic_GetStaticAtlasCount(MagicFile file)
{
    OpenFile* open = FindFile(file);
    return open ? static_cast<int>(open->document.atlases.size()) : 0;
}

int Magic_GetStaticAtlas(MagicFile file, int index, MagicStaticAtlas* atlas)
{
    OpenFile* open = FindFile(file);
    if (!open || !atlas)
        return MAGIC_ERROR;
    if (index < 0 || index >= static_cast<int>(open->document.atlases.size()))
        return Fail("no static atlas " + std::to_string(index));
    const magic::PtcAtlas& source = open->document.atlases[index];
    atlas->file = source.file.c_str();
    atlas->width = static_cast<int>(source.width);
    atlas->height = static_cast<int>(source.height);
    atlas->frameCount = static_cast<int>(source.frames.size());
    return MAGIC_OK;
}

MagicEmitter Magic_LoadEmitter(MagicFile file, const char* name)
{
    OpenFile* open = FindFile(file);
    if (!open)
        return 0;
    const std::string_view path = name ? name : "";
    const size_t slash = path.rfind('/');
    const std::string_view leaf = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const int folder = slash == std::string_view::npos
                           ? open->current
                           : open->Resolve(slash == 0 ? "/" : path.substr(0, slash));
    if (folder >= 0) {
        for (const magic::PtcEmitter& emitter : open->folders[folder].folder->emitters) {
            if (emitter.name == leaf)
                return AddEmitter(std::make_unique<EmitterSim>(EmitterDesc::Make(open->document, emitter)));
        }
    }
    Fail("no emitter '" + std::string(path) + "' in '/" + open->folders[open->current].path + "'");
    return 0;
}

MagicEmitter Magic_DuplicateEmitter(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    return sim ? AddEmitter(std::make_unique<EmitterSim>(*sim)) : 0;
}

int Magic_UnloadEmitter(MagicEmitter emitter)
{
    if (!FindEmitter(emitter))
        return MAGIC_ERROR;
    Lib().emitters.erase(emitter);
    return MAGIC_OK;
}

const char* Magic_GetEmitterName(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    return sim ? sim->Desc().params.name.c_str() : nullptr;
}

const char* Magic_GetFileName(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    if (!sim || sim->Desc().params.textureFile.empty())
        return nullptr;
    return sim->Desc().params.textureFile.c_str();
}

bool Magic_HasTextures(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    return sim && sim->Desc().hasTextures;
}

int Magic_SetLoopMode(MagicEmitter emitter, int mode)
{
    EmitterSim* sim = FindEmitter(emitter);
    if (!sim)
        return MAGIC_ERROR;
    return sim->SetLoopMode(mode) ? MAGIC_OK : Fail("invalid loop mode " + std::to_string(mode));
}

int Magic_GetLoopMode(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    return sim ? sim->LoopMode() : MAGIC_ERROR;
}

int Magic_SetInterpolationMode(MagicEmitter emitter, bool on)
{
    EmitterSim* sim = FindEmitter(emitter);
    if (!sim)
        return MAGIC_ERROR;
    sim->SetInterpolation(on);
    return MAGIC_OK;
}

bool Magic_IsInterpolationMode(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    return sim && sim->Interpolation();
}

double Magic_GetUpdateTime(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    return sim ? sim->UpdateTime() : 0.0;
}

bool Magic_Update(MagicEmitter emitter, double time)
{
    EmitterSim* sim = FindEmitter(emitter);
    return sim && sim->Update(time);
}

int Magic_Stop(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    if (!sim)
        return MAGIC_ERROR;
    sim->Stop();
    return MAGIC_OK;
}

int Magic_Restart(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    if (!sim)
        return MAGIC_ERROR;
    sim->Restart();
    return MAGIC_OK;
}

bool Magic_IsInterval1(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    return sim && sim->IsInterval1();
}

int Magic_EmitterToInterval1(MagicEmitter emitter, float speed, const char* /*preparedFile*/)
{
    EmitterSim* sim = FindEmitter(emitter);
    if (!sim)
        return MAGIC_ERROR;
    return sim->ToInterval1(speed) ? MAGIC_OK : Fail("invalid lead-in speed");
}

bool Magic_InInterval(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    return sim && sim->InInterval();
}

int Magic_SetInterrupt(MagicEmitter emitter, bool interrupt)
{
    EmitterSim* sim = FindEmitter(emitter);
    if (!sim)
        return MAGIC_ERROR;
    sim->SetInterrupt(interrupt);
    return MAGIC_OK;
}

bool Magic_IsInterrupt(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    return sim && sim->Interrupt();
}

double Magic_GetPosition(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    return sim ? sim->Position() : 0.0;
}

int Magic_GetParticlesCount(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    return sim ? sim->ParticleCount() : 0;
}

int Magic_SetEmitterPositionMode(MagicEmitter emitter, int mode)
{
    EmitterSim* sim = FindEmitter(emitter);
    if (!sim)
        return MAGIC_ERROR;
    return sim->SetPositionMode(mode) ? MAGIC_OK : Fail("invalid position mode " + std::to_string(mode));
}

int Magic_GetEmitterPositionMode(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    return sim ? sim->PositionMode() : MAGIC_ERROR;
}

int Magic_SetEmitterPosition(MagicEmitter emitter, const MagicPoint* position)
{
    EmitterSim* sim = FindEmitter(emitter);
    if (!sim || !position)
        return MAGIC_ERROR;
    if (!std::isfinite(position->x) || !std::isfinite(position->y))
        return Fail("emitter position is not a finite number");
    sim->SetPosition(position->x, position->y);
    return MAGIC_OK;
}

int Magic_GetEmitterPosition(MagicEmitter emitter, MagicPoint* position)
{
    EmitterSim* sim = FindEmitter(emitter);
    if (!sim || !position)
        return MAGIC_ERROR;
    *position = sim->Position2D();
    return MAGIC_OK;
}

int Magic_SetEmitterDirection(MagicEmitter emitter, float degrees)
{
    EmitterSim* sim = FindEmitter(emitter);
    if (!sim)
        return MAGIC_ERROR;
    if (!std::isfinite(degrees))
        return Fail("emitter direction is not a finite number");
    // Kept in one turn so that huge angles lose no precision in later sums.
    sim->SetDirection(std::fmod(degrees, 360.0f));
    return MAGIC_OK;
}

float Magic_GetEmitterDirection(MagicEmitter emitter)
{
    EmitterSim* sim = FindEmitter(emitter);
    return sim ? sim->Direction() : 0.0f;
}

namespace {

// Fills list with the first particle type at or after type that has particles.
int ListFrom(MagicEmitter emitter, int type, MagicRenderedList* list)
{
    Library& lib = Lib();
    lib.cursor = RenderCursor{};
    EmitterSim* sim = FindEmitter(emitter);
    if (!sim || !list)
        return MAGIC_ERROR;
    for (; type < sim->TypeCount(); ++type) {
        if (sim->TypeParticleCount(type) == 0)
            continue;
        const magic::ResolvedType& resolved = sim->Desc().types[type];
        list->particleCount = sim->TypeParticleCount(type);
        list->textureId = resolved.textureId;
        list->intense = resolved.params.intense;
        list->emitter = emitter;
        list->particleType = type;
        lib.cursor = RenderCursor{emitter, type, 0};
        return MAGIC_OK;
    }
    list->particleCount = 0;
    list->emitter = emitter;
    list->particleType = type;
    return MAGIC_ERROR;
}

} // namespace

int Magic_CreateFirstRenderedParticlesList(MagicEmitter emitter, MagicRenderedList* list)
{
    return ListFrom(emitter, 0, list);
}

int Magic_CreateNextRenderedParticlesList(MagicRenderedList* list)
{
    if (!list || list->particleType < 0 || list->particleType == INT_MAX) {
        Lib().cursor = RenderCursor{};
        return MAGIC_ERROR;
    }
    return ListFrom(list->emitter, list->particleType + 1, list);
}

int Magic_GetNextParticleVertexes(MagicParticleQuad* quad)
{
    RenderCursor& cursor = Lib().cursor;
    EmitterSim* sim = cursor.emitter ? FindEmitter(cursor.emitter) : nullptr;
    if (!sim || !quad || !sim->Quad(cursor.type, cursor.next, *quad))
        return MAGIC_ERROR;
    ++cursor.next;
    return MAGIC_OK;
}
