#pragma once
// Reader of action descriptors (the key/type/value trees of layer styles and fill
// layers) over one block's bytes. A value of a type it does not know cannot be
// skipped, so the reader fails with the block's status instead of reading on out of
// step; reads past the end of the block stop the walk without failing.
#include "Core/Psd/PsdCursor.h"
#include "Core/Psd/PsdEffects.h"
#include <string>

class PsdDescriptorReader {
public:
    static constexpr int kMaxDepth = 32;
    static constexpr int kMaxContourPoints = 256;

    PsdDescriptorReader(PsdCursor& cursor, int failStatus) : c(cursor), failStatus(failStatus) {}

    int Status() const { return status; }
    bool Ok() const { return status == 0; }
    PsdCursor& Cursor() { return c; }
    // Class key of the descriptor whose header was read last.
    const std::string& ClassKey() const { return classKey; }

    // Walks the items of a descriptor that starts at the cursor: `onItem(key, type)`
    // reads the value and returns true, or returns false to have it skipped.
    template <class F> bool Walk(F&& onItem);
    // The same for a value of type "Objc"/"GlbO"; other types are skipped.
    template <class F> bool Object(u32 type, F&& onItem);
    // A "VlLs" value: `onEntry(type)` per entry as above.
    template <class F> bool List(u32 type, F&& onEntry);

    void SkipDescriptor();
    void SkipItem(u32 type);

    double Number(u32 type);
    i32 Integer(u32 type);
    u8 Opacity(u32 type); // percent as 0..255
    bool Bool(u32 type);
    std::string Enum(u32 type);
    std::wstring Text(u32 type);
    u32 Color(u32 type);
    u32 BlendMode(u32 type);
    u32 GradientType(u32 type);
    u32 BevelTechnique(u32 type);
    void Gradient(u32 type, PsdGradient& gradient);
    void Pattern(u32 type, PsdPatternRef& pattern);
    PsdPoint Point(u32 type);
    void Contour(u32 type, PsdContour& contour);

    void Fail()
    {
        if (status == 0)
            status = failStatus;
    }

private:
    bool Enter();
    void Leave() { --depth; }
    bool ReadHeader();

    PsdCursor& c;
    int failStatus;
    int status = 0;
    int depth = 0;
    std::string classKey;
};

// One item of a walk, matched against the keys a reader knows. Each method reads the
// value into `field` and returns true when the item has key `k`, else leaves it alone
// and returns false; a chain of them joined with || reads the one that matches and
// says whether any did, which is what the walk's callback returns.
class PsdDescriptorItem {
public:
    PsdDescriptorItem(PsdDescriptorReader& reader, const std::string& key, u32 type)
        : r(reader), key(key), type(type)
    {
    }

    bool Is(const char* k) const { return key == k; }

    bool Bool(const char* k, bool& field) const { return Read(k, field, &PsdDescriptorReader::Bool); }
    bool Integer(const char* k, i32& field) const { return Read(k, field, &PsdDescriptorReader::Integer); }
    bool Number(const char* k, double& field) const { return Read(k, field, &PsdDescriptorReader::Number); }
    bool Opacity(const char* k, u8& field) const { return Read(k, field, &PsdDescriptorReader::Opacity); }
    bool Color(const char* k, u32& field) const { return Read(k, field, &PsdDescriptorReader::Color); }
    bool Text(const char* k, std::wstring& field) const { return Read(k, field, &PsdDescriptorReader::Text); }
    bool Enum(const char* k, std::string& field) const { return Read(k, field, &PsdDescriptorReader::Enum); }
    bool Point(const char* k, PsdPoint& field) const { return Read(k, field, &PsdDescriptorReader::Point); }
    bool BlendMode(const char* k, u32& field) const
    {
        return Read(k, field, &PsdDescriptorReader::BlendMode);
    }
    bool GradientType(const char* k, u32& field) const
    {
        return Read(k, field, &PsdDescriptorReader::GradientType);
    }
    bool BevelTechnique(const char* k, u32& field) const
    {
        return Read(k, field, &PsdDescriptorReader::BevelTechnique);
    }
    bool Gradient(const char* k, PsdGradient& field) const
    {
        return Fill(k, field, &PsdDescriptorReader::Gradient);
    }
    bool Pattern(const char* k, PsdPatternRef& field) const
    {
        return Fill(k, field, &PsdDescriptorReader::Pattern);
    }
    bool Contour(const char* k, PsdContour& field) const
    {
        return Fill(k, field, &PsdDescriptorReader::Contour);
    }

private:
    template <class T, class V> bool Read(const char* k, T& field, V (PsdDescriptorReader::*read)(u32)) const
    {
        if (!Is(k))
            return false;
        field = (r.*read)(type);
        return true;
    }
    template <class T> bool Fill(const char* k, T& field, void (PsdDescriptorReader::*read)(u32, T&)) const
    {
        if (!Is(k))
            return false;
        (r.*read)(type, field);
        return true;
    }

    PsdDescriptorReader& r;
    const std::string& key;
    u32 type;
};

template <class F> bool PsdDescriptorReader::Walk(F&& onItem)
{
    if (!Enter())
        return false;
    if (ReadHeader()) {
        const u32 count = c.U32();
        for (u32 i = 0; i < count && Ok() && !c.Overrun(); ++i) {
            const std::string key = c.Key();
            const u32 type = c.U32();
            if (c.Overrun())
                break;
            if (!onItem(key, type))
                SkipItem(type);
        }
    }
    Leave();
    return Ok();
}

template <class F> bool PsdDescriptorReader::Object(u32 type, F&& onItem)
{
    if (type != 0x4F626A63u /* Objc */ && type != 0x476C624Fu /* GlbO */) {
        SkipItem(type);
        return false;
    }
    return Walk(onItem);
}

template <class F> bool PsdDescriptorReader::List(u32 type, F&& onEntry)
{
    if (type != 0x566C4C73u /* VlLs */) {
        SkipItem(type);
        return false;
    }
    if (!Enter())
        return false;
    const u32 count = c.U32();
    for (u32 i = 0; i < count && Ok() && !c.Overrun(); ++i) {
        const u32 entryType = c.U32();
        if (c.Overrun())
            break;
        if (!onEntry(entryType))
            SkipItem(entryType);
    }
    Leave();
    return Ok();
}

// Fills the 256-entry table from n points (Catmull-Rom through the points, corners
// where a point has no continuity).
void ComputeContourTable(u8* table, int n, const int* x, const int* y, const bool* corner);

// Readers of the layer-style blocks into `effects`; 0 or the block's status.
int ReadPsdEffectsLrfx(PsdCursor& c, PsdLayerEffects& effects);
int ReadPsdEffectsLfx2(PsdCursor& c, PsdLayerEffects& effects);
