// Adjustment, fill, effects and type blocks of layer records, and the pattern
// records of "Patt"/"Pat2" blocks.
#include "Core/Base/Log.h"
#include "Core/Psd/PsdDescriptor.h"
#include "Core/Psd/PsdReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

template <class T> std::unique_ptr<T> Make()
{
    return std::make_unique<T>();
}

void SetAdjustmentLayer(PsdLayerRecord* r, u32 kind, u32 layerType, std::unique_ptr<PsdAdjustmentData> data)
{
    AddPsdAdjustment(r, kind, std::move(data));
    r->layerType = layerType;
    r->adjustmentLayer = true;
}

PsdLevelRecord ReadLevel(PsdCursor& c)
{
    PsdLevelRecord level;
    level.inputFloor = c.U16();
    level.inputCeiling = c.U16();
    level.outputFloor = c.U16();
    level.outputCeiling = c.U16();
    level.gamma = static_cast<float>(c.U16() / 100.0);
    return level;
}

int ReadLevels(PsdLayerRecord* r, PsdCursor& c, u32 length)
{
    if (c.U16() != 2)
        return PSD_ERR_LEVELS_VERSION;
    auto levels = Make<PsdLevels>();
    for (PsdLevelRecord& level : levels->records)
        level = ReadLevel(c);
    if (i64(c.Position()) < i64(length) - 4) {
        if (c.U32() != PsdKey("Lvls"))
            return PSD_ERR_LEVELS_EXTRA_SIGNATURE;
        if (c.U16() != 3)
            return PSD_ERR_LEVELS_EXTRA_VERSION;
        const u16 count = c.U16();
        for (int i = 29; i < count && !c.Overrun(); ++i)
            levels->extra.push_back(ReadLevel(c));
    }
    if (c.Position() != length || c.Overrun())
        return PSD_ERR_LEVELS_LENGTH;
    SetAdjustmentLayer(r, PSD_ADJ_LEVELS, 6, std::move(levels));
    return PSD_OK;
}

// The second copy of the curves, which must agree with the first; a copy that does
// not agree ends the block without failing it.
int CheckCurvesCopy(PsdCursor& c, u32 length, PsdCurves& curves, const std::vector<u16>& counts)
{
    if (i64(c.Position()) >= i64(length) - 4)
        return PSD_OK;
    if (c.U32() != PsdKey("Crv "))
        return PSD_ERR_CURVES_EXTRA_SIGNATURE;
    if (c.U16() != 4)
        return PSD_ERR_CURVES_EXTRA_VERSION;
    if (c.U32() != curves.curves.size())
        return PSD_OK;
    for (size_t k = 0; k < curves.curves.size(); ++k) {
        PsdCurve& curve = curves.curves[k];
        curve.channel = c.U16();
        if (c.U16() != counts[k])
            return PSD_OK;
        for (u32 i = 0; i < counts[k]; ++i) {
            const u16 output = c.U16(), input = c.U16();
            if (c.Overrun())
                return PSD_OK;
            if (i < PsdCurve::kMaxPoints && (output != curve.output[i] || input != curve.input[i]))
                return PSD_OK;
        }
    }
    return PSD_OK;
}

int ReadCurves(PsdLayerRecord* r, PsdCursor& c, u32 length)
{
    c.U8();
    const u16 version = c.U16();
    if (version != 1 && version != 4)
        return PSD_ERR_CURVES_VERSION;
    const u32 mask = c.U32();
    auto owned = Make<PsdCurves>();
    PsdCurves* curves = owned.get();
    std::vector<u16> counts; // as written, which may exceed what a curve keeps
    for (u32 bit = 0; bit < 32; ++bit) {
        if (!(mask & (1u << bit)))
            continue;
        PsdCurve curve;
        curve.channel = static_cast<u16>(bit);
        const u16 n = c.U16();
        for (u32 i = 0; i < n && !c.Overrun(); ++i) {
            const u16 output = c.U16(), input = c.U16();
            if (i < PsdCurve::kMaxPoints) {
                curve.output[i] = output;
                curve.input[i] = input;
            }
        }
        if (n > PsdCurve::kMaxPoints)
            GE_LOG(L"PSD: a curve of %d points keeps its first %d\n") << int(n) << PsdCurve::kMaxPoints;
        curve.pointCount = std::min<u16>(n, PsdCurve::kMaxPoints);
        counts.push_back(n);
        curves->curves.push_back(curve);
    }
    const int status = CheckCurvesCopy(c, length, *curves, counts);
    if (status != PSD_OK)
        return status;
    SetAdjustmentLayer(r, PSD_ADJ_CURVES, 7, std::move(owned));
    return PSD_OK;
}

