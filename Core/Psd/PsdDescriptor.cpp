// Action descriptors and the layer-style readers built on them.
#include "Core/Psd/PsdDescriptor.h"

#include "Core/Psd/PsdReader.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr u32 T(const char (&k)[5])
{
    return PsdKey(k);
}

i32 Truncate(double v)
{
    if (!(std::fabs(v) < 2147483647.0))
        return 0;
    return static_cast<i32>(v);
}

u8 ClampByte(double v)
{
    if (!(v > 0.0))
        return 0;
    return v >= 255.0 ? 255 : static_cast<u8>(v);
}

} // namespace

PsdContour::PsdContour()
{
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<u8>(i);
}

bool PsdDescriptorReader::Enter()
{
    if (depth >= kMaxDepth) {
        Fail();
        return false;
    }
    ++depth;
    return true;
}

bool PsdDescriptorReader::ReadHeader()
{
    const u32 nameUnits = c.U32();
    c.Skip(u64(nameUnits) * 2);
    classKey = c.Key();
    return !c.Overrun();
}

void PsdDescriptorReader::SkipDescriptor()
{
    Walk([](const std::string&, u32) { return false; });
}

void PsdDescriptorReader::SkipItem(u32 type)
{
    if (!Ok() || c.Overrun())
        return;
    switch (type) {
    case T("obj "): {
        if (!Enter())
            return;
        const u32 count = c.U32();
        for (u32 i = 0; i < count && Ok() && !c.Overrun(); ++i) {
            const u32 form = c.U32();
            switch (form) {
            case T("prop"):
                c.Unicode();
                c.Key();
                c.Key();
                break;
            case T("Clss"):
                c.Unicode();
                c.Key();
                break;
            case T("Enmr"):
                c.Unicode();
                c.Key();
                c.Key();
                c.Key();
                break;
            case T("rele"):
                c.Unicode();
                c.Key();
                c.U32();
                break;
            case T("Idnt"):
            case T("indx"):
                c.U32();
                break;
            case T("name"):
                c.Unicode();
                break;
            default:
                // A reference part we cannot size: the rest of the block is unreadable.
                if (!c.Overrun())
                    Fail();
                break;
            }
        }
        Leave();
        break;
    }
    case T("Objc"):
    case T("GlbO"):
        SkipDescriptor();
        break;
    case T("VlLs"):
        List(type, [](u32) { return false; });
        break;
    case T("doub"):
        c.Skip(8);
        break;
    case T("UntF"):
        c.Skip(12);
        break;
    case T("TEXT"):
        c.Unicode();
        break;
    case T("enum"):
        c.Key();
        c.Key();
        break;
    case T("long"):
        c.Skip(4);
        break;
    case T("comp"):
        c.Skip(8);
        break;
    case T("bool"):
        c.Skip(1);
        break;
    case T("type"):
    case T("GlbC"):
        c.Unicode();
        c.Key();
        break;
    case T("alis"):
    case T("tdta"):
    case T("Pth "):
        c.Skip(c.U32());
        break;
    case T("UnFl"): {
        c.Skip(4);
        c.Skip(u64(c.U32()) * 8);
        break;
    }
    default:
        if (!c.Overrun())
            Fail();
        break;
    }
}

double PsdDescriptorReader::Number(u32 type)
{
    switch (type) {
    case T("doub"):
        return c.Double();
    case T("UntF"):
        c.Skip(4);
        return c.Double();
    case T("long"):
        return c.I32();
    case T("comp"): {
        const u64 high = c.U32();
        return static_cast<double>(static_cast<i64>((high << 32) | c.U32()));
    }
    default:
        SkipItem(type);
        return 0.0;
    }
}

i32 PsdDescriptorReader::Integer(u32 type)
{
    return Truncate(Number(type));
}

u8 PsdDescriptorReader::Opacity(u32 type)
{
    return ClampByte(Number(type) * 2.55 + 0.5);
}

bool PsdDescriptorReader::Bool(u32 type)
{
    if (type != T("bool")) {
        SkipItem(type);
        return false;
    }
    return c.U8() != 0;
}

