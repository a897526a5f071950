#include "Platform/Magic/PtcReader.h"

#include <cstring>

// The ".ptc" effect file, version 1. Little-endian, no alignment gaps; f32 is an IEEE
// single; str is a u32 byte length followed by that many UTF-8 bytes (no terminator,
// no zero byte, at most 1024 bytes).
//
//   file      "GEPF" | u32 version (1) | u32 atlasCount | atlas × atlasCount | body
//             (the root folder, which has no name); nothing may follow it.
//   atlas     str file | u32 width | u32 height | u32 frameCount |
//             frameCount × (u32 x | u32 y | u32 width | u32 height)
//   folder    str name | body
//   body      u32 folderCount | folder × folderCount | u32 emitterCount | emitter × emitterCount
//   emitter   str name | str textureFile | u32 seed | f32 updateTime (ms) | f32 duration (ms) |
//             f32 interval1 (ms) | u8 interpolation | u8 loopMode | f32 spawnWidth |
//             f32 spawnHeight | u32 typeCount | type × typeCount
//   type      u32 atlas (0xFFFFFFFF: none) | u32 frame | u8 intense | f32 rate (per s) |
//             u32 maxParticles | f32 lifeMin | f32 lifeMax (ms) | f32 speedMin | f32 speedMax
//             (px/s) | f32 angle | f32 spread (degrees) | f32 gravityX | f32 gravityY
//             (px/s², y down) | f32 sizeStart | f32 sizeEnd (px) | f32 spinMin | f32 spinMax
//             (degrees/s) | u32 colorStart | u32 colorEnd (0xAARRGGBB)
//
// Names of folders and emitters are non-empty, hold no '/', are not "." or "..", and
// are unique within their folder. Every count is checked against the bytes left before
// anything is allocated for it, and every value against the ranges of PtcDocument.h.

namespace magic {
namespace {

// Smallest encoded sizes, used to reject counts the remaining bytes cannot hold.
constexpr size_t kMinAtlasSize = 4 + 1 + 4 + 4 + 4;
constexpr size_t kFrameSize = 16;
constexpr size_t kMinFolderSize = 4 + 1 + 4 + 4;
constexpr size_t kMinEmitterSize = 4 + 1 + 4 + 4 + 3 * 4 + 2 + 2 * 4 + 4;
constexpr size_t kTypeSize = 4 + 4 + 1 + 4 + 4 + 12 * 4 + 2 * 4;

class Cursor {
public:
    Cursor(const unsigned char* data, size_t size, std::string& error)
        : mData(data), mSize(size), mError(error)
    {
    }

    size_t Left() const { return mSize - mPos; }
    size_t Offset() const { return mPos; }

    bool Fail(const std::string& what)
    {
        if (mError.empty())
            mError = what + " at byte " + std::to_string(mPos);
        return false;
    }

    bool Bytes(void* out, size_t count, const char* what)
    {
        if (count > Left())
            return Fail(std::string("file ends inside ") + what);
        std::memcpy(out, mData + mPos, count);
        mPos += count;
        return true;
    }

    bool U8(uint8_t& value, const char* what) { return Bytes(&value, 1, what); }

    bool U32(uint32_t& value, const char* what)
    {
        unsigned char b[4] = {};
        if (!Bytes(b, 4, what))
            return false;
        value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }

    bool F32(float& value, const char* what)
    {
        uint32_t bits;
        if (!U32(bits, what))
            return false;
        std::memcpy(&value, &bits, 4);
        return true;
    }

    bool String(std::string& value, const char* what)
    {
        uint32_t length;
        if (!U32(length, what))
            return false;
        if (length > kMaxStringLength)
            return Fail(std::string(what) + " is too long");
        if (length > Left())
            return Fail(std::string("file ends inside ") + what);
        value.assign(reinterpret_cast<const char*>(mData + mPos), length);
        mPos += length;
        return true;
    }

