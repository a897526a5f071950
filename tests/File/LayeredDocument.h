#pragma once
// Small layered documents made with the reader tests' writer, for container tests.
#include "tests/Psd/PsdWriter.h"

#include <string>
#include <vector>

namespace layeredtest {

inline std::string Text(const std::vector<u8>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

inline std::vector<u8> Be32(u32 v)
{
    return {u8(v >> 24), u8(v >> 16), u8(v >> 8), u8(v)};
}

inline psdtest::Layer PlainLayer(const std::string& name, i32 left, i32 top, u32 w, u32 h, u32 argb)
{
    psdtest::Layer layer;
    layer.name = name;
    layer.left = left;
    layer.top = top;
    layer.right = left + i32(w);
    layer.bottom = top + i32(h);
    for (int shift : {24, 16, 8, 0}) {
        const i16 id = shift == 24 ? -1 : i16((16 - shift) / 8);
        layer.channels.push_back({id, std::vector<u8>(size_t(w) * h, u8(argb >> shift)), 1});
    }
    return layer;
}

// A folder start ("lsct" 1) or end ("lsct" 3) record.
inline psdtest::Layer Divider(const std::string& name, u32 type)
{
    psdtest::Layer layer;
    layer.name = name;
    for (i16 id : {-1, 0, 1, 2})
        layer.channels.push_back({id, {}, 0});
    layer.blocks.push_back({"lsct", Be32(type)});
    return layer;
}

// Records bottom to top: a background, a layer after two nested folders, the
// folders "menu" and "menu/buttons", two top layers and a stray folder end.
inline std::vector<u8> NestedDocument()
{
    psdtest::Document doc;
    doc.width = 32;
    doc.height = 24;
    doc.merged.assign(size_t(32) * 24 * 3, 0);
    doc.layers = {
        PlainLayer("A", 0, 0, 32, 24, 0xFF102030),
        Divider("</end>", 3),
        PlainLayer("after", 1, 2, 3, 4, 0xFF000001),
        Divider("</end>", 3),
        Divider("</end>", 3),
        PlainLayer("ok", 4, 5, 6, 2, 0x80FF0000),
        Divider("buttons", 1),
        PlainLayer("mid", 0, 0, 2, 2, 0xFF00FF00),
        Divider("menu", 2),
        PlainLayer("B", 7, 8, 1, 1, 0xFF0000FF),
        PlainLayer("C", 9, 10, 2, 1, 0xFFFFFFFF),
        Divider("</stray>", 3),
    };
    return psdtest::Write(doc);
}

} // namespace layeredtest
