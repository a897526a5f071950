#pragma once
// The particle library the engine calls: effect files opened from memory, a folder
// tree of named emitters, static texture atlases, emitters that are duplicated,
// updated in milliseconds and rendered as lists of textured, coloured quads.
//
// Everything runs on the main thread. Handles are positive ints, never reused within
// a process, so a handle that was already unloaded is simply unknown: every call on
// an unknown handle fails harmlessly (MAGIC_ERROR, false, 0 or null).
//
// The simulation is deterministic: each emitter advances in whole steps of its own
// update time and draws its random numbers from a generator seeded by its file, so
// the same calls give the same particles.
#include <cstddef>
#include <cstdint>

using MagicFile = int;    // an open effect file; below 1 means none
using MagicEmitter = int; // one emitter; 0 means none

constexpr int MAGIC_OK = 0;
constexpr int MAGIC_ERROR = -1;

// Modes of Magic_FindFirst: which entries of the current folder to list.
constexpr int MAGIC_FIND_FOLDERS = 1;
constexpr int MAGIC_FIND_EMITTERS = 2;
constexpr int MAGIC_FIND_ALL = 3;

// Loop modes of Magic_SetLoopMode.
constexpr int MAGIC_LOOP_ONCE = 0;    // the effect plays its timeline once, then ends
constexpr int MAGIC_LOOP_REPEAT = 1;  // at the end of its timeline it goes back to interval 1
constexpr int MAGIC_LOOP_FOREVER = 2; // the timeline holds at its end and keeps emitting

// Position modes of Magic_SetEmitterPositionMode.
constexpr int MAGIC_POSITION_EMITTER = 0; // only the emitter moves; live particles stay
constexpr int MAGIC_POSITION_ALL = 1;     // live particles move along with the emitter

// One entry of a folder listing. The cursor words belong to the library.
struct MagicFindData {
    int type;         // MAGIC_FIND_FOLDERS or MAGIC_FIND_EMITTERS
    const char* name; // the entry's name; valid while the file is open
    int animate;      // non-zero for an emitter, zero for a folder
    int mode;         // the mode given to Magic_FindFirst
    int folder;       // cursor: the folder being listed
    int position;     // cursor: the next entry to look at
};

// One static atlas: an image file holding the frames of the file's particles.
struct MagicStaticAtlas {
    const char* file; // image path as stored in the effect file; valid while it is open
    int width;
    int height;
    int frameCount;
};

struct MagicPoint {
    float x;
    float y;
};

// One rendered list: the particles of one particle type, all drawn with one texture
// and one blend. Filled by Magic_CreateFirst/NextRenderedParticlesList.
struct MagicRenderedList {
    int particleCount; // always above 0 for a list that was returned
    int textureId;     // index of the static atlas, or -1 for untextured particles
    int intense;       // non-zero: additive blending; zero: alpha blending
    int emitter;       // cursor: the emitter being rendered
    int particleType;  // cursor: the particle type of this list
};

struct MagicVertex {
    float x, y; // screen position
    float u, v; // texture coordinates inside the atlas
};

// One particle as a quad: corners in the order top-left, top-right, bottom-right,
// bottom-left of the unrotated sprite (two triangles 0-1-2 and 0-2-3).
struct MagicParticleQuad {
    MagicVertex vertex[4];
    uint32_t color; // 0xAARRGGBB
};

// --- Files ---
// Reads a whole effect file from memory (the library keeps its own copy). Returns a
// handle above 0, or 0 when the data is not a valid effect file; the reason is then
// in Magic_GetLastError.
MagicFile Magic_OpenFileInMemory(const void* data, size_t size);
int Magic_CloseFile(MagicFile file);
// Text of the last failure of any call (empty when none failed yet).
const char* Magic_GetLastError();

// --- Folders: paths are relative to the current folder; "/" starts at the root,
// ".." is the parent, "" stays. A failed change keeps the current folder. ---
int Magic_SetCurrentFolder(MagicFile file, const char* path);
const char* Magic_GetCurrentFolder(MagicFile file);
// The first entry of the current folder that mode asks for, or null; fills find.
const char* Magic_FindFirst(MagicFile file, MagicFindData* find, int mode);
const char* Magic_FindNext(MagicFile file, MagicFindData* find);