std::string PsdDescriptorReader::Enum(u32 type)
{
    if (type != T("enum")) {
        SkipItem(type);
        return std::string();
    }
    c.Key();
    return c.Key();
}

std::wstring PsdDescriptorReader::Text(u32 type)
{
    if (type != T("TEXT")) {
        SkipItem(type);
        return std::wstring();
    }
    return c.Unicode();
}

u32 PsdDescriptorReader::Color(u32 type)
{
    // Read item by item, so colours of every class and key form stay in step.
    double v[4] = {0.0, 0.0, 0.0, 0.0};
    std::string colorClass;
    const bool read = Object(type, [&](const std::string& key, u32 itemType) {
        if (colorClass.empty())
            colorClass = classKey;
        static const char* const keys[][4] = {{"Rd  ", "Grn ", "Bl  ", nullptr},
                                              {"H   ", "Strt", "Brgh", nullptr},
                                              {"Cyn ", "Mgnt", "Ylw ", "Blck"},
                                              {"Lmnc", "A   ", "B   ", nullptr},
                                              {"Gry ", nullptr, nullptr, nullptr}};
        for (const auto& row : keys)
            for (int i = 0; i < 4; ++i)
                if (row[i] && key == row[i]) {
                    v[i] = Number(itemType);
                    return true;
                }
        return false;
    });
    if (!read)
        return 0xFF000000u;
    if (colorClass == "HSBC")
        return HsbToArgb(Truncate(v[0]), v[1] / 100.0, v[2] / 100.0);
    if (colorClass == "CMYC")
        return CmykToArgb(v[0] / 100.0, v[1] / 100.0, v[2] / 100.0, v[3] / 100.0);
    if (colorClass == "LbCl")
        return LabToArgb(0xFF, Truncate(v[0]), Truncate(v[1]), Truncate(v[2]));
    if (colorClass == "Grsc") {
        const u32 g = ClampByte(255.0 - v[0] * 2.55);
        return 0xFF000000u | (g << 16) | (g << 8) | g;
    }
    const auto byte = [](double d) { return u32(ClampByte(static_cast<double>(Truncate(d)))); };
    return 0xFF000000u | (byte(v[0]) << 16) | (byte(v[1]) << 8) | byte(v[2]);
}

u32 PsdDescriptorReader::BlendMode(u32 type)
{
    const std::string key = Enum(type);
    static const char* const names[] = {
        "Nrml",    "Dslv",        "Drkn", "Mltp", "CBrn", "linearBurn", "Lghn",        "Scrn",
        "CDdg",    "linearDodge", "Ovrl", "SftL", "HrdL", "vividLight", "linearLight", "pinLight",
        "hardMix", "Dfrn",        "Xclu", "H   ", "Strt", "Clr ",       "Lmns",
    };
    for (u32 i = 0; i < sizeof names / sizeof names[0]; ++i)
        if (key == names[i])
            return i;
    return 0;
}

u32 PsdDescriptorReader::GradientType(u32 type)
{
    const std::string key = Enum(type);
    static const char* const names[] = {"Lnr ", "Rdl ", "Angl", "Rflc", "Dmnd"};
    for (u32 i = 0; i < 5; ++i)
        if (key == names[i])
            return i;
    return 0;
}

u32 PsdDescriptorReader::BevelTechnique(u32 type)
{
    const std::string key = Enum(type);
    if (key == "PrBL")
        return 1;
    if (key == "Slmt")
        return 2;
    return 0;
}

