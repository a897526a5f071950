#include "Platform/Magic/PtcDocument.h"

#include <cmath>
#include <set>

namespace magic {
namespace {

bool InRange(float value, float low, float high)
{
    return std::isfinite(value) && value >= low && value <= high;
}

bool CheckString(const std::string& text, const std::string& what, std::string& error)
{
    if (text.size() > kMaxStringLength) {
        error = what + " is longer than " + std::to_string(kMaxStringLength) + " bytes";
        return false;
    }
    if (text.find('\0') != std::string::npos) {
        error = what + " holds a zero byte";
        return false;
    }
    return true;
}

// Entry names become path components, so they can hold no separator and cannot be
// one of the relative steps.
bool CheckEntryName(const std::string& name, const std::string& what, std::string& error)
{
    if (!CheckString(name, what, error))
        return false;
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        error = what + " has the invalid name '" + name + "'";
        return false;
    }
    return true;
}

bool CheckType(const PtcDocument& document, const PtcParticleType& type, const std::string& what,
               std::string& error)
{
    auto fail = [&](const char* reason) {
        error = what + ": " + reason;
        return false;
    };
    if (type.atlas == kNoAtlas) {
        if (type.frame != 0)
            return fail("an untextured particle type names a frame");
    } else if (type.atlas >= document.atlases.size()) {
        return fail("atlas index out of range");
    } else if (type.frame >= document.atlases[type.atlas].frames.size()) {
        return fail("frame index out of range");
    }
    if (type.intense > 1)
        return fail("intense flag is neither 0 nor 1");
    if (!InRange(type.rate, 0.0f, kMaxRate))
        return fail("emission rate out of range");
    if (type.maxParticles < 1 || type.maxParticles > kMaxParticlesPerType)
        return fail("particle limit out of range");
    if (!InRange(type.lifeMin, 0.0f, kMaxDuration) || type.lifeMin <= 0.0f ||
        !InRange(type.lifeMax, type.lifeMin, kMaxDuration))
        return fail("life time out of range");
    if (!InRange(type.speedMin, -kMaxMagnitude, kMaxMagnitude) ||
        !InRange(type.speedMax, type.speedMin, kMaxMagnitude))
        return fail("speed out of range");
    if (!InRange(type.angle, -kMaxMagnitude, kMaxMagnitude) || !InRange(type.spread, 0.0f, 360.0f))
        return fail("direction out of range");
    if (!InRange(type.gravityX, -kMaxMagnitude, kMaxMagnitude) ||
        !InRange(type.gravityY, -kMaxMagnitude, kMaxMagnitude))
        return fail("gravity out of range");
    if (!InRange(type.sizeStart, 0.0f, kMaxMagnitude) || !InRange(type.sizeEnd, 0.0f, kMaxMagnitude))
        return fail("size out of range");
    if (!InRange(type.spinMin, -kMaxMagnitude, kMaxMagnitude) ||
        !InRange(type.spinMax, type.spinMin, kMaxMagnitude))
        return fail("spin out of range");
    return true;
}

bool CheckEmitter(const PtcDocument& document, const PtcEmitter& emitter, const std::string& path,
                  std::string& error)
{
    const std::string what = "emitter '" + path + "'";
    if (!CheckEntryName(emitter.name, what, error) || !CheckString(emitter.textureFile, what, error))
        return false;
    auto fail = [&](const char* reason) {
        error = what + ": " + reason;
        return false;
    };
    if (!InRange(emitter.updateTime, kMinUpdateTime, kMaxUpdateTime))
        return fail("update time out of range");
    if (!InRange(emitter.duration, 0.0f, kMaxDuration) || emitter.duration <= 0.0f)
        return fail("duration out of range");
    if (!InRange(emitter.interval1, 0.0f, emitter.duration))
        return fail("interval 1 lies outside the timeline");
    if (emitter.interval1 / emitter.updateTime > static_cast<float>(kMaxLeadInSteps))
        return fail("interval 1 needs too many steps to reach");
    if (emitter.interpolation > 1)
        return fail("interpolation flag is neither 0 nor 1");
    if (emitter.loopMode > 2)
        return fail("loop mode out of range");
    if (!InRange(emitter.spawnWidth, 0.0f, kMaxMagnitude) ||
        !InRange(emitter.spawnHeight, 0.0f, kMaxMagnitude))
        return fail("spawn box out of range");
    if (emitter.types.size() > kMaxParticleTypes)
        return fail("too many particle types");
    uint32_t total = 0;
    for (size_t i = 0; i < emitter.types.size(); ++i) {
        if (!CheckType(document, emitter.types[i], what + " particle type " + std::to_string(i), error))
            return false;
        total += emitter.types[i].maxParticles;
    }
    if (total > kMaxParticlesPerEmitter)
        return fail("too many particles in all");
    return true;
}

bool CheckFolder(const PtcDocument& document, const PtcFolder& folder, const std::string& path,
                 uint32_t depth, std::string& error)
{
    if (depth > kMaxFolderDepth) {
        error = "folder '" + path + "' is nested too deeply";
        return false;
    }
    if (depth > 0 && !CheckEntryName(folder.name, "folder '" + path + "'", error))
        return false;
    // Folders and emitters share one name space, so a path always means one entry.
    std::set<std::string> names;
    const std::string prefix = path.empty() ? std::string() : path + "/";
    for (const PtcFolder& child : folder.folders) {
        if (!CheckFolder(document, child, prefix + child.name, depth + 1, error))
            return false;
        if (!names.insert(child.name).second) {
            error = "name '" + prefix + child.name + "' is used twice";
            return false;
        }
    }
    for (const PtcEmitter& emitter : folder.emitters) {
        if (!CheckEmitter(document, emitter, prefix + emitter.name, error))
            return false;
        if (!names.insert(emitter.name).second) {
            error = "name '" + prefix + emitter.name + "' is used twice";
            return false;
        }
    }
    return true;
}

} // namespace

bool ValidatePtcDocument(const PtcDocument& document, std::string& error)
{
    for (size_t i = 0; i < document.atlases.size(); ++i) {
        const PtcAtlas& atlas = document.atlases[i];
        const std::string what = "atlas " + std::to_string(i);
        if (!CheckString(atlas.file, what, error))
            return false;
        if (atlas.file.empty()) {
            error = what + " has no file name";
            return false;
        }
        if (atlas.width < 1 || atlas.width > kMaxAtlasSide || atlas.height < 1 ||
            atlas.height > kMaxAtlasSide) {
            error = what + " has an invalid size";
            return false;
        }
        for (const PtcFrame& frame : atlas.frames) {
            if (frame.width < 1 || frame.height < 1 || uint64_t(frame.x) + frame.width > atlas.width ||
                uint64_t(frame.y) + frame.height > atlas.height) {
                error = what + " has a frame outside the image";
                return false;
            }
        }
    }
    return CheckFolder(document, document.root, "", 0, error);
}

} // namespace magic