    // Reads a count of records at least minSize bytes long each.
    bool Count(uint32_t& count, size_t minSize, const char* what)
    {
        if (!U32(count, what))
            return false;
        if (count > Left() / minSize)
            return Fail(std::string(what) + " " + std::to_string(count) + " exceeds the data");
        return true;
    }

private:
    const unsigned char* mData;
    size_t mSize;
    size_t mPos = 0;
    std::string& mError;
};

bool ReadType(Cursor& in, PtcParticleType& type)
{
    return in.U32(type.atlas, "particle atlas") && in.U32(type.frame, "particle frame") &&
           in.U8(type.intense, "intense flag") && in.F32(type.rate, "rate") &&
           in.U32(type.maxParticles, "particle limit") && in.F32(type.lifeMin, "life") &&
           in.F32(type.lifeMax, "life") && in.F32(type.speedMin, "speed") && in.F32(type.speedMax, "speed") &&
           in.F32(type.angle, "angle") && in.F32(type.spread, "spread") && in.F32(type.gravityX, "gravity") &&
           in.F32(type.gravityY, "gravity") && in.F32(type.sizeStart, "size") &&
           in.F32(type.sizeEnd, "size") && in.F32(type.spinMin, "spin") && in.F32(type.spinMax, "spin") &&
           in.U32(type.colorStart, "colour") && in.U32(type.colorEnd, "colour");
}

bool ReadEmitter(Cursor& in, PtcEmitter& emitter)
{
    uint32_t typeCount;
    if (!in.String(emitter.name, "emitter name") || !in.String(emitter.textureFile, "texture file name") ||
        !in.U32(emitter.seed, "seed") || !in.F32(emitter.updateTime, "update time") ||
        !in.F32(emitter.duration, "duration") || !in.F32(emitter.interval1, "interval 1") ||
        !in.U8(emitter.interpolation, "interpolation flag") || !in.U8(emitter.loopMode, "loop mode") ||
        !in.F32(emitter.spawnWidth, "spawn box") || !in.F32(emitter.spawnHeight, "spawn box") ||
        !in.Count(typeCount, kTypeSize, "particle type count"))
        return false;
    if (typeCount > kMaxParticleTypes)
        return in.Fail("too many particle types");
    emitter.types.resize(typeCount);
    for (PtcParticleType& type : emitter.types) {
        if (!ReadType(in, type))
            return false;
    }
    return true;
}

bool ReadBody(Cursor& in, PtcFolder& folder, uint32_t depth)
{
    uint32_t folderCount;
    if (!in.Count(folderCount, kMinFolderSize, "folder count"))
        return false;
    // Deep nesting is refused before recursing, so a hostile file cannot exhaust the stack.
    if (folderCount > 0 && depth >= kMaxFolderDepth)
        return in.Fail("folders nested too deeply");
    folder.folders.resize(folderCount);
    for (PtcFolder& child : folder.folders) {
        if (!in.String(child.name, "folder name") || !ReadBody(in, child, depth + 1))
            return false;
    }
    uint32_t emitterCount;
    if (!in.Count(emitterCount, kMinEmitterSize, "emitter count"))
        return false;
    folder.emitters.resize(emitterCount);
    for (PtcEmitter& emitter : folder.emitters) {
        if (!ReadEmitter(in, emitter))
            return false;
    }
    return true;
}

} // namespace

bool ReadPtcDocument(const void* data, size_t size, PtcDocument& document, std::string& error)
{
    error.clear();
    document = PtcDocument();
    if (!data && size > 0) {
        error = "no data";
        return false;
    }
    Cursor in(static_cast<const unsigned char*>(data), size, error);
    char magic[4];
    uint32_t version;
    if (!in.Bytes(magic, 4, "header"))
        return false;
    if (std::memcmp(magic, kPtcMagic, 4) != 0) {
        error = "not an effect file (bad signature)";
        return false;
    }
    if (!in.U32(version, "header"))
        return false;
    if (version != kPtcVersion)
        return in.Fail("unknown version " + std::to_string(version));

    uint32_t atlasCount;
    if (!in.Count(atlasCount, kMinAtlasSize, "atlas count"))
        return false;
    document.atlases.resize(atlasCount);
    for (PtcAtlas& atlas : document.atlases) {
        uint32_t frameCount;
        if (!in.String(atlas.file, "atlas file name") || !in.U32(atlas.width, "atlas width") ||
            !in.U32(atlas.height, "atlas height") || !in.Count(frameCount, kFrameSize, "frame count"))
            return false;
        atlas.frames.resize(frameCount);
        for (PtcFrame& frame : atlas.frames) {
            if (!in.U32(frame.x, "frame") || !in.U32(frame.y, "frame") || !in.U32(frame.width, "frame") ||
                !in.U32(frame.height, "frame"))
                return false;
        }
    }
    if (!ReadBody(in, document.root, 0))
        return false;
    if (in.Left() != 0)
        return in.Fail(std::to_string(in.Left()) + " bytes of unknown data after the end");

    std::string invalid;
    if (!ValidatePtcDocument(document, invalid)) {
        error = invalid;
        return false;
    }
    return true;
}

} // namespace magic