void PsdDescriptorReader::Gradient(u32 type, PsdGradient& g)
{
    Object(type, [&](const std::string& key, u32 t) {
        const PsdDescriptorItem item(*this, key, t);
        if (item.Is("Clrs")) {
            List(t, [&](u32 entryType) {
                PsdColorStop stop;
                Object(entryType, [&](const std::string& k, u32 st) {
                    const PsdDescriptorItem stopItem(*this, k, st);
                    if (stopItem.Is("Type")) {
                        const std::string kind = Enum(st);
                        stop.type = kind == "FrgC" ? 1 : kind == "BckC" ? 2 : 0;
                        return true;
                    }
                    return stopItem.Color("Clr ", stop.color) || stopItem.Integer("Lctn", stop.location) ||
                           stopItem.Integer("Mdpn", stop.midpoint);
                });
                g.colorStops.push_back(stop);
                return true;
            });
            return true;
        }
        if (item.Is("Trns")) {
            List(t, [&](u32 entryType) {
                PsdTransparencyStop stop;
                Object(entryType, [&](const std::string& k, u32 st) {
                    const PsdDescriptorItem stopItem(*this, k, st);
                    return stopItem.Opacity("Opct", stop.opacity) ||
                           stopItem.Integer("Lctn", stop.location) || stopItem.Integer("Mdpn", stop.midpoint);
                });
                g.transparencyStops.push_back(stop);
                return true;
            });
            return true;
        }
        return item.Text("Nm  ", g.name) || item.Enum("GrdF", g.form) || item.Integer("Intr", g.smoothness);
    });
}

void PsdDescriptorReader::Pattern(u32 type, PsdPatternRef& p)
{
    Object(type, [&](const std::string& key, u32 t) {
        const PsdDescriptorItem item(*this, key, t);
        return item.Text("Nm  ", p.name) || item.Text("Idnt", p.id);
    });
}

PsdPoint PsdDescriptorReader::Point(u32 type)
{
    PsdPoint point;
    Object(type, [&](const std::string& key, u32 t) {
        const PsdDescriptorItem item(*this, key, t);
        return item.Integer("Hrzn", point.x) || item.Integer("Vrtc", point.y);
    });
    return point;
}

void PsdDescriptorReader::Contour(u32 type, PsdContour& contour)
{
    int xs[kMaxContourPoints], ys[kMaxContourPoints];
    bool corners[kMaxContourPoints];
    int n = 0;
    Object(type, [&](const std::string& key, u32 t) {
        if (key != "Crv ")
            return false;
        List(t, [&](u32 entryType) {
            int x = 0, y = 0;
            bool continuity = false;
            Object(entryType, [&](const std::string& k, u32 pt) {
                if (k == "Hrzn")
                    x = ClampByte(Number(pt));
                else if (k == "Vrtc")
                    y = ClampByte(Number(pt));
                else if (k == "Cnty")
                    continuity = Bool(pt);
                else
                    return false;
                return true;
            });
            // Points past the table's capacity are read (to stay in step) but not kept.
            if (n < kMaxContourPoints) {
                xs[n] = x;
                ys[n] = y;
                corners[n] = !continuity;
                ++n;
            }
            return true;
        });
        return true;
    });
    if (n > 0)
        ComputeContourTable(contour.table.data(), n, xs, ys, corners);
}

void ComputeContourTable(u8* table, int n, const int* x, const int* y, const bool* corner)
{
    if (n < 1)
        return;
    const auto clamp = [](double v) { return v <= 0.0 ? 0 : v >= 255.0 ? 255 : static_cast<int>(v); };
    for (int i = 0; i < clamp(x[0]); ++i)
        table[i] = static_cast<u8>(clamp(y[0]));
    for (int i = clamp(x[n - 1]); i < 256; ++i)
        table[i] = static_cast<u8>(clamp(y[n - 1]));
    const double d = 1.0 / 512.0;
    for (int i = 0; i + 1 < n; ++i) {
        const int p[4] = {corner[i] ? i : std::max(i - 1, 0), i, i + 1,
                          corner[i + 1] ? i + 1 : std::min(i + 2, n - 1)};
        double f[2][4];
        for (int axis = 0; axis < 2; ++axis) {
            const int* v = axis == 0 ? x : y;
            const double g0 = v[p[0]], g1 = v[p[1]], g2 = v[p[2]], g3 = v[p[3]];
            const double a = -0.5 * g0 + 1.5 * g1 - 1.5 * g2 + 0.5 * g3;
            const double b = g0 - 2.5 * g1 + 2.0 * g2 - 0.5 * g3;
            const double cc = -0.5 * g0 + 0.5 * g2;
            const double e = g1;
            f[axis][0] = e;
            f[axis][1] = a * d * d * d + b * d * d + cc * d;
            f[axis][2] = 6 * a * d * d * d + 2 * b * d * d;
            f[axis][3] = 6 * a * d * d * d;
        }
        int px = clamp(f[0][0]), py = clamp(f[1][0]);
        table[px] = static_cast<u8>(py);
        for (int step = 0; step < 512; ++step) {
            for (int axis = 0; axis < 2; ++axis) {
                f[axis][0] += f[axis][1];
                f[axis][1] += f[axis][2];
                f[axis][2] += f[axis][3];
            }
            const int rx = clamp(static_cast<double>(static_cast<int>(f[0][0] + 0.5)));
            const int ry = clamp(static_cast<double>(static_cast<int>(f[1][0] + 0.5)));
            if (rx != px || ry != py) {
                table[rx] = static_cast<u8>(ry);
                px = rx;
                py = ry;
            }
        }
    }
    for (int k = 0; k < n; ++k)
        table[clamp(x[k])] = static_cast<u8>(clamp(y[k]));
}

