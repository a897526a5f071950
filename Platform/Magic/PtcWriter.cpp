#include "Platform/Magic/PtcWriter.h"

#include "Platform/Magic/PtcReader.h"
#include "tools/common/ByteWriter.h"

namespace magic {
namespace {

void WriteType(tools::ByteWriter& out, const PtcParticleType& type)
{
    out.U32(type.atlas);
    out.U32(type.frame);
    out.U8(type.intense);
    out.F32(type.rate);
    out.U32(type.maxParticles);
    for (float value :
         {type.lifeMin, type.lifeMax, type.speedMin, type.speedMax, type.angle, type.spread, type.gravityX,
          type.gravityY, type.sizeStart, type.sizeEnd, type.spinMin, type.spinMax})
        out.F32(value);
    out.U32(type.colorStart);
    out.U32(type.colorEnd);
}

void WriteEmitter(tools::ByteWriter& out, const PtcEmitter& emitter)
{
    out.String(emitter.name);
    out.String(emitter.textureFile);
    out.U32(emitter.seed);
    out.F32(emitter.updateTime);
    out.F32(emitter.duration);
    out.F32(emitter.interval1);
    out.U8(emitter.interpolation);
    out.U8(emitter.loopMode);
    out.F32(emitter.spawnWidth);
    out.F32(emitter.spawnHeight);
    out.U32(static_cast<uint32_t>(emitter.types.size()));
    for (const PtcParticleType& type : emitter.types)
        WriteType(out, type);
}

void WriteBody(tools::ByteWriter& out, const PtcFolder& folder)
{
    out.U32(static_cast<uint32_t>(folder.folders.size()));
    for (const PtcFolder& child : folder.folders) {
        out.String(child.name);
        WriteBody(out, child);
    }
    out.U32(static_cast<uint32_t>(folder.emitters.size()));
    for (const PtcEmitter& emitter : folder.emitters)
        WriteEmitter(out, emitter);
}

} // namespace

bool WritePtcDocument(const PtcDocument& document, std::vector<unsigned char>& out, std::string& error)
{
    out.clear();
    if (!ValidatePtcDocument(document, error))
        return false;
    tools::ByteWriter sink(out);
    sink.Bytes(kPtcMagic, 4);
    sink.U32(kPtcVersion);
    sink.U32(static_cast<uint32_t>(document.atlases.size()));
    for (const PtcAtlas& atlas : document.atlases) {
        sink.String(atlas.file);
        sink.U32(atlas.width);
        sink.U32(atlas.height);
        sink.U32(static_cast<uint32_t>(atlas.frames.size()));
        for (const PtcFrame& frame : atlas.frames) {
            sink.U32(frame.x);
            sink.U32(frame.y);
            sink.U32(frame.width);
            sink.U32(frame.height);
        }
    }
    WriteBody(sink, document.root);
    return true;
}

} // namespace magic