int ReadGradientMap(PsdLayerRecord* r, PsdCursor& c)
{
    if (c.U16() != 1)
        return PSD_ERR_GRADIENT_MAP;
    auto map = Make<PsdGradientMap>();
    map->reverse = c.U8() != 0;
    map->dither = c.U8() != 0;
    const u32 nameUnits = c.U32();
    const u64 nameBytes = std::min<u64>(u64(nameUnits) * 2, c.Remaining());
    map->name.assign(c.Here(), c.Here() + nameBytes);
    c.Skip(u64(nameUnits) * 2);
    const u16 colorStops = c.U16();
    for (u32 i = 0; i < colorStops && !c.Overrun(); ++i) {
        PsdGradientMapColorStop stop;
        stop.location = c.U32();
        stop.midpoint = c.U32();
        stop.color = c.Color();
        c.Skip(2);
        map->colorStops.push_back(stop);
    }
    const u16 transparencyStops = c.U16();
    for (u32 i = 0; i < transparencyStops && !c.Overrun(); ++i) {
        PsdGradientMapTransparencyStop stop;
        stop.location = c.U32();
        stop.midpoint = c.U32();
        stop.opacity = c.U16();
        map->transparencyStops.push_back(stop);
    }
    map->expansionCount = c.U16();
    map->interpolation = c.U16();
    map->length = c.U16();
    map->mode = c.U16();
    map->randomSeed = c.U32();
    map->showTransparency = c.U16();
    map->useVectorColor = c.U16();
    map->roughness = c.U32();
    map->colorModel = c.U16();
    u16 minimum[4], maximum[4];
    for (u16& v : minimum)
        v = c.U16();
    for (u16& v : maximum)
        v = c.U16();
    map->minimumColor = PsdColorRecordToArgb(static_cast<i16>(map->colorModel), minimum);
    map->maximumColor = PsdColorRecordToArgb(static_cast<i16>(map->colorModel), maximum);
    c.Skip(2);
    SetAdjustmentLayer(r, PSD_ADJ_GRADIENT_MAP, 16, std::move(map));
    return PSD_OK;
}

std::string PascalString(PsdCursor& c)
{
    const u32 n = c.U8();
    const u32 kept = std::min(n, c.Remaining());
    std::string s(reinterpret_cast<const char*>(c.Here()), kept);
    c.Skip(n);
    return s;
}

int ReadTypeTool(PsdLayerRecord* r, PsdCursor& c)
{
    auto type = Make<PsdTypeTool>();
    for (double& v : type->transform)
        v = c.Double();
    const u16 faces = c.U16();
    for (u32 i = 0; i < faces && !c.Overrun(); ++i) {
        PsdTypeFace face;
        face.mark = c.U16();
        face.fontType = c.U32();
        face.fontName = PascalString(c);
        face.familyName = PascalString(c);
        face.styleName = PascalString(c);
        face.script = c.U16();
        const u32 axes = c.U32();
        for (u32 k = 0; k < axes && !c.Overrun(); ++k)
            face.designAxes.push_back(c.U32());
        type->faces.push_back(std::move(face));
    }
    const u16 styles = c.U16();
    for (u32 i = 0; i < styles && !c.Overrun(); ++i) {
        PsdTypeStyle style;
        style.mark = c.U16();
        style.faceMark = c.U16();
        style.size = c.U32();
        style.tracking = c.U32();
        style.kerning = c.U32();
        style.leading = c.U32();
        style.baseShift = c.U32();
        style.autoKern = c.U8() != 0;
        c.U8();
        style.rotate = c.U8() != 0;
        type->styles.push_back(style);
    }
    type->type = c.U16();
    type->scalingFactor = c.U32();
    type->characterCount = c.U32();
    type->horizontalPlacement = c.U32();
    type->verticalPlacement = c.U32();
    type->selectionStart = c.U32();
    type->selectionEnd = c.U32();
    const u16 lines = c.U16();
    for (u32 i = 0; i < lines && !c.Overrun(); ++i) {
        PsdTypeLine line;
        line.characterCount = c.U32();
        line.orientation = c.U16();
        line.alignment = c.U16();
        line.character = c.U16();
        line.style = c.U16();
        type->lines.push_back(line);
    }
    type->color = c.Color();
    type->antiAliased = c.U8() != 0;
    AddPsdAdjustment(r, PSD_ADJ_TYPE_TOOL, std::move(type));
    return PSD_OK;
}