namespace {

// Effect sections of "lfx2": each is reset to its defaults and filled by key, and
// `onItem` reads the keys that the section knows.
template <class S, class F> void ReadSection(PsdDescriptorReader& r, u32 type, S& section, F&& onItem)
{
    section = S();
    r.Object(type, [&](const std::string& k, u32 t) { return onItem(PsdDescriptorItem(r, k, t)); });
}

// The keys of every section that is blended onto the layer.
template <class S> bool ReadBlending(const PsdDescriptorItem& item, S& s)
{
    return item.Bool("enab", s.enabled) || item.BlendMode("Md  ", s.blendMode) ||
           item.Opacity("Opct", s.opacity);
}

void ReadShadow(PsdDescriptorReader& r, u32 type, PsdShadow& s, bool outer)
{
    ReadSection(r, type, s, [&](const PsdDescriptorItem& item) {
        if (item.Color("Clr ", s.color)) {
            s.nativeColor = s.color;
            return true;
        }
        return ReadBlending(item, s) || item.Bool("uglg", s.useGlobalLight) ||
               item.Integer("lagl", s.angle) || item.Integer("Dstn", s.distance) ||
               item.Integer("Ckmt", s.spread) || item.Integer("blur", s.size) ||
               item.Integer("Nose", s.noise) || item.Bool("AntA", s.antiAliased) ||
               item.Contour("TrnS", s.contour) || (outer && item.Bool("layerConceals", s.knocksOut));
    });
}

void ReadGlow(PsdDescriptorReader& r, u32 type, PsdGlow& g, bool inner)
{
    ReadSection(r, type, g, [&](const PsdDescriptorItem& item) {
        if (item.Color("Clr ", g.color)) {
            g.fillType = 0;
            g.nativeColor = g.color;
            return true;
        }
        if (item.Gradient("Grad", g.gradient)) {
            g.fillType = 1;
            return true;
        }
        std::string source;
        if (inner && item.Enum("glwS", source)) {
            g.source = source == "SrcC" ? 0 : 1;
            return true;
        }
        return ReadBlending(item, g) || item.BevelTechnique("GlwT", g.technique) ||
               item.Integer("Ckmt", g.spread) || item.Integer("blur", g.size) ||
               item.Integer("Nose", g.noise) || item.Integer("ShdN", g.shadingNoise) ||
               item.Bool("AntA", g.antiAliased) || item.Contour("TrnS", g.contour) ||
               item.Integer("Inpr", g.range);
    });
}

void ReadBevel(PsdDescriptorReader& r, u32 type, PsdBevelEmboss& b)
{
    ReadSection(r, type, b, [&](const PsdDescriptorItem& item) {
        std::string value;
        if (item.Enum("bvlS", value)) {
            static const char* const styles[] = {"OtrB", "InrB", "Embs", "PlEb", "strokeEmboss"};
            for (u32 i = 0; i < 5; ++i)
                if (value == styles[i])
                    b.style = i;
            return true;
        }
        if (item.Enum("bvlD", value)) {
            b.direction = value == "Out " ? 1 : 0;
            return true;
        }
        return item.Bool("enab", b.enabled) || item.BevelTechnique("bvlT", b.technique) ||
               item.Integer("srgR", b.depth) || item.Integer("blur", b.size) ||
               item.Integer("Sftn", b.soften) || item.Integer("lagl", b.angle) ||
               item.Integer("Lald", b.altitude) || item.Bool("uglg", b.useGlobalLight) ||
               item.Contour("TrnS", b.glossContour) || item.Bool("antialiasGloss", b.antiAliasGloss) ||
               item.BlendMode("hglM", b.highlightBlendMode) || item.Color("hglC", b.highlightColor) ||
               item.Opacity("hglO", b.highlightOpacity) || item.BlendMode("sdwM", b.shadowBlendMode) ||
               item.Color("sdwC", b.shadowColor) || item.Opacity("sdwO", b.shadowOpacity) ||
               item.Bool("useShape", b.useShape) || item.Contour("MpgS", b.contour) ||
               item.Bool("AntA", b.antiAliased) || item.Integer("Inpr", b.range) ||
               item.Bool("useTexture", b.useTexture) || item.Pattern("Ptrn", b.pattern) ||
               item.Integer("Scl ", b.scale) || item.Integer("textureDepth", b.textureDepth) ||
               item.Bool("InvT", b.invertTexture) || item.Bool("Algn", b.alignWithLayer) ||
               item.Point("phase", b.phase);
    });
}

void ReadSatin(PsdDescriptorReader& r, u32 type, PsdSatin& s)
{
    ReadSection(r, type, s, [&](const PsdDescriptorItem& item) {
        return ReadBlending(item, s) || item.Color("Clr ", s.color) || item.Bool("AntA", s.antiAliased) ||
               item.Bool("Invr", s.invert) || item.Integer("lagl", s.angle) ||
               item.Integer("Dstn", s.distance) || item.Integer("blur", s.size) ||
               item.Contour("MpgS", s.contour);
    });
}

void ReadSolidFill(PsdDescriptorReader& r, u32 type, PsdSolidFill& s)
{
    ReadSection(r, type, s, [&](const PsdDescriptorItem& item) {
        if (item.Color("Clr ", s.color)) {
            s.nativeColor = s.color;
            return true;
        }
        return ReadBlending(item, s);
    });
}

void ReadGradientOverlay(PsdDescriptorReader& r, u32 type, PsdGradientOverlay& g)
{
    ReadSection(r, type, g, [&](const PsdDescriptorItem& item) {
        return ReadBlending(item, g) || item.Gradient("Grad", g.gradient) || item.Integer("Angl", g.angle) ||
               item.GradientType("Type", g.type) || item.Bool("Rvrs", g.reverse) ||
               item.Bool("Algn", g.alignWithLayer) || item.Integer("Scl ", g.scale) ||
               item.Point("Ofst", g.offset);
    });
}

void ReadPatternOverlay(PsdDescriptorReader& r, u32 type, PsdPatternOverlay& p)
{
    ReadSection(r, type, p, [&](const PsdDescriptorItem& item) {
        return ReadBlending(item, p) || item.Pattern("Ptrn", p.pattern) || item.Integer("Scl ", p.scale) ||
               item.Bool("Algn", p.linkWithLayer) || item.Point("phase", p.phase);
    });
}

void ReadStroke(PsdDescriptorReader& r, u32 type, PsdStroke& s)
{
    ReadSection(r, type, s, [&](const PsdDescriptorItem& item) {
        std::string value;
        if (item.Enum("Styl", value)) {
            s.position = value == "InsF" ? 1 : value == "CtrF" ? 2 : 0;
            return true;
        }
        if (item.Enum("PntT", value)) {
            s.fillType = value == "GrFl" ? 1 : value == "Ptrn" ? 2 : 0;
            return true;
        }
        return ReadBlending(item, s) || item.Integer("Sz  ", s.size) || item.Color("Clr ", s.color) ||
               item.Gradient("Grad", s.gradient) || item.Integer("Angl", s.angle) ||
               item.GradientType("Type", s.gradientType) || item.Bool("Rvrs", s.reverse) ||
               item.Bool("Algn", s.alignWithLayer) || item.Integer("Scl ", s.scale) ||
               item.Point("Ofst", s.offset) || item.Pattern("Ptrn", s.pattern) ||
               item.Bool("Lnkd", s.linkWithLayer) || item.Point("phase", s.phase);
    });
}

void Mark(PsdLayerEffects& e, int section)
{
    e.present[section] = 1;
    e.read[section] = 1;
}

// The blend mode of an "lrFX" record: "8BIM" and a key.
bool ReadLrfxBlend(PsdCursor& c, u32& mode)
{
    if (c.U32() != PsdKey("8BIM"))
        return false;
    mode = c.BlendKey();
    return true;
}

int ReadLrfxShadow(PsdCursor& c, u32 version, PsdShadow& s)
{
    s = PsdShadow();
    s.size = c.I32();
    s.spread = c.I32();
    s.angle = c.I32();
    s.distance = c.I32();
    s.color = c.Color();
    if (!ReadLrfxBlend(c, s.blendMode))
        return PSD_ERR_BLEND_SIGNATURE;
    s.enabled = c.U8() != 0;
    s.useGlobalLight = c.U8() != 0;
    s.opacity = c.U8();
    s.nativeColor = version == 2 ? c.Color() : s.color;
    return PSD_OK;
}

int ReadLrfxGlow(PsdCursor& c, u32 version, PsdGlow& g, bool inner)
{
    g = PsdGlow();
    g.size = c.I32();
    g.range = c.I32();
    g.color = c.Color();
    if (!ReadLrfxBlend(c, g.blendMode))
        return PSD_ERR_BLEND_SIGNATURE;
    g.enabled = c.U8() != 0;
    g.opacity = c.U8();
    if (version == 2) {
        if (inner && c.U8() != 0)
            g.source = 0;
        g.nativeColor = c.Color();
    } else {
        g.nativeColor = g.color;
    }
    return PSD_OK;
}

int ReadLrfxBevel(PsdCursor& c, u32 version, PsdBevelEmboss& b)
{
    b = PsdBevelEmboss();
    b.angle = c.I32();
    b.size = c.I32();
    b.soften = c.I32();
    if (!ReadLrfxBlend(c, b.highlightBlendMode) || !ReadLrfxBlend(c, b.shadowBlendMode))
        return PSD_ERR_BLEND_SIGNATURE;
    b.highlightColor = c.Color();
    b.shadowColor = c.Color();
    b.style = c.U8();
    b.highlightOpacity = c.U8();
    b.shadowOpacity = c.U8();
    b.enabled = c.U8() != 0;
    b.useGlobalLight = c.U8() != 0;
    b.direction = c.U8();
    if (version == 2) {
        b.highlightColor = c.Color();
        b.shadowColor = c.Color();
    }
    return PSD_OK;
}

int ReadLrfxSolidFill(PsdCursor& c, PsdSolidFill& s)
{
    s = PsdSolidFill();
    if (!ReadLrfxBlend(c, s.blendMode))
        return PSD_ERR_BLEND_SIGNATURE;
    s.color = c.Color();
    s.opacity = c.U8();
    s.enabled = c.U8() != 0;
    s.nativeColor = c.Color();
    return PSD_OK;
}

} // namespace

