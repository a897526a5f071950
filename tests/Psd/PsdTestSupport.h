#pragma once
// Helpers shared by the document reader tests.
#include "Core/Psd/PsdDocument.h"
#include "tests/Psd/PsdWriter.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace psdtest {

struct Loaded {
    int status = 0;
    PsdDocumentPtr doc;
};

inline Loaded Load(const std::vector<u8>& bytes)
{
    PsdContext* ctx = reinterpret_cast<PsdContext*>(1); // must be replaced by the call
    Loaded result;
    result.status = LoadPsdDocumentFromMemory(&ctx, bytes.data(), static_cast<u32>(bytes.size()));
    result.doc.reset(ctx);
    return result;
}

inline Loaded Load(const Document& doc)
{
    return Load(Write(doc));
}

// Planes of 8-bit ARGB pixels: alpha, red, green, blue.
inline std::vector<u8> PlaneOf(const std::vector<u32>& argb, int shift)
{
    std::vector<u8> plane;
    for (u32 p : argb)
        plane.push_back(static_cast<u8>(p >> shift));
    return plane;
}

// An 8-bit RGB layer with transparency holding `argb` (w x h).
inline Layer RgbLayer(const std::string& name, i32 left, i32 top, u32 w, u32 h, const std::vector<u32>& argb,
                      int compression = 0, bool alpha = true)
{
    Layer layer;
    layer.name = name;
    layer.left = left;
    layer.top = top;
    layer.right = left + static_cast<i32>(w);
    layer.bottom = top + static_cast<i32>(h);
    if (alpha)
        layer.channels.push_back({-1, PlaneOf(argb, 24), compression});
    layer.channels.push_back({0, PlaneOf(argb, 16), compression});
    layer.channels.push_back({1, PlaneOf(argb, 8), compression});
    layer.channels.push_back({2, PlaneOf(argb, 0), compression});
    return layer;
}

// An RGB document of w x h whose merged image is opaque black.
inline Document RgbDocument(u32 w, u32 h)
{
    Document doc;
    doc.width = w;
    doc.height = h;
    doc.channels = 3;
    doc.merged.assign(size_t(w) * h * 3, 0);
    return doc;
}

inline Block MakeBlock(const std::string& key, const std::vector<u8>& data)
{
    Block b;
    b.key = key;
    b.data = data;
    return b;
}

inline std::string NameOf(const PsdLayerRecord& r)
{
    return std::string(r.name.data());
}

} // namespace psdtest