// A fill layer: descriptor version 16 and a descriptor whose items
// `onItem(reader, fill, key, type)` reads; on failure the record is left as it was.
template <class Fill, class F>
int ReadFillLayer(PsdLayerRecord* r, PsdCursor& c, int failStatus, u32 kind, u32 layerType, F&& onItem)
{
    if (c.U32() != 16)
        return failStatus;
    auto fill = Make<Fill>();
    PsdDescriptorReader d(c, failStatus);
    d.Walk([&](const std::string& key, u32 type) { return onItem(d, *fill, key, type); });
    if (!d.Ok())
        return d.Status();
    AddPsdAdjustment(r, kind, std::move(fill));
    r->layerType = layerType;
    return PSD_OK;
}

int ReadSolidColor(PsdLayerRecord* r, PsdCursor& c)
{
    bool first = true;
    return ReadFillLayer<PsdSolidColorFill>(
        r, c, PSD_ERR_SOLID_COLOR, PSD_ADJ_SOLID_COLOR, 3,
        [&](PsdDescriptorReader& d, PsdSolidColorFill& fill, const std::string& key, u32 type) {
            if (first) {
                const std::string& id = d.ClassKey();
                for (size_t i = 0; i < 4; ++i)
                    fill.classId = (fill.classId << 8) | (i < id.size() ? u8(id[i]) : 0);
                first = false;
            }
            return PsdDescriptorItem(d, key, type).Color("Clr ", fill.color);
        });
}

int ReadGradientFill(PsdLayerRecord* r, PsdCursor& c)
{
    return ReadFillLayer<PsdGradientFill>(
        r, c, PSD_ERR_GRADIENT_FILL, PSD_ADJ_GRADIENT_FILL, 4,
        [](PsdDescriptorReader& d, PsdGradientFill& fill, const std::string& key, u32 type) {
            const PsdDescriptorItem item(d, key, type);
            return item.Gradient("Grad", fill.gradient) || item.Bool("Algn", fill.align) ||
                   item.Number("Angl", fill.angle) || item.Bool("Dthr", fill.dither) ||
                   item.Bool("Rvrs", fill.reverse) || item.Number("Scl ", fill.scale) ||
                   item.GradientType("Type", fill.type) || item.Point("Ofst", fill.offset);
        });
}

int ReadPatternFill(PsdLayerRecord* r, PsdCursor& c)
{
    return ReadFillLayer<PsdPatternFill>(
        r, c, PSD_ERR_PATTERN_FILL, PSD_ADJ_PATTERN_FILL, 19,
        [](PsdDescriptorReader& d, PsdPatternFill& fill, const std::string& key, u32 type) {
            const PsdDescriptorItem item(d, key, type);
            return item.Pattern("Ptrn", fill.pattern) || item.Bool("Algn", fill.align) ||
                   item.Bool("Lnkd", fill.linked) || item.Number("Scl ", fill.scale) ||
                   item.Point("phase", fill.phase);
        });
}

} // namespace

bool IsPsdAdjustmentKey(u32 key)
{
    switch (key) {
    case PsdKey("levl"):
    case PsdKey("curv"):
    case PsdKey("brit"):
    case PsdKey("blnc"):
    case PsdKey("hue2"):
    case PsdKey("selc"):
    case PsdKey("thrs"):
    case PsdKey("post"):
    case PsdKey("mixr"):
    case PsdKey("grdm"):
    case PsdKey("phfl"):
    case PsdKey("SoCo"):
    case PsdKey("GdFl"):
    case PsdKey("PtFl"):
    case PsdKey("lrFX"):
    case PsdKey("lfx2"):
    case PsdKey("tySh"):
        return true;
    default:
        return false;
    }
}