int ReadPsdEffectsLrfx(PsdCursor& c, PsdLayerEffects& e)
{
    if (c.U16() != 0)
        return PSD_ERR_EFFECTS_VERSION;
    e.effectCount = static_cast<i16>(c.U16());
    const u16 count = static_cast<u16>(e.effectCount);
    for (u32 i = 0; i < count; ++i) {
        if (c.U32() != PsdKey("8BIM"))
            return PSD_ERR_EFFECTS_SIGNATURE;
        if (c.Remaining() < 4)
            return PSD_ERR_EFFECTS_KEY;
        const u32 key = c.U32();
        const u32 size = c.U32();
        const u32 start = c.Position();
        const u32 version = c.U32();
        const bool v02 = version == 0 || version == 2;
        int status = PSD_OK;
        switch (key) {
        case PsdKey("cmnS"):
            if (version != 0)
                return PSD_ERR_EFFECTS_COMMON;
            e.visible = c.U8();
            c.U16();
            break;
        case PsdKey("dsdw"):
            if (!v02)
                return PSD_ERR_EFFECT_SHADOW;
            status = ReadLrfxShadow(c, version, e.dropShadow);
            Mark(e, PSD_FX_DROP_SHADOW);
            break;
        case PsdKey("isdw"):
            if (!v02)
                return PSD_ERR_EFFECT_SHADOW;
            status = ReadLrfxShadow(c, version, e.innerShadow);
            Mark(e, PSD_FX_INNER_SHADOW);
            break;
        case PsdKey("oglw"):
            if (!v02)
                return PSD_ERR_EFFECT_OUTER_GLOW;
            status = ReadLrfxGlow(c, version, e.outerGlow, false);
            Mark(e, PSD_FX_OUTER_GLOW);
            break;
        case PsdKey("iglw"):
            if (!v02)
                return PSD_ERR_EFFECT_INNER_GLOW;
            status = ReadLrfxGlow(c, version, e.innerGlow, true);
            Mark(e, PSD_FX_INNER_GLOW);
            break;
        case PsdKey("bevl"):
            if (!v02)
                return PSD_ERR_EFFECT_BEVEL;
            status = ReadLrfxBevel(c, version, e.bevel);
            Mark(e, PSD_FX_BEVEL);
            break;
        case PsdKey("sofi"):
            if (version != 2)
                return PSD_ERR_EFFECT_SOLID_FILL;
            status = ReadLrfxSolidFill(c, e.solidFill);
            Mark(e, PSD_FX_SOLID_FILL);
            break;
        default:
            return PSD_ERR_EFFECTS_KEY;
        }
        if (status != PSD_OK)
            return status;
        // Each record says its own size; the next one starts there whatever we read.
        c.SeekTo(static_cast<u32>(std::min<u64>(u64(start) + size, c.Size())));
    }
    return PSD_OK;
}

