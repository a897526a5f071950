#pragma once
// The content of a ".ptc" effect file as plain data: what the reader produces, what
// the writer and the text description build. The binary layout is documented with
// the reader (PtcReader.cpp).
#include <cstdint>
#include <string>
#include <vector>

namespace magic {

// Limits every file must respect; they keep a hostile file from making the library
// allocate or simulate without bound.
constexpr uint32_t kMaxStringLength = 1024;
constexpr uint32_t kMaxAtlasSide = 16384;
constexpr uint32_t kMaxFolderDepth = 32;
constexpr uint32_t kMaxParticleTypes = 64;
constexpr uint32_t kMaxParticlesPerType = 10000;
constexpr uint32_t kMaxParticlesPerEmitter = 20000;
constexpr float kMinUpdateTime = 1.0f;      // ms
constexpr float kMaxUpdateTime = 1000.0f;   // ms
constexpr float kMaxDuration = 3600000.0f;  // ms: one hour
constexpr uint32_t kMaxLeadInSteps = 10000; // interval 1 / update time
constexpr float kMaxRate = 10000.0f;        // particles per second
constexpr float kMaxMagnitude = 1.0e6f;     // any speed, size, gravity, spin, offset
constexpr uint32_t kNoAtlas = 0xFFFFFFFFu;  // a particle type drawn without texture

struct PtcFrame {
    uint32_t x = 0, y = 0, width = 0, height = 0; // pixels inside the atlas
};

struct PtcAtlas {
    std::string file;
    uint32_t width = 0, height = 0;
    std::vector<PtcFrame> frames;
};

// One kind of particle an emitter throws out.
struct PtcParticleType {
    uint32_t atlas = kNoAtlas; // index into the file's atlases, or kNoAtlas
    uint32_t frame = 0;        // index into that atlas's frames
    uint8_t intense = 0;       // additive blending
    float rate = 10.0f;        // new particles per second
    uint32_t maxParticles = 100;
    float lifeMin = 1000.0f, lifeMax = 1000.0f;                // ms
    float speedMin = 0.0f, speedMax = 0.0f;                    // pixels per second
    float angle = 90.0f, spread = 0.0f;                        // degrees: direction and full cone width
    float gravityX = 0.0f, gravityY = 0.0f;                    // pixels per second squared, y down
    float sizeStart = 8.0f, sizeEnd = 8.0f;                    // pixels, edge of the square quad
    float spinMin = 0.0f, spinMax = 0.0f;                      // degrees per second
    uint32_t colorStart = 0xFFFFFFFFu, colorEnd = 0xFFFFFFFFu; // 0xAARRGGBB
};

struct PtcEmitter {
    std::string name;
    std::string textureFile; // optional
    uint32_t seed = 1;
    float updateTime = 1000.0f / 60.0f; // ms
    float duration = 1000.0f;           // ms of timeline
    float interval1 = 0.0f;             // ms: where the active interval starts
    uint8_t interpolation = 1;
    uint8_t loopMode = 0;
    float spawnWidth = 0.0f, spawnHeight = 0.0f; // box around the position new particles start in
    std::vector<PtcParticleType> types;
};

struct PtcFolder {
    std::string name; // empty for the root
    std::vector<PtcFolder> folders;
    std::vector<PtcEmitter> emitters;
};

struct PtcDocument {
    std::vector<PtcAtlas> atlases;
    PtcFolder root;
};

// Checks every rule of the format the structure can break (names, ranges, indices,
// limits). Returns false with a reason in error.
bool ValidatePtcDocument(const PtcDocument& document, std::string& error);

} // namespace magic