int ReadPsdAdjustmentBlock(PsdContext*, PsdLayerRecord* r, u32 key, PsdCursor& c, u32 length)
{
    switch (key) {
    case PsdKey("levl"):
        return ReadLevels(r, c, length);
    case PsdKey("curv"):
        return ReadCurves(r, c, length);
    case PsdKey("brit"): {
        auto b = Make<PsdBrightnessContrast>();
        b->brightness = c.U16();
        b->contrast = c.U16();
        b->mean = c.U16();
        b->labOnly = c.U8();
        SetAdjustmentLayer(r, PSD_ADJ_BRIGHTNESS, 8, std::move(b));
        return PSD_OK;
    }
    case PsdKey("blnc"): {
        auto b = Make<PsdColorBalance>();
        for (auto& range : b->ranges)
            for (u16& v : range)
                v = c.U16();
        b->preserveLuminosity = (c.U16() & 0xFF) != 0;
        SetAdjustmentLayer(r, PSD_ADJ_COLOR_BALANCE, 9, std::move(b));
        return PSD_OK;
    }
    case PsdKey("hue2"): {
        if (c.U16() != 2)
            return PSD_ERR_HUE_SATURATION;
        auto h = Make<PsdHueSaturation>();
        h->colorize = c.U8();
        c.U8();
        h->colorizeHue = c.U16();
        h->colorizeSaturation = c.U16();
        h->colorizeLightness = c.U16();
        h->masterHue = c.U16();
        h->masterSaturation = c.U16();
        h->masterLightness = c.U16();
        for (PsdHueRange& range : h->ranges) {
            for (u16& v : range.range)
                v = c.U16();
            range.hue = c.U16();
            range.saturation = c.U16();
            range.lightness = c.U16();
        }
        SetAdjustmentLayer(r, PSD_ADJ_HUE_SATURATION, 10, std::move(h));
        return PSD_OK;
    }
    case PsdKey("selc"): {
        if (c.U16() != 1)
            return PSD_ERR_SELECTIVE_COLOR;
        auto s = Make<PsdSelectiveColor>();
        s->method = c.U16();
        for (auto& plate : s->plates)
            for (u16& v : plate)
                v = c.U16();
        SetAdjustmentLayer(r, PSD_ADJ_SELECTIVE_COLOR, 11, std::move(s));
        return PSD_OK;
    }
    case PsdKey("thrs"): {
        auto t = Make<PsdThreshold>();
        t->level = c.U16();
        SetAdjustmentLayer(r, PSD_ADJ_THRESHOLD, 12, std::move(t));
        return PSD_OK;
    }
    case PsdKey("post"): {
        auto p = Make<PsdPosterize>();
        p->levels = c.U16();
        SetAdjustmentLayer(r, PSD_ADJ_POSTERIZE, 14, std::move(p));
        return PSD_OK;
    }
    case PsdKey("mixr"): {
        if (c.U16() != 1)
            return PSD_ERR_CHANNEL_MIXER;
        auto m = Make<PsdChannelMixer>();
        m->monochrome = (c.U16() & 0xFF) != 0;
        for (auto& channel : m->channels)
            for (u16& v : channel)
                v = c.U16();
        SetAdjustmentLayer(r, PSD_ADJ_CHANNEL_MIXER, 15, std::move(m));
        return PSD_OK;
    }
    case PsdKey("grdm"):
        return ReadGradientMap(r, c);
    case PsdKey("phfl"): {
        if (c.U16() != 3)
            return PSD_ERR_PHOTO_FILTER;
        auto p = Make<PsdPhotoFilter>();
        p->x = c.U32();
        p->y = c.U32();
        p->z = c.U32();
        p->density = c.U32();
        p->preserveLuminosity = c.U8() != 0;
        SetAdjustmentLayer(r, PSD_ADJ_PHOTO_FILTER, 17, std::move(p));
        return PSD_OK;
    }
    case PsdKey("SoCo"):
        return ReadSolidColor(r, c);
    case PsdKey("GdFl"):
        return ReadGradientFill(r, c);
    case PsdKey("PtFl"):
        return ReadPatternFill(r, c);
    case PsdKey("lrFX"):
    case PsdKey("lfx2"): {
        auto effects = Make<PsdLayerEffects>();
        const int status =
            key == PsdKey("lrFX") ? ReadPsdEffectsLrfx(c, *effects) : ReadPsdEffectsLfx2(c, *effects);
        if (status != PSD_OK)
            return status;
        AddPsdAdjustment(r, key == PsdKey("lrFX") ? PSD_ADJ_EFFECTS : PSD_ADJ_EFFECTS2, std::move(effects));
        return PSD_OK;
    }
    case PsdKey("tySh"):
        return ReadTypeTool(r, c);
    default:
        return PSD_OK;
    }
}