int ReadPsdEffectsLfx2(PsdCursor& c, PsdLayerEffects& e)
{
    const u32 objectVersion = c.U32();
    const u32 descriptorVersion = c.U32();
    if (objectVersion != 0 || descriptorVersion != 16)
        return PSD_ERR_EFFECTS_VERSION;
    PsdDescriptorReader r(c, PSD_ERR_EFFECTS_VERSION);
    r.Walk([&](const std::string& k, u32 t) {
        int section = -1;
        if (k == "Scl ")
            e.scale = r.Integer(t);
        else if (k == "masterFXSwitch")
            e.visible = r.Bool(t) ? 1 : 0;
        else if (k == "DrSh") {
            ReadShadow(r, t, e.dropShadow, true);
            section = PSD_FX_DROP_SHADOW;
        } else if (k == "IrSh") {
            ReadShadow(r, t, e.innerShadow, false);
            section = PSD_FX_INNER_SHADOW;
        } else if (k == "OrGl") {
            ReadGlow(r, t, e.outerGlow, false);
            section = PSD_FX_OUTER_GLOW;
        } else if (k == "IrGl") {
            ReadGlow(r, t, e.innerGlow, true);
            section = PSD_FX_INNER_GLOW;
        } else if (k == "ebbl") {
            ReadBevel(r, t, e.bevel);
            section = PSD_FX_BEVEL;
        } else if (k == "ChFX") {
            ReadSatin(r, t, e.satin);
            section = PSD_FX_SATIN;
        } else if (k == "SoFi") {
            ReadSolidFill(r, t, e.solidFill);
            section = PSD_FX_SOLID_FILL;
        } else if (k == "GrFl") {
            ReadGradientOverlay(r, t, e.gradientOverlay);
            section = PSD_FX_GRADIENT_OVERLAY;
        } else if (k == "patternFill") {
            ReadPatternOverlay(r, t, e.patternOverlay);
            section = PSD_FX_PATTERN_OVERLAY;
        } else if (k == "FrFX") {
            ReadStroke(r, t, e.stroke);
            section = PSD_FX_STROKE;
        } else
            return false;
        if (section >= 0) {
            Mark(e, section);
            ++e.effectCount;
        }
        return true;
    });
    return r.Status();
}
