#include "tests/Psd/PsdBlockWriters.h"

namespace psdtest {

namespace {

void Gradient(ByteWriter& w, const std::string& key)
{
    w.Object(key, "Grdn", 5);
    w.Text("Nm  ", L"Two stops");
    w.Enum("GrdF", "GrdF", "CstS");
    w.Double("Intr", 4096);
    w.List("Clrs", 2);
    for (int i = 0; i < 2; ++i) {
        w.Tag("Objc").DescHeader("Clrt", 4);
        w.RgbColor("Clr ", i ? 255 : 0, 128, 0);
        w.Enum("Type", "Clry", i ? "BckC" : "UsrS");
        w.Long("Lctn", i * 4096);
        w.Long("Mdpn", 50);
    }
    w.List("Trns", 1);
    w.Tag("Objc").DescHeader("TrnS", 3);
    w.UnitFloat("Opct", "#Prc", 100);
    w.Long("Lctn", 0);
    w.Long("Mdpn", 50);
}

void PatternRef(ByteWriter& w, const std::string& key)
{
    w.Object(key, "Ptrn", 2).Text("Nm  ", L"Dots").Text("Idnt", L"1234-abcd");
}

void Contour(ByteWriter& w, const std::string& key)
{
    w.Object(key, "ShpC", 2).Text("Nm  ", L"Linear");
    w.List("Crv ", 3);
    const int points[3][2] = {{0, 0}, {128, 200}, {255, 255}};
    for (int i = 0; i < 3; ++i) {
        w.Tag("Objc").DescHeader("CrPt", i == 1 ? 3 : 2);
        w.Double("Hrzn", points[i][0]).Double("Vrtc", points[i][1]);
        if (i == 1)
            w.Bool("Cnty", true);
    }
}

} // namespace

std::vector<u8> LevelsBlock(bool withExtra)
{
    ByteWriter w;
    w.U16(2);
    for (int i = 0; i < 29; ++i)
        w.U16(i).U16(255).U16(0).U16(255).U16(100);
    if (withExtra) {
        w.Tag("Lvls").U16(3).U16(31);
        for (int i = 0; i < 2; ++i)
            w.U16(1).U16(2).U16(3).U16(4).U16(150);
    }
    return w.bytes;
}

std::vector<u8> CurvesBlock(u32 mask, u16 points, bool withCopy)
{
    ByteWriter w;
    w.U8(0).U16(1).U32(mask);
    u32 curves = 0;
    for (u32 bit = 0; bit < 32; ++bit)
        if (mask & (1u << bit)) {
            ++curves;
            w.U16(points);
            for (u16 p = 0; p < points; ++p)
                w.U16(p * 2).U16(p);
        }
    if (withCopy) {
        w.Tag("Crv ").U16(4).U32(curves);
        for (u32 bit = 0; bit < 32; ++bit)
            if (mask & (1u << bit)) {
                w.U16(bit).U16(points);
                for (u16 p = 0; p < points; ++p)
                    w.U16(p * 2).U16(p);
            }
    }
    return w.bytes;
}

std::vector<u8> BrightnessBlock()
{
    ByteWriter w;
    w.U16(20).U16(0xFFF6).U16(127).U8(1).U8(0);
    return w.bytes;
}

std::vector<u8> ColorBalanceBlock()
{
    ByteWriter w;
    for (int i = 0; i < 9; ++i)
        w.U16(i);
    w.U16(1);
    return w.bytes;
}

std::vector<u8> HueSaturationBlock(u16 version)
{
    ByteWriter w;
    w.U16(version).U8(1).U8(0);
    for (int i = 0; i < 6; ++i)
        w.U16(10 + i);
    for (int r = 0; r < 6; ++r)
        for (int i = 0; i < 7; ++i)
            w.U16(r * 7 + i);
    return w.bytes;
}

std::vector<u8> SelectiveColorBlock(u16 version)
{
    ByteWriter w;
    w.U16(version).U16(1);
    for (int i = 0; i < 40; ++i)
        w.U16(i);
    return w.bytes;
}

std::vector<u8> ThresholdBlock()
{
    ByteWriter w;
    w.U16(128).U16(0);
    return w.bytes;
}

std::vector<u8> PosterizeBlock()
{
    ByteWriter w;
    w.U16(4).U16(0);
    return w.bytes;
}

std::vector<u8> ChannelMixerBlock(u16 version)
{
    ByteWriter w;
    w.U16(version).U16(1);
    for (int i = 0; i < 20; ++i)
        w.U16(i * 5);
    return w.bytes;
}

std::vector<u8> PhotoFilterBlock(u16 version)
{
    ByteWriter w;
    w.U16(version).U32(1).U32(2).U32(3).U32(25).U8(1).U8(0);
    return w.bytes;
}

std::vector<u8> GradientMapBlock(u16 version)
{
    ByteWriter w;
    w.U16(version).U8(1).U8(0);
    w.U32(3).U16('M').U16('a').U16('p');
    w.U16(2);
    for (int i = 0; i < 2; ++i)
        w.U32(i * 4096).U32(50).Color(0, i ? 0xFFFF : 0, 0, 0).U16(0);
    w.U16(1).U32(0).U32(50).U16(255);
    w.U16(2).U16(4096).U16(32).U16(0).U32(7).U16(0).U16(0).U32(2048).U16(3);
    w.U16(0).U16(0).U16(0).U16(0).U16(0xFFFF).U16(0xFFFF).U16(0xFFFF).U16(0);
    w.U16(0);
    return w.bytes;
}

std::vector<u8> SolidColorBlock(u32 version)
{
    ByteWriter w;
    w.U32(version).DescHeader("null", 1).RgbColor("Clr ", 12, 34, 56);
    return w.bytes;
}

std::vector<u8> GradientFillBlock(u32 version)
{
    ByteWriter w;
    w.U32(version).DescHeader("null", 6);
    w.UnitFloat("Angl", "#Ang", -45);
    w.Enum("Type", "GrdT", "Rdl ");
    w.Bool("Dthr", true);
    w.Bool("Rvrs", false);
    w.UnitFloat("Scl ", "#Prc", 80);
    Gradient(w, "Grad");
    return w.bytes;
}

std::vector<u8> PatternFillBlock(u32 version)
{
    ByteWriter w;
    w.U32(version).DescHeader("null", 3);
    PatternRef(w, "Ptrn");
    w.Bool("Algn", true);
    w.Object("phase", "Pnt ", 2).Double("Hrzn", 3).Double("Vrtc", -4);
    return w.bytes;
}

std::vector<u8> TypeToolBlock()
{
    ByteWriter w;
    for (int i = 0; i < 6; ++i)
        w.F64(i == 0 || i == 3 ? 1.0 : 0.0);
    w.U16(1);
    w.U16(1)
        .U32(0x12)
        .U8(5)
        .Raw("Arial", 5)
        .U8(5)
        .Raw("Arial", 5)
        .U8(7)
        .Raw("Regular", 7)
        .U16(0)
        .U32(2)
        .U32(1)
        .U32(2);
    w.U16(1);
    w.U16(1).U16(1).U32(12).U32(0).U32(0).U32(14).U32(0).U8(1).U8(0).U8(0);
    w.U16(1).U32(72).U32(5).U32(10).U32(20).U32(0).U32(5);
    w.U16(1).U32(5).U16(0).U16(0).U16('H').U16(1);
    w.Color(0, 0xFFFF, 0, 0).U8(1);
    return w.bytes;
}

std::vector<u8> LrfxBlock(u16 version)
{
    ByteWriter w;
    w.U16(version).U16(7);
    w.Tag("8BIM").Tag("cmnS").U32(7).U32(0).U8(1).U16(0);
    for (const char* key : {"dsdw", "isdw"}) {
        w.Tag("8BIM").Tag(key).U32(51).U32(2);
        w.U32(5).U32(0).U32(120).U32(5).Color(0, 0, 0, 0).Tag("8BIM").Tag("mul ").U8(1).U8(1).U8(191);
        w.Color(0, 0, 0, 0);
    }
    w.Tag("8BIM").Tag("oglw").U32(42).U32(2);
    w.U32(5).U32(0).Color(0, 0xFFFF, 0xFFFF, 0xBEBE).Tag("8BIM").Tag("scrn").U8(1).U8(191).Color(0, 0, 0, 0);
    w.Tag("8BIM").Tag("iglw").U32(43).U32(2);
    w.U32(5)
        .U32(0)
        .Color(0, 0xFFFF, 0xFFFF, 0xBEBE)
        .Tag("8BIM")
        .Tag("scrn")
        .U8(1)
        .U8(191)
        .U8(1)
        .Color(0, 0, 0, 0);
    w.Tag("8BIM").Tag("bevl").U32(78).U32(2);
    w.U32(120).U32(5).U32(0).Tag("8BIM").Tag("scrn").Tag("8BIM").Tag("mul ");
    w.Color(0, 0xFFFF, 0xFFFF, 0xFFFF).Color(0, 0, 0, 0).U8(1).U8(191).U8(191).U8(1).U8(1).U8(0);
    w.Color(0, 0xFFFF, 0xFFFF, 0xFFFF).Color(0, 0, 0, 0);
    w.Tag("8BIM").Tag("sofi").U32(34).U32(2);
    w.Tag("8BIM").Tag("norm").Color(0, 0xFFFF, 0, 0).U8(255).U8(1).Color(0, 0xFFFF, 0, 0);
    return w.bytes;
}

std::vector<u8> Lfx2Block(const std::vector<u8>& extraItems, u32 extraCount)
{
    ByteWriter w;
    w.U32(0).U32(16).DescHeader("null", 12 + extraCount);
    w.UnitFloat("Scl ", "#Prc", 100);
    w.Bool("masterFXSwitch", true);
    w.Object("DrSh", "DrSh", 8);
    w.Bool("enab", true);
    w.Enum("Md  ", "BlnM", "linearBurn");
    w.RgbColor("Clr ", 10, 20, 30);
    w.UnitFloat("Opct", "#Prc", 75);
    w.Bool("uglg", false);
    w.UnitFloat("lagl", "#Ang", 90);
    w.UnitFloat("Dstn", "#Pxl", 7.9);
    Contour(w, "TrnS");
    w.Object("IrSh", "IrSh", 1).Bool("enab", true);
    w.Object("OrGl", "OrGl", 2).Bool("enab", true);
    Gradient(w, "Grad");
    w.Object("IrGl", "IrGl", 2).Enum("glwS", "IGSr", "SrcC").RgbColor("Clr ", 1, 2, 3);
    w.Object("ebbl", "ebbl", 5).Enum("bvlS", "BESl", "Embs").Enum("bvlT", "bvlT", "PrBL");
    w.UnitFloat("hglO", "#Prc", 50);
    PatternRef(w, "Ptrn");
    w.Object("phase", "Pnt ", 2).Double("Hrzn", 1).Double("Vrtc", 2);
    w.Object("ChFX", "ChFX", 2).Bool("Invr", false).UnitFloat("Opct", "#Prc", 40);
    w.Object("SoFi", "SoFi", 2).Enum("Md  ", "BlnM", "Scrn").RgbColor("Clr ", 255, 0, 0);
    w.Object("GrFl", "GrFl", 2).Enum("Type", "GrdT", "Dmnd");
    Gradient(w, "Grad");
    w.Object("patternFill", "patternFill", 1);
    PatternRef(w, "Ptrn");
    w.Object("FrFX", "FrFX", 3)
        .Enum("Styl", "FStl", "InsF")
        .Enum("PntT", "FrFl", "GrFl")
        .UnitFloat("Sz  ", "#Pxl", 9);
    w.Raw(extraItems);
    return w.bytes;
}

std::vector<u8> PatternRecord(u32 mode, u16 w, u16 h, const std::vector<std::vector<u8>>& channels,
                              u32 version)
{
    ByteWriter body;
    body.U32(version).U32(mode).U16(h).U16(w);
    body.U32(2).U16('P').U16('1');
    body.U8(4).Raw("id-1", 4);
    if (mode == 2)
        for (int i = 0; i < 256; ++i)
            body.U8(i).U8(255 - i).U8(i / 2);
    body.U32(3);
    ByteWriter vma;
    vma.U32(0).U32(0).U32(h).U32(w).U32(static_cast<u32>(channels.size()));
    for (const std::vector<u8>& plane : channels) {
        vma.U32(1).U32(static_cast<u32>(23 + plane.size())).U32(8).U32(0).U32(0).U32(h).U32(w).U16(8).U8(0);
        vma.Raw(plane);
    }
    body.U32(static_cast<u32>(vma.Size())).Raw(vma.bytes);
    ByteWriter record;
    record.U32(static_cast<u32>(body.Size())).Raw(body.bytes);
    while (record.Size() % 4)
        record.U8(0);
    return record.bytes;
}

} // namespace psdtest
