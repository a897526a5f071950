#pragma once
// Image fixtures for decoder and texture tests: DDS files built byte by byte,
// files written by ImageMagick from known pixels, and decoding into a buffer.
#include "Core/Base/MemoryStream.h"
#include "Core/Render/AlphaMask.h"
#include "Core/Render/ImageData.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace imgtest {

// 0xAARRGGBB
constexpr u32 Argb(u32 a, u32 r, u32 g, u32 b)
{
    return a << 24 | r << 16 | g << 8 | b;
}

inline void PutLe32(std::vector<u8>& out, size_t at, u32 v)
{
    const u8 bytes[4] = {static_cast<u8>(v), static_cast<u8>(v >> 8), static_cast<u8>(v >> 16),
                         static_cast<u8>(v >> 24)};
    if (at + 4 <= out.size())
        std::memcpy(out.data() + at, bytes, 4);
}

inline std::string Bytes(const std::vector<u8>& v)
{
    return std::string(v.begin(), v.end());
}

// A DDS file: magic, 124-byte header, then `data` as it stands.
inline std::vector<u8> MakeDds(u32 w, u32 h, u32 mips, u32 pfFlags, const char* fourcc, u32 bitCount,
                               const std::vector<u8>& data)
{
    std::vector<u8> out(128 + data.size(), 0);
    std::memcpy(out.data(), "DDS ", 4);
    PutLe32(out, 4, 124);
    PutLe32(out, 8, 0x1007);
    PutLe32(out, 12, h);
    PutLe32(out, 16, w);
    PutLe32(out, 28, mips);
    PutLe32(out, 4 + 72, 32);
    PutLe32(out, 4 + 76, pfFlags);
    if (fourcc)
        std::memcpy(out.data() + 4 + 80, fourcc, 4);
    PutLe32(out, 4 + 84, bitCount);
    if (!data.empty())
        std::memcpy(out.data() + 128, data.data(), data.size());
    return out;
}

// Uncompressed texels as the file stores them: B, G, R, A bytes.
inline std::vector<u8> BgraBytes(const std::vector<u32>& argb)
{
    std::vector<u8> out(argb.size() * 4);
    for (size_t n = 0; n < argb.size(); ++n)
        for (int i = 0; i < 4; ++i)
            out[n * 4 + i] = static_cast<u8>(argb[n] >> (8 * i));
    return out;
}

struct Decoded {
    GEResultEnum copy = GE_FAIL;
    int width = 0;
    int height = 0;
    std::vector<u8> bits;
    i32 pitch = 0;
    render::AlphaMask mask;

    u32 Pixel(int x, int y) const
    {
        u32 v = 0;
        std::memcpy(&v, bits.data() + size_t(y) * pitch + size_t(x) * 4, 4);
        return v;
    }
    bool Opaque(int x, int y) const { return mask.Get(u32(y * width + x)); }
};

constexpr u8 kPadding = 0xCD;

// Runs CopyPixels on a loaded decoder into rows `extra` bytes wider than needed,
// the padding filled with kPadding, the way a texture lock hands them out.
inline void CopyInto(render::ImageData& data, Decoded& out, i32 rowBytes, i32 rows, i32 extra = 12)
{
    out.width = data.GetWidth();
    out.height = data.GetHeight();
    out.pitch = rowBytes + extra;
    out.bits.assign(size_t(out.pitch) * rows, kPadding);
    out.mask.Resize(u32(out.width * out.height));
    out.copy = data.CopyPixels(out.pitch, 0, out.bits.data(), &out.mask, 0);
}

inline std::vector<u8> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<u8>(std::istreambuf_iterator<char>(in), {});
}

// A scratch folder that goes with the test.
class TempDir {
public:
    TempDir()
    {
        path = std::filesystem::temp_directory_path() /
               ("ge_images_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(path);
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path path;

private:
    static inline int counter = 0;
};

inline const char* ConvertTool()
{
    return std::filesystem::exists("/usr/bin/convert") ? "/usr/bin/convert" : nullptr;
}

// Writes `argb` (row by row from the top) as a PAM file and lets ImageMagick turn
// it into `target` with the given options. False when the tool is missing or failed.
inline bool WriteWithImageMagick(const std::filesystem::path& dir, int w, int h, const std::vector<u32>& argb,
                                 const std::string& options, const std::filesystem::path& target)
{
    const char* tool = ConvertTool();
    if (!tool)
        return false;
    const auto pam = dir / "source.pam";
    {
        std::ofstream out(pam, std::ios::binary);
        out << "P7\nWIDTH " << w << "\nHEIGHT " << h << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
        for (u32 p : argb) {
            const char texel[4] = {char(p >> 16), char(p >> 8), char(p), char(p >> 24)};
            out.write(texel, 4);
        }
    }
    const std::string command =
        std::string(tool) + " '" + pam.string() + "' " + options + " '" + target.string() + "' 2>/dev/null";
    return std::system(command.c_str()) == 0 && std::filesystem::exists(target);
}

inline const char* PilPython()
{
    const char* python = "/usr/bin/python3";
    const std::string probe = std::string(python) + " -c 'import PIL' 2>/dev/null";
    return std::filesystem::exists(python) && std::system(probe.c_str()) == 0 ? python : nullptr;
}

// The same through python3-pil (Pillow), which picks the format from the file name.
inline bool WriteWithPil(const std::filesystem::path& dir, int w, int h, const std::vector<u32>& argb,
                         const std::filesystem::path& target)
{
    const char* python = PilPython();
    if (!python)
        return false;
    const auto raw = dir / "source.rgba";
    {
        std::ofstream out(raw, std::ios::binary);
        for (u32 p : argb) {
            const char texel[4] = {char(p >> 16), char(p >> 8), char(p), char(p >> 24)};
            out.write(texel, 4);
        }
    }
    const std::string command = std::string(python) +
                                " -c 'import sys; from PIL import Image; "
                                "Image.frombytes(\"RGBA\", (int(sys.argv[1]), int(sys.argv[2])), "
                                "open(sys.argv[3], \"rb\").read()).save(sys.argv[4])' " +
                                std::to_string(w) + " " + std::to_string(h) + " '" + raw.string() + "' '" +
                                target.string() + "' 2>/dev/null";
    return std::system(command.c_str()) == 0 && std::filesystem::exists(target);
}

} // namespace imgtest
