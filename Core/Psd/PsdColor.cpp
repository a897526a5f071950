// Colour conversions of the document reader (colour records, CMYK, Lab, HSB pixels).
#include "Core/Psd/PsdReader.h"

#include <cmath>

namespace {

// Truncates toward zero into 0..255; NaN gives 0.
u32 ClampToByte(double v)
{
    if (!(v > 0.0))
        return 0;
    if (v >= 255.0)
        return 255;
    return static_cast<u32>(v);
}

} // namespace

u32 CmykToArgb(double c, double m, double y, double k)
{
    const auto channel = [k](double x) { return ClampToByte((1.0 - (x * (1.0 - k) + k)) * 255.0); };
    return 0xFF000000u | (channel(c) << 16) | (channel(m) << 8) | channel(y);
}

u32 XyzToArgb(u8 alpha, double X, double Y, double Z)
{
    const double x = X / 100.0, y = Y / 100.0, z = Z / 100.0;
    double rgb[3] = {
        3.2406 * x - 1.5372 * y - 0.4986 * z,
        -0.9689 * x + 1.8758 * y + 0.0415 * z,
        0.0557 * x - 0.204 * y + 1.057 * z,
    };
    u32 out = u32(alpha) << 24;
    for (int i = 0; i < 3; ++i) {
        double v = rgb[i];
        v = v > 0.0031308 ? 1.055 * std::pow(v, 0.4166666666666667) - 0.055 : 12.92 * v;
        out |= ClampToByte(v * 256.0) << (16 - 8 * i);
    }
    return out;
}

u32 LabToArgb(u8 alpha, int L, int a, int b)
{
    const double fy = (L + 16) / 116.0;
    const double fx = a / 500.0 + fy;
    const double fz = fy - b / 200.0;
    const auto inverse = [](double f) {
        const double f3 = std::pow(f, 3.0);
        return f3 > 0.008856 ? f3 : (f - 16.0 / 116.0) / 7.787;
    };
    return XyzToArgb(alpha, inverse(fx) * 95.047, inverse(fy) * 100.0, inverse(fz) * 108.883);
}

int HueToChannel(int hue, double m1, double m2)
{
    int h = hue % 360;
    if (h < 0)
        h += 360;
    double v;
    if (h < 60)
        v = m1 + (m2 - m1) * h / 60.0;
    else if (h < 180)
        v = m2;
    else if (h < 240)
        v = m1 + (m2 - m1) * (240 - h) / 60.0;
    else
        v = m1;
    return static_cast<int>(ClampToByte(v * 255.0));
}

u32 HsbToArgb(int hue, double saturation, double lightness)
{
    if (saturation == 0.0) {
        const u32 v = ClampToByte(lightness * 255.0);
        return 0xFF000000u | (v << 16) | (v << 8) | v;
    }
    const double m2 =
        lightness <= 0.5 ? lightness * (1.0 + saturation) : lightness + saturation - lightness * saturation;
    const double m1 = 2.0 * lightness - m2;
    const u32 r = static_cast<u32>(HueToChannel(hue + 120, m1, m2));
    const u32 g = static_cast<u32>(HueToChannel(hue, m1, m2));
    const u32 b = static_cast<u32>(HueToChannel(hue - 120, m1, m2));
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

u32 PsdColorRecordToArgb(i16 space, const u16 raw[4])
{
    // Components keep their high byte, sign-extended as 16-bit numbers.
    u16 c[4];
    for (int i = 0; i < 4; ++i)
        c[i] = static_cast<u16>(static_cast<i16>(raw[i]) >> 8);
    switch (space) {
    case 0:
        return 0xFF000000u | (u32(c[0] & 0xFF) << 16) | (u32(c[1] & 0xFF) << 8) | u32(c[2] & 0xFF);
    case 1:
        return HsbToArgb(c[0], c[1] / 100.0, c[2] / 100.0);
    case 2:
        return CmykToArgb(c[0] / 100.0, c[1] / 100.0, c[2] / 100.0, c[3] / 100.0);
    case 7:
        return LabToArgb(0xFF, c[0], c[1], c[2]);
    default:
        return 0x00FFFFFFu;
    }
}
