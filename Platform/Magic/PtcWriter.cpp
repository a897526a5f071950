#include "Platform/Magic/PtcWriter.h"
#include "Core/Base/ByteWriter.h"
#include "Platform/Magic/PtcReader.h"

namespace magic {
namespace {

void WriteType(base::ByteWriter& out, const PtcParticleType& type)
{
    out.U32s(type.atlas, type.frame);
    out.U8(type.intense);
    out.F32(type.rate);
    out.U32(type.maxParticles);
    out.F32s(type.lifeMin, type.lifeMax, type.speedMin, type.speedMax, type.angle, type.spread, type.gravityX,
             type.gravityY, type.sizeStart, type.sizeEnd, type.spinMin, type.spinMax);
    out.U32s(type.colorStart, type.colorEnd);
}

void WriteEmitter(base::ByteWriter& out, const PtcEmitter& emitter)
{
    out.String(emitter.name);
    out.String(emitter.textureFile);
    out.U32(emitter.seed);
    out.F32s(emitter.updateTime, emitter.duration, emitter.interval1);
    out.U8(emitter.interpolation);
    out.U8(emitter.loopMode);
    out.F32s(emitter.spawnWidth, emitter.spawnHeight);
    out.Count(emitter.types);
    for (const PtcParticleType& type : emitter.types)
        WriteType(out, type);
}

void WriteBody(base::ByteWriter& out, const PtcFolder& folder)
{
    out.Count(folder.folders);
    for (const PtcFolder& child : folder.folders) {
        out.String(child.name);
        WriteBody(out, child);
    }
    out.Count(folder.emitters);
    for (const PtcEmitter& emitter : folder.emitters)
        WriteEmitter(out, emitter);
}

} // namespace

bool WritePtcDocument(const PtcDocument& document, std::vector<unsigned char>& out, std::string& error)
{
    out.clear();
    if (!ValidatePtcDocument(document, error))
        return false;
    base::ByteWriter sink(out);
    sink.Bytes(kPtcMagic, 4);
    sink.U32(kPtcVersion);
    sink.Count(document.atlases);
    for (const PtcAtlas& atlas : document.atlases) {
        sink.String(atlas.file);
        sink.U32s(atlas.width, atlas.height);
        sink.Count(atlas.frames);
        for (const PtcFrame& frame : atlas.frames)
            sink.U32s(frame.x, frame.y, frame.width, frame.height);
    }
    WriteBody(sink, document.root);
    return true;
}

} // namespace magic