int ReadPsdPattern(PsdContext* ctx, PsdCursor& block)
{
    const u64 length = (u64(block.U32()) + 3) & ~u64(3);
    // The pattern reads only inside its own length; one that runs past its block
    // reads what is there.
    PsdCursor c(block.Here(), static_cast<u32>(std::min<u64>(length, block.Remaining())));
    block.Skip(length);

    if (c.U32() != 1)
        return PsdFail(ctx, PSD_ERR_PATTERN, L"a pattern's version is not 1");
    PsdPattern pattern;
    pattern.imageMode = c.U32();
    if (!PsdColorModeSupported(pattern.imageMode))
        return PsdFail(ctx, PSD_ERR_COLOR_MODE, L"a pattern's colour mode is not supported");
    pattern.height = c.U16();
    pattern.width = c.U16();
    pattern.nameLength = c.U32();
    const u64 nameBytes = std::min<u64>(u64(pattern.nameLength) * 2, c.Remaining());
    pattern.name.assign(c.Here(), c.Here() + nameBytes);
    c.Skip(u64(pattern.nameLength) * 2);
    const u32 idLength = c.U8();
    c.Bytes(pattern.uniqueId.data(), std::min<u32>(idLength, 255));
    pattern.uniqueId[std::min<u32>(idLength, 255)] = 0;
    std::vector<u32> palette;
    if (pattern.imageMode == PSD_MODE_INDEXED) {
        palette.resize(256);
        for (u32& entry : palette) {
            const u32 red = c.U8(), green = c.U8(), blue = c.U8();
            entry = 0xFF000000u | (red << 16) | (green << 8) | blue;
        }
    }
    pattern.patternVersion = c.U32();
    c.U32();
    for (u16& v : pattern.rectangle)
        v = static_cast<u16>(c.U32());
    const u32 channelCount = c.U32();

    const int depth = ctx->depth;
    const u64 width = pattern.width, height = pattern.height;
    const u64 plane = PsdPlaneSize(width, height, depth);
    int capacity = 1;
    switch (pattern.imageMode) {
    case 1:
    case 8:
        capacity = 2;
        break;
    case 3:
    case 7:
    case 9:
        capacity = 4;
        break;
    case 4:
        capacity = 5;
        break;
    default:
        break;
    }
    if (!PsdReserveDecoded(ctx, plane * 5 + width * height * 4, L"pattern"))
        return PSD_ERR_SHORT;
    // Five planes whatever the mode, so the combiner never reads past them.
    std::vector<u8> planes(plane * 5, 0);
    int decoded = 0;
    u32 pixelDepth = 0;
    for (u32 ch = 0; ch < channelCount && c.Remaining() >= 8; ++ch) {
        const bool written = (c.U32() & 0xFF) == 1;
        const u32 channelLength = c.U32();
        const i64 dataSize = i64(channelLength) - 23;
        if (!written || dataSize < 0) {
            c.Skip(channelLength);
            if (c.Remaining() < 13)
                break;
            continue;
        }
        if (decoded == 0)
            pixelDepth = c.U32();
        else
            c.U32();
        c.Skip(18);
        const int compression = c.U8();
        if (u64(dataSize) > c.Remaining())
            return PsdFail(ctx, PSD_ERR_SHORT, L"a pattern channel's data is short");
        if (compression > 3)
            return PSD_ERR_COMPRESSION;
        // Channels past the planes of the mode are read over, not kept.
        if (decoded < capacity) {
            const int status =
                DecodePsdPlanes(compression, c.Here(), static_cast<u32>(dataSize),
                                planes.data() + decoded * plane, static_cast<u32>(height),
                                static_cast<u32>(PsdRowBytes(width, depth)), static_cast<u32>(width), depth);
            if (status != PSD_OK)
                return status;
            ++decoded;
        }
        c.Skip(static_cast<u64>(dataSize));
        if (c.Remaining() < 13)
            break;
    }
    pattern.channelCount = decoded;
    pattern.pixels.assign(width * height, 0);
    if (width * height != 0) {
        const int combineDepth = pattern.imageMode == PSD_MODE_BITMAP ? (pixelDepth == 1 ? 1 : 0) : depth;
        PsdPalette patternPalette;
        patternPalette.entries = palette.data();
        patternPalette.count = patternPalette.usable = static_cast<i32>(palette.size());
        CombinePsdPlanes(pattern.imageMode, combineDepth, static_cast<u32>(width), static_cast<u32>(height),
                         PsdMergedPlanes(pattern.imageMode, decoded, planes.data(), plane), patternPalette,
                         pattern.pixels.data());
    }
    ctx->patterns.push_back(std::move(pattern));
    return PSD_OK;
}