// --- Static atlases ---
int Magic_GetStaticAtlasCount(MagicFile file);
int Magic_GetStaticAtlas(MagicFile file, int index, MagicStaticAtlas* atlas);

// --- Emitters ---
// A new emitter from the named emitter (a path relative to the current folder), or 0.
MagicEmitter Magic_LoadEmitter(MagicFile file, const char* name);
MagicEmitter Magic_DuplicateEmitter(MagicEmitter emitter);
int Magic_UnloadEmitter(MagicEmitter emitter);
const char* Magic_GetEmitterName(MagicEmitter emitter);
// The texture file the emitter names, or null when it names none.
const char* Magic_GetFileName(MagicEmitter emitter);
// True when the emitter's particles are drawn from an atlas frame.
bool Magic_HasTextures(MagicEmitter emitter);

int Magic_SetLoopMode(MagicEmitter emitter, int mode);
int Magic_GetLoopMode(MagicEmitter emitter);
// On: Magic_Update takes any time and drawn positions are interpolated between the
// last two steps. Off: positions are those of the last whole step.
int Magic_SetInterpolationMode(MagicEmitter emitter, bool on);
bool Magic_IsInterpolationMode(MagicEmitter emitter);
// The emitter's fixed step in milliseconds (0 for an unknown emitter).
double Magic_GetUpdateTime(MagicEmitter emitter);

// Advances by time milliseconds (negative or non-finite counts as 0; at most 1000
// steps per call, the rest is dropped). False when the emitter has ended: its
// timeline ran out (loop mode once) or it was interrupted, and no particle is left.
bool Magic_Update(MagicEmitter emitter, double time);
// Ends the emitter at once: every particle goes.
int Magic_Stop(MagicEmitter emitter);
// Back to the start of the timeline with no particles and a fresh generator.
int Magic_Restart(MagicEmitter emitter);
// True when the emitter starts from an interval 1 later than the start of its timeline.
bool Magic_IsInterval1(MagicEmitter emitter);
// Restarts and plays the timeline up to interval 1 in steps of speed × update time.
// preparedFile is accepted for compatibility and ignored.
int Magic_EmitterToInterval1(MagicEmitter emitter, float speed, const char* preparedFile);
// True while the emitter has not ended and its timeline is at or past interval 1.
bool Magic_InInterval(MagicEmitter emitter);
// True: the current cycle plays to the end of the timeline, then the emitter emits
// nothing more and ends once the live particles are gone. False cancels that (an
// emitter whose interrupted cycle already ran out goes on with the next cycle).
int Magic_SetInterrupt(MagicEmitter emitter, bool interrupt);
bool Magic_IsInterrupt(MagicEmitter emitter);
// Milliseconds of timeline played since the last restart.
double Magic_GetPosition(MagicEmitter emitter);
int Magic_GetParticlesCount(MagicEmitter emitter);

int Magic_SetEmitterPositionMode(MagicEmitter emitter, int mode);
int Magic_GetEmitterPositionMode(MagicEmitter emitter);
int Magic_SetEmitterPosition(MagicEmitter emitter, const MagicPoint* position);
int Magic_GetEmitterPosition(MagicEmitter emitter, MagicPoint* position);
// Rotates the emission of new particles; degrees counter-clockwise on screen.
int Magic_SetEmitterDirection(MagicEmitter emitter, float degrees);
float Magic_GetEmitterDirection(MagicEmitter emitter);

// --- Rendering: lists of the emitter's particles, then their quads one by one.
// The quads come from the list made last; the emitter must not change meanwhile. ---
int Magic_CreateFirstRenderedParticlesList(MagicEmitter emitter, MagicRenderedList* list);
int Magic_CreateNextRenderedParticlesList(MagicRenderedList* list);
int Magic_GetNextParticleVertexes(MagicParticleQuad* quad);
