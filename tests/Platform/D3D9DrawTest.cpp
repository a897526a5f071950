// Pixels drawn by the Direct3D 9 stand-in with the renderer's own shader programs,
// read back and compared exactly or within one step where blending rounds.
#include "Core/Render/Shaders/DX9/BuiltinShaders.h"
#include "tests/Platform/D3D9Fixture.h"

#include <GL/glcorearb.h>

#include <cmath>

namespace d3d9test {
namespace {

constexpr uint32_t kClear = 0xFF102030;

// 8x8 texels, each different, so a flip, a shift or a mirrored row shows.
std::vector<uint32_t> Pattern(UINT w = 8, UINT h = 8)
{
    std::vector<uint32_t> t(w * h);
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x)
            t[y * w + x] = 0xFF000000u | (x * 30 + 10) << 16 | (y * 30 + 10) << 8 | ((x + y) * 12);
    return t;
}

class D3D9Draw : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        ASSERT_NE(device_, nullptr);
        SetRendererStates();
    }

    // What the renderer sets as its default states.
    void SetRendererStates()
    {
        for (DWORD s = 0; s < 2; ++s) {
            device_->SetSamplerState(s, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
            device_->SetSamplerState(s, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
            device_->SetSamplerState(s, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
            device_->SetSamplerState(s, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
            device_->SetSamplerState(s, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
        }
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device_->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, TRUE);
        device_->SetRenderState(D3DRS_SRCBLENDALPHA, D3DBLEND_ONE);
        device_->SetRenderState(D3DRS_DESTBLENDALPHA, D3DBLEND_ONE);
        device_->SetRenderState(D3DRS_ZENABLE, FALSE);
    }

    void Begin(uint32_t clear = kClear)
    {
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clear, 1.0f, 0), D3D_OK);
        ASSERT_EQ(device_->BeginScene(), D3D_OK);
    }

    void End() { ASSERT_EQ(device_->EndScene(), D3D_OK); }

    // Presents and returns what the window shows, which must be the back buffer's size.
    std::vector<uint32_t> PresentAndReadWindow()
    {
        std::vector<uint32_t> window;
        int w = 0, h = 0;
        EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        EXPECT_TRUE(D3D9Test_ReadWindow(device_, window, w, h));
        EXPECT_EQ(w, kWidth);
        EXPECT_EQ(h, kHeight);
        if (w != kWidth || h != kHeight)
            window.assign(static_cast<size_t>(kWidth) * kHeight, 0);
        return window;
    }

    // A w x h render-target texture, its level-0 surface (both released by the caller)
    // and the back buffer's surface, to go back to.
    void MakeRenderTarget(UINT w, UINT h, IDirect3DTexture9** texture, IDirect3DSurface9** surface,
                          IDirect3DSurface9** backBuffer)
    {
        ASSERT_EQ(device_->CreateTexture(w, h, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                         texture, nullptr),
                  D3D_OK);
        ASSERT_EQ((*texture)->GetSurfaceLevel(0, surface), D3D_OK);
        ASSERT_EQ(device_->GetRenderTarget(0, backBuffer), D3D_OK);
    }

    // A square of one colour at depth z through the geometry program, corners at pixel
    // edges.
    void Square(float x0, float y0, float x1, float y1, float z, uint32_t c)
    {
        const float s = -0.5f;
        const std::vector<VertexGeom> q{
            {x0 + s, y0 + s, z, c}, {x1 + s, y0 + s, z, c}, {x0 + s, y1 + s, z, c}, {x1 + s, y1 + s, z, c}};
        Draw(D3DPT_TRIANGLESTRIP, q, kFvfGeom, 2);
    }

    // Expected picture: the clear colour with a w x h block of texels at (x, y).
    static std::vector<uint32_t> Expected(int width, int height, int x, int y, int w, int h,
                                          const std::vector<uint32_t>& block, uint32_t clear = kClear)
    {
        std::vector<uint32_t> img(static_cast<size_t>(width) * height, clear);
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                img[(y + j) * width + x + i] = block[j * w + i];
        return img;
    }

    static void ExpectSame(const std::vector<uint32_t>& got, const std::vector<uint32_t>& want, int width)
    {
        ASSERT_EQ(got.size(), want.size());
        int wrong = 0;
        for (size_t i = 0; i < got.size() && wrong < 5; ++i)
            if (got[i] != want[i]) {
                ++wrong;
                ADD_FAILURE() << "pixel (" << i % width << ", " << i / width << "): got " << std::hex
                              << got[i] << ", expected " << want[i];
            }
    }
};

// Every drawing test runs on both homes of the back buffer: the window's framebuffer
// stores rows bottom first, an off-screen one top first, and both must give the same
// picture.
class D3D9DrawOn : public D3D9Draw, public ::testing::WithParamInterface<BackBufferStorage> {
protected:
    void SetUp() override
    {
        storage_ = GetParam();
        D3D9Draw::SetUp();
    }
};

INSTANTIATE_TEST_SUITE_P(BackBuffer, D3D9DrawOn,
                         ::testing::Values(BackBufferStorage::Window, BackBufferStorage::Offscreen),
                         [](const ::testing::TestParamInfo<BackBufferStorage>& info) {
                             return info.param == BackBufferStorage::Window ? std::string("InWindow")
                                                                            : std::string("Offscreen");
                         });

TEST_P(D3D9DrawOn, BuiltinProgramsDrawAtExactPixelPositions)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    Program& mult = MakeProgram(render::gVertexShaderTexturedMultText, render::gPixelShaderTexturedMultText);
    Program& tint = MakeProgram(render::gVertexShaderTexturedTintText, render::gPixelShaderTexturedTintText);
    IDirect3DTexture9* tex = MakeTexture(8, 8, Pattern());
    const std::vector<uint32_t> solid(8 * 8, 0xFF80C040);

    struct Case {
        const char* name;
        Program* program;
        uint32_t specular; // tint program: green weighs the vertex colour, blue the texture
    };
    for (const Case& c :
         {Case{"geometry", &geom, 0}, Case{"multiply", &mult, 0}, Case{"tint", &tint, 0x000000FF}}) {
        SCOPED_TRACE(c.name);
        Begin();
        Use(*c.program, Ortho(kWidth, kHeight));
        if (c.program == &geom) {
            const float s = -0.5f;
            const std::vector<VertexGeom> quad{{10 + s, 20 + s, 0, 0xFF80C040},
                                               {18 + s, 20 + s, 0, 0xFF80C040},
                                               {10 + s, 28 + s, 0, 0xFF80C040},
                                               {18 + s, 28 + s, 0, 0xFF80C040}};
            Draw(D3DPT_TRIANGLESTRIP, quad, kFvfGeom, 2);
        } else {
            ASSERT_EQ(device_->SetTexture(SamplerStage(*c.program), tex), D3D_OK);
            Draw(D3DPT_TRIANGLELIST, Quad(10, 20, 18, 28, 0xFFFFFFFF, c.specular), kFvf2D, 2);
        }
        End();
        ExpectSame(ReadBackBuffer(),
                   Expected(kWidth, kHeight, 10, 20, 8, 8, c.program == &geom ? solid : Pattern()), kWidth);
    }
    device_->SetTexture(0, nullptr);
    tex->Release();
}

TEST_P(D3D9DrawOn, MatrixSetThroughTheConstantTableMultipliesRowVectors)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    // v * S * O where S swaps x and y: row 0 of the product is row 1 of O and back.
    const D3DXMATRIX o = Ortho(kWidth, kHeight);
    D3DXMATRIX p = o;
    for (int k = 0; k < 4; ++k) {
        p.m[0][k] = o.m[1][k];
        p.m[1][k] = o.m[0][k];
    }
    Begin();
    Use(geom, p);
    const float s = -0.5f;
    const uint32_t c = 0xFFE0A060;
    // x 4..12, y 10..14 lands at x 10..14, y 4..12 once swapped.
    const std::vector<VertexGeom> quad{
        {4 + s, 10 + s, 0, c}, {12 + s, 10 + s, 0, c}, {4 + s, 14 + s, 0, c}, {12 + s, 14 + s, 0, c}};
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE); // the swap mirrors the winding
    Draw(D3DPT_TRIANGLESTRIP, quad, kFvfGeom, 2);
    End();
    ExpectSame(ReadBackBuffer(), Expected(kWidth, kHeight, 10, 4, 4, 8, std::vector<uint32_t>(32, c)),
               kWidth);
}

TEST_P(D3D9DrawOn, TintAndMultiplyProgramsMixColoursAsTheirFormulasSay)
{
    Program& mult = MakeProgram(render::gVertexShaderTexturedMultText, render::gPixelShaderTexturedMultText);
    Program& tint = MakeProgram(render::gVertexShaderTexturedTintText, render::gPixelShaderTexturedTintText);
    const uint32_t texel = 0x80C04020, colour = 0xC0206080;
    IDirect3DTexture9* tex = MakeTexture(4, 4, std::vector<uint32_t>(16, texel));
    auto ch = [](uint32_t v, int shift) { return static_cast<double>((v >> shift) & 255) / 255.0; };
    auto pack = [](double a, double r, double g, double b) {
        auto q = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
        return q(a) << 24 | q(r) << 16 | q(g) << 8 | q(b);
    };

    struct Case {
        const char* name;
        bool tinted;
        int t; // the image draw's tint amount: specular green t, blue 255 - t
    };
    const Case cases[] = {{"multiply", false, 0},
                          {"tint 0", true, 0},
                          {"tint 64", true, 64},
                          {"tint 128", true, 128},
                          {"tint 255", true, 255}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Program& p = c.tinted ? tint : mult;
        Begin();
        Use(p, Ortho(kWidth, kHeight));
        ASSERT_EQ(device_->SetTexture(SamplerStage(p), tex), D3D_OK);
        const uint32_t specular = static_cast<uint32_t>(c.t) << 8 | static_cast<uint32_t>(255 - c.t);
        Draw(D3DPT_TRIANGLELIST, Quad(0, 0, 4, 4, colour, specular), kFvf2D, 2);
        End();
        uint32_t want = 0;
        if (!c.tinted) {
            want = pack(ch(texel, 24) * ch(colour, 24), ch(texel, 16) * ch(colour, 16),
                        ch(texel, 8) * ch(colour, 8), ch(texel, 0) * ch(colour, 0));
        } else {
            const double x = c.t / 255.0, y = (255 - c.t) / 255.0; // Tint.x, Tint.y
            auto mix = [&](int shift) { return ch(texel, shift) * y + ch(colour, shift) * x; };
            want = pack(ch(texel, 24) * ch(colour, 24), mix(16), mix(8), mix(0));
        }
        const uint32_t got = ReadBackBuffer()[1 * kWidth + 2];
        EXPECT_TRUE(Near(got, want, 1)) << std::hex << got << " vs " << want;
    }
    device_->SetTexture(0, nullptr);
    tex->Release();
}

TEST_P(D3D9DrawOn, PixelConstantsReachTheShaderAndFollowEveryChange)
{
    // A game shader's pattern: a second colour multiplied in, set per draw.
    const char* pixel =
        "float4 color2;\n"
        "float fade;\n"
        "struct PS_INPUT { float4 Pos : POSITION; float4 Color : COLOR0; };\n"
        "float4 pixel_shader(PS_INPUT Input) : COLOR0 { return Input.Color * color2 * fade; }\n";
    Program& p = MakeProgram(render::gVertexShaderGeomText, pixel);
    D3DXHANDLE color2 = p.psTable->GetConstantByName(nullptr, "color2");
    D3DXHANDLE fade = p.psTable->GetConstantByName(nullptr, "fade");
    ASSERT_NE(color2, nullptr);
    ASSERT_NE(fade, nullptr);
    Begin();
    Use(p, Ortho(kWidth, kHeight));
    const uint32_t white = 0xFFFFFFFF;
    const D3DXVECTOR4 colours[2] = {{1.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 1.0f, 1.0f}};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(p.psTable->SetVector(device_, color2, &colours[i]), D3D_OK);
        ASSERT_EQ(p.psTable->SetFloat(device_, fade, i == 0 ? 1.0f : 0.5f), D3D_OK);
        const float x = i * 4.0f - 0.5f;
        const std::vector<VertexGeom> quad{
            {x, -0.5f, 0, white}, {x + 4, -0.5f, 0, white}, {x, 3.5f, 0, white}, {x + 4, 3.5f, 0, white}};
        Draw(D3DPT_TRIANGLESTRIP, quad, kFvfGeom, 2);
    }
    End();
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(pixels[kWidth + 1], 0xFFFF0000u);
    EXPECT_TRUE(Near(pixels[kWidth + 5], 0x80000080u, 1)) << std::hex << pixels[kWidth + 5];
}

TEST_P(D3D9DrawOn, BlendStatesOfTheRenderer)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    const uint32_t background = 0x40404040, source = 0x80FF2000;
    struct Case {
        const char* name;
        BOOL enable;
        DWORD src, dest;
    };
    const Case cases[] = {{"opaque", FALSE, D3DBLEND_ONE, D3DBLEND_ZERO},
                          {"alpha", TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                          {"additive", TRUE, D3DBLEND_SRCALPHA, D3DBLEND_ONE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Begin(background);
        Use(geom, Ortho(kWidth, kHeight));
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, c.enable);
        device_->SetRenderState(D3DRS_SRCBLEND, c.src);
        device_->SetRenderState(D3DRS_DESTBLEND, c.dest);
        const std::vector<VertexGeom> quad{{-0.5f, -0.5f, 0, source},
                                           {7.5f, -0.5f, 0, source},
                                           {-0.5f, 7.5f, 0, source},
                                           {7.5f, 7.5f, 0, source}};
        Draw(D3DPT_TRIANGLESTRIP, quad, kFvfGeom, 2);
        End();
        const double a = 128.0 / 255.0;
        auto channel = [&](int shift) {
            const double s = (source >> shift) & 255, d = (background >> shift) & 255;
            if (!c.enable)
                return s;
            return std::min(255.0, s * a + d * (c.dest == D3DBLEND_ONE ? 1.0 : 1.0 - a));
        };
        // The colour's alpha is blended separately: source + destination.
        const double alpha = c.enable ? std::min(255.0, 128.0 + 64.0) : 128.0;
        const uint32_t want = static_cast<uint32_t>(std::lround(alpha)) << 24 |
                              static_cast<uint32_t>(std::lround(channel(16))) << 16 |
                              static_cast<uint32_t>(std::lround(channel(8))) << 8 |
                              static_cast<uint32_t>(std::lround(channel(0)));
        const std::vector<uint32_t> pixels = ReadBackBuffer();
        EXPECT_TRUE(Near(pixels[3 * kWidth + 3], want, 1))
            << std::hex << pixels[3 * kWidth + 3] << " vs " << want;
        EXPECT_EQ(pixels[3 * kWidth + 9], background);
    }
}

TEST_P(D3D9DrawOn, ScissorLimitsDrawsAndClears)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
    const RECT scissor{5, 6, 20, 30};
    ASSERT_EQ(device_->SetScissorRect(&scissor), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE), D3D_OK);
    Begin(); // the clear colour reaches only the scissor rectangle
    Use(geom, Ortho(kWidth, kHeight));
    const uint32_t c = 0xFF00FF00;
    const std::vector<VertexGeom> quad{
        {-0.5f, -0.5f, 0, c}, {63.5f, -0.5f, 0, c}, {-0.5f, 23.5f, 0, c}, {63.5f, 23.5f, 0, c}};
    Draw(D3DPT_TRIANGLESTRIP, quad, kFvfGeom, 2); // covers rows 0..23
    End();
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool inside = x >= 5 && x < 20 && y >= 6 && y < 30;
            const uint32_t want = !inside ? 0xFF000000u : (y < 24 ? c : kClear);
            ASSERT_EQ(pixels[y * kWidth + x], want) << "at " << x << ", " << y;
        }
}

TEST_P(D3D9DrawOn, RenderTargetIsDrawnBackUpright)
{
    Program& mult = MakeProgram(render::gVertexShaderTexturedMultText, render::gPixelShaderTexturedMultText);
    IDirect3DTexture9* image = MakeTexture(8, 8, Pattern());
    IDirect3DTexture9* target = nullptr;
    IDirect3DSurface9 *targetSurface = nullptr, *backBuffer = nullptr;
    MakeRenderTarget(16, 16, &target, &targetSurface, &backBuffer);

    // Into the target: the image at (4, 2) on transparent black.
    ASSERT_EQ(device_->SetRenderTarget(0, targetSurface), D3D_OK);
    D3DVIEWPORT9 vp{};
    ASSERT_EQ(device_->GetViewport(&vp), D3D_OK);
    EXPECT_EQ(vp.Width, 16u);
    EXPECT_EQ(vp.Height, 16u);
    Begin(0x00000000);
    Use(mult, Ortho(16, 16));
    const UINT stage = SamplerStage(mult);
    device_->SetTexture(stage, image);
    Draw(D3DPT_TRIANGLELIST, Quad(4, 2, 12, 10), kFvf2D, 2);
    End();
    std::vector<uint32_t> inTarget;
    ASSERT_TRUE(D3D9Test_ReadSurface(targetSurface, inTarget));
    ExpectSame(inTarget, Expected(16, 16, 4, 2, 8, 8, Pattern(), 0x00000000), 16);

    // Back on the screen, the target drawn 1:1 at (20, 10) shows the image upright.
    ASSERT_EQ(device_->SetRenderTarget(0, backBuffer), D3D_OK);
    Begin();
    Use(mult, Ortho(kWidth, kHeight));
    device_->SetTexture(stage, target);
    Draw(D3DPT_TRIANGLELIST,
         Quad(24, 12, 32, 20, 0xFFFFFFFF, 0, 4 / 16.0f, 2 / 16.0f, 12 / 16.0f, 10 / 16.0f), kFvf2D, 2);
    End();
    ExpectSame(ReadBackBuffer(), Expected(kWidth, kHeight, 24, 12, 8, 8, Pattern()), kWidth);

    device_->SetTexture(stage, nullptr);
    backBuffer->Release();
    targetSurface->Release();
    target->Release();
    image->Release();
}

// One DXT block per 4x4 texels, little-endian fields.
void PutColourBlock(unsigned char* b, uint16_t c0, uint16_t c1, const uint8_t rows[4])
{
    b[0] = c0 & 255;
    b[1] = c0 >> 8;
    b[2] = c1 & 255;
    b[3] = c1 >> 8;
    for (int r = 0; r < 4; ++r)
        b[4 + r] = rows[r];
}

class D3D9Dxt : public D3D9Draw, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        D3D9Test_Adapter().forceCpuDxt = GetParam();
        D3D9Draw::SetUp();
    }

    // Draws the 8x4 texture 1:1 at the origin with point sampling and returns its texels.
    std::vector<uint32_t> DrawTexture(IDirect3DTexture9* tex)
    {
        Program& mult =
            MakeProgram(render::gVertexShaderTexturedMultText, render::gPixelShaderTexturedMultText);
        const UINT stage = SamplerStage(mult);
        device_->SetSamplerState(stage, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device_->SetSamplerState(stage, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device_->SetSamplerState(stage, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
        Begin(0xFF000000);
        Use(mult, Ortho(kWidth, kHeight));
        device_->SetTexture(stage, tex);
        Draw(D3DPT_TRIANGLELIST, Quad(0, 0, 8, 4), kFvf2D, 2);
        End();
        device_->SetTexture(stage, nullptr);
        const std::vector<uint32_t> all = ReadBackBuffer();
        std::vector<uint32_t> texels;
        for (int y = 0; y < 4; ++y)
            texels.insert(texels.end(), all.begin() + y * kWidth, all.begin() + y * kWidth + 8);
        return texels;
    }
};

TEST_P(D3D9Dxt, Dxt1BlocksDecodeWithTheirPunchThroughAlpha)
{
    if (GetParam()) {
        EXPECT_TRUE(D3D9Test_DecodesDxtOnCpu(device_));
    }
    RecordProperty("dxt_decoder", D3D9Test_DecodesDxtOnCpu(device_) ? "cpu" : "s3tc");
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 4, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(tex->LockRect(0, &locked, nullptr, 0), D3D_OK);
    ASSERT_EQ(locked.Pitch, 16);                      // two 8-byte blocks per row of blocks
    const uint8_t rows[4] = {0x00, 0x55, 0xAA, 0xFF}; // row r uses index r everywhere
    auto* bits = static_cast<unsigned char*>(locked.pBits);
    PutColourBlock(bits, 0xF800, 0x001F, rows);     // red > blue: four opaque colours
    PutColourBlock(bits + 8, 0x001F, 0xF800, rows); // blue <= red: index 3 is transparent
    ASSERT_EQ(tex->UnlockRect(0), D3D_OK);

    const std::vector<uint32_t> texels = DrawTexture(tex);
    const uint32_t left[4] = {0xFFFF0000, 0xFF0000FF, 0xFFAA0055, 0xFF5500AA};
    const uint32_t right[4] = {0xFF0000FF, 0xFFFF0000, 0xFF800080, 0x00000000};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint32_t want = x < 4 ? left[y] : right[y];
            EXPECT_TRUE(Near(texels[y * 8 + x], want, 2))
                << "texel " << x << ", " << y << ": " << std::hex << texels[y * 8 + x] << " vs " << want;
        }
    tex->Release();
}

TEST_P(D3D9Dxt, Dxt5BlocksDecodeTheirInterpolatedAlpha)
{
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 4, 1, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(tex->LockRect(0, &locked, nullptr, 0), D3D_OK);
    ASSERT_EQ(locked.Pitch, 32);
    auto* bits = static_cast<unsigned char*>(locked.pBits);
    const uint8_t white[4] = {0, 0, 0, 0};
    // Texel t takes alpha index t % 8: 48 bits of 3-bit indices 0,1,..,7,0,1,..,7.
    uint64_t indices = 0;
    for (int t = 0; t < 16; ++t)
        indices |= static_cast<uint64_t>(t % 8) << (3 * t);
    for (int block = 0; block < 2; ++block) {
        unsigned char* b = bits + block * 16;
        b[0] = block == 0 ? 255 : 40; // a0 > a1: eight-value table; a0 <= a1: six values, then 0 and 255
        b[1] = block == 0 ? 0 : 200;
        for (int i = 0; i < 6; ++i)
            b[2 + i] = static_cast<unsigned char>(indices >> (8 * i));
        PutColourBlock(b + 8, 0xFFFF, 0xFFFF, white);
    }
    ASSERT_EQ(tex->UnlockRect(0), D3D_OK);

    const std::vector<uint32_t> texels = DrawTexture(tex);
    const int eight[8] = {255, 0, 218, 182, 145, 109, 72, 36};
    const int six[8] = {40, 200, 72, 104, 136, 168, 0, 255};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const int t = y * 4 + x % 4;
            const int alpha = (x < 4 ? eight : six)[t % 8];
            const uint32_t want = static_cast<uint32_t>(alpha) << 24 | 0x00FFFFFF;
            EXPECT_TRUE(Near(texels[y * 8 + x], want, 2))
                << "texel " << x << ", " << y << ": " << std::hex << texels[y * 8 + x] << " vs " << want;
        }
    tex->Release();
}

INSTANTIATE_TEST_SUITE_P(Decoder, D3D9Dxt, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Cpu") : std::string("DriverOrCpu");
                         });

TEST_P(D3D9DrawOn, PresentShowsTheBackBufferUprightInTheWindow)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    Begin();
    Use(geom, Ortho(kWidth, kHeight));
    const uint32_t c = 0xFFFFFF00;
    const std::vector<VertexGeom> quad{
        {-0.5f, -0.5f, 0, c}, {3.5f, -0.5f, 0, c}, {-0.5f, 1.5f, 0, c}, {3.5f, 1.5f, 0, c}};
    Draw(D3DPT_TRIANGLESTRIP, quad, kFvfGeom, 2);
    End();
    const std::vector<uint32_t> window = PresentAndReadWindow();
    EXPECT_EQ(window[0] & 0x00FFFFFF, c & 0x00FFFFFF);
    EXPECT_EQ(window[1 * kWidth + 3] & 0x00FFFFFF, c & 0x00FFFFFF);
    EXPECT_EQ(window[2 * kWidth + 0] & 0x00FFFFFF, kClear & 0x00FFFFFF);
    EXPECT_EQ(window[(kHeight - 1) * kWidth] & 0x00FFFFFF, kClear & 0x00FFFFFF);
}

// A back buffer without alpha keeps none: whatever alpha the clear colour and the draws
// carry, the window gets it opaque, so a compositor that honours window alpha never
// shows it translucent. A back buffer with alpha keeps what is drawn.
TEST_P(D3D9DrawOn, BackBuffersWithoutAlphaStayOpaque)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}) {
        SCOPED_TRACE(format == D3DFMT_X8R8G8B8 ? "X8R8G8B8" : "A8R8G8B8");
        D3DPRESENT_PARAMETERS p = params_;
        p.BackBufferFormat = format;
        ASSERT_EQ(device_->Reset(&p), D3D_OK);
        ASSERT_EQ(D3D9Test_BackBufferInWindow(device_), InWindow(storage_));
        SetRendererStates();
        Begin(0x40102030);
        Use(geom, Ortho(kWidth, kHeight));
        const uint32_t c = 0x80FFFF00;
        const std::vector<VertexGeom> quad{
            {-0.5f, -0.5f, 0, c}, {3.5f, -0.5f, 0, c}, {-0.5f, 1.5f, 0, c}, {3.5f, 1.5f, 0, c}};
        Draw(D3DPT_TRIANGLESTRIP, quad, kFvfGeom, 2);
        End();
        const bool opaque = format == D3DFMT_X8R8G8B8;
        const uint32_t drawnAlpha = opaque ? 0xFF : 0x80, clearedAlpha = opaque ? 0xFF : 0x40;
        const std::vector<uint32_t> back = ReadBackBuffer();
        ASSERT_EQ(back.size(), static_cast<size_t>(kWidth * kHeight));
        EXPECT_EQ(back[0], (drawnAlpha << 24) | (c & 0x00FFFFFF));
        EXPECT_EQ(back[2 * kWidth], (clearedAlpha << 24) | 0x102030);
        ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        // Only the window variant's window has alpha bits to show it.
        if (InWindow(storage_)) {
            std::vector<uint32_t> window;
            int w = 0, h = 0;
            ASSERT_TRUE(D3D9Test_ReadWindow(device_, window, w, h));
            EXPECT_EQ(window[0] >> 24, drawnAlpha);
            EXPECT_EQ(window[(kHeight - 1) * kWidth] >> 24, clearedAlpha);
        }
    }
}

TEST_P(D3D9DrawOn, IndexedDrawsUseTheBaseVertexAndRefuseRangesBeyondTheirBuffers)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    const uint32_t c = 0xFF3366CC;
    const float s = -0.5f;
    // Two unused vertices first: the base vertex skips them.
    const std::vector<VertexGeom> vertices{{0, 0, 0, 0},         {0, 0, 0, 0},         {2 + s, 2 + s, 0, c},
                                           {6 + s, 2 + s, 0, c}, {2 + s, 6 + s, 0, c}, {6 + s, 6 + s, 0, c}};
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof(VertexGeom) * 6, D3DUSAGE_WRITEONLY, kFvfGeom,
                                          D3DPOOL_MANAGED, &vb, nullptr),
              D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, vertices.data(), sizeof(VertexGeom) * 6);
    ASSERT_EQ(vb->Unlock(), D3D_OK);

    for (D3DFORMAT format : {D3DFMT_INDEX16, D3DFMT_INDEX32}) {
        SCOPED_TRACE(format == D3DFMT_INDEX16 ? "16-bit" : "32-bit");
        const UINT size = format == D3DFMT_INDEX16 ? 2 : 4;
        IDirect3DIndexBuffer9* ib = nullptr;
        ASSERT_EQ(
            device_->CreateIndexBuffer(7 * size, D3DUSAGE_WRITEONLY, format, D3DPOOL_MANAGED, &ib, nullptr),
            D3D_OK);
        const uint32_t indices[7] = {0, 1, 2, 1, 3, 2, 3};
        ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);
        for (int i = 0; i < 7; ++i)
            std::memcpy(static_cast<char*>(data) + i * size, &indices[i], size);
        ASSERT_EQ(ib->Unlock(), D3D_OK);

        Begin();
        Use(geom, Ortho(kWidth, kHeight));
        device_->SetFVF(kFvfGeom);
        device_->SetStreamSource(0, vb, 0, sizeof(VertexGeom));
        device_->SetIndices(ib);
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 0, 4, 0, 2), D3D_OK);
        // The vertex range the caller names must lie in the vertex buffer, the indices
        // in the index buffer.
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 0, 5, 0, 2), D3DERR_INVALIDCALL);
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 1, 4, 0, 2), D3DERR_INVALIDCALL);
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, -3, 0, 4, 0, 2), D3DERR_INVALIDCALL);
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 0, 0, 0, 2), D3DERR_INVALIDCALL);
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 0, 4, 6, 1), D3DERR_INVALIDCALL);
        End();
        ExpectSame(ReadBackBuffer(), Expected(kWidth, kHeight, 2, 2, 4, 4, std::vector<uint32_t>(16, c)),
                   kWidth);
        device_->SetIndices(nullptr);
        ib->Release();
    }
    device_->SetStreamSource(0, nullptr, 0, 0);
    vb->Release();
}

// Two 4 x 4 blocks of colour at (2, 2) and (10, 2).
std::vector<uint32_t> TwoBlocks(int width, int height, uint32_t left, uint32_t right)
{
    std::vector<uint32_t> img(static_cast<size_t>(width) * height, kClear);
    for (int y = 2; y < 6; ++y)
        for (int x = 0; x < 4; ++x) {
            img[y * width + 2 + x] = left;
            img[y * width + 10 + x] = right;
        }
    return img;
}

TEST_P(D3D9DrawOn, DynamicBuffersSendOnlyWhatTheDrawsReach)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    constexpr UINT kVertices = 1024, kStride = sizeof(VertexGeom);
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(kVertices * kStride, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kFvfGeom,
                                          D3DPOOL_DEFAULT, &vb, nullptr),
              D3D_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(1024 * 2, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                         D3DPOOL_DEFAULT, &ib, nullptr),
              D3D_OK);
    const uint32_t red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF, yellow = 0xFFFFFF00;
    // A strip quad of 4 x 4 pixels at (x, 2).
    auto quad = [](VertexGeom* v, float x, uint32_t c) {
        const float s = -0.5f;
        v[0] = {x + s, 2 + s, 0, c};
        v[1] = {x + 4 + s, 2 + s, 0, c};
        v[2] = {x + s, 6 + s, 0, c};
        v[3] = {x + 4 + s, 6 + s, 0, c};
    };
    auto sent = [&] { return D3D9Test_Counters(device_); };
    void* data = nullptr;

    // A discard lock of the whole buffer sends nothing on unlock; each draw sends the
    // vertices it reaches that were not sent yet (a gap before them goes too).
    ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    auto* v = static_cast<VertexGeom*>(data);
    quad(v, 2, red);
    quad(v + 100, 10, blue);
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    ASSERT_EQ(ib->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    const uint16_t strip[6] = {0, 1, 2, 1, 3, 2};
    std::memcpy(data, strip, sizeof strip);
    ASSERT_EQ(ib->Unlock(), D3D_OK);
    // A partial lock of vertices not sent yet leaves them to the draw that reaches them.
    const D3D9TestCounters before = sent();
    ASSERT_EQ(vb->Lock(100 * kStride, 4 * kStride, &data, 0), D3D_OK);
    quad(static_cast<VertexGeom*>(data), 10, green);
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    EXPECT_EQ(sent().bufferBytes, before.bufferBytes);

    Begin();
    Use(geom, Ortho(kWidth, kHeight));
    device_->SetFVF(kFvfGeom);
    device_->SetStreamSource(0, vb, 0, kStride);
    device_->SetIndices(ib);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_EQ(sent().bufferBytes - before.bufferBytes, 4 * kStride);
    // Drawing what was sent already sends nothing more.
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_EQ(sent().bufferBytes - before.bufferBytes, 4 * kStride);
    // Beyond what the GL store holds, a larger one is made for the draws from there on:
    // it needs only what they reach.
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 100, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(sent().bufferBytes - before.bufferBytes, 8 * kStride + sizeof strip);
    EXPECT_EQ(sent().draws - before.draws, 3u);
    End();
    std::vector<uint32_t> want = Expected(kWidth, kHeight, 2, 2, 4, 4, std::vector<uint32_t>(16, red));
    for (int y = 2; y < 6; ++y)
        for (int x = 10; x < 14; ++x)
            want[y * kWidth + x] = green;
    ExpectSame(ReadBackBuffer(), want, kWidth);

    // A partial lock of vertices already sent sends them again at once.
    const D3D9TestCounters second = sent();
    ASSERT_EQ(vb->Lock(100 * kStride, 4 * kStride, &data, 0), D3D_OK);
    quad(static_cast<VertexGeom*>(data), 10, yellow);
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    EXPECT_EQ(sent().bufferBytes - second.bufferBytes, 4 * kStride);
    EXPECT_EQ(sent().bufferUploads - second.bufferUploads, 1u);

    // After the next discard lock the first draw sends, in one upload, as far as the
    // draws before the discard reached (vertex 104); draws within that send nothing.
    const D3D9TestCounters third = sent();
    ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    quad(static_cast<VertexGeom*>(data) + 8, 2, blue);
    quad(static_cast<VertexGeom*>(data) + 12, 10, green);
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    Begin();
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 8, 2), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 12, 2), D3D_OK);
    EXPECT_EQ(sent().bufferBytes - third.bufferBytes, (104 - 8) * kStride);
    EXPECT_EQ(sent().bufferUploads - third.bufferUploads, 1u);
    End();
    ExpectSame(ReadBackBuffer(), TwoBlocks(kWidth, kHeight, blue, green), kWidth);

    // A frame that reaches less than the one before: the next one sends only as far
    // as it reached (vertex 16).
    const D3D9TestCounters fourth = sent();
    ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    quad(static_cast<VertexGeom*>(data) + 8, 2, green);
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    Begin();
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 8, 2), D3D_OK);
    EXPECT_EQ(sent().bufferBytes - fourth.bufferBytes, 8 * kStride);
    End();
    ExpectSame(ReadBackBuffer(), Expected(kWidth, kHeight, 2, 2, 4, 4, std::vector<uint32_t>(16, green)), kWidth);

    device_->SetStreamSource(0, nullptr, 0, 0);
    device_->SetIndices(nullptr);
    vb->Release();
    ib->Release();
}

TEST_P(D3D9DrawOn, DynamicTwoDimensionalVerticesTravelWithoutTheirZAndWWhileTheyAreZeroAndOne)
{
    // The geometry program reads x, y and z of the position: a z of 0.5 still draws in
    // place, so a vertex that cannot go packed shows whether it arrived whole.
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    constexpr UINT kStride = sizeof(Vertex2D), kPacked = kStride - 8;
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(64 * kStride, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kFvf2D,
                                          D3DPOOL_DEFAULT, &vb, nullptr),
              D3D_OK);
    // A strip quad of 4 x 4 pixels at (x, 2).
    auto quad = [](Vertex2D* v, float x, uint32_t c, float z) {
        const float s = -0.5f;
        v[0] = {x + s, 2 + s, z, 1, c, 0, 0, 0};
        v[1] = {x + 4 + s, 2 + s, z, 1, c, 0, 1, 0};
        v[2] = {x + s, 6 + s, z, 1, c, 0, 0, 1};
        v[3] = {x + 4 + s, 6 + s, z, 1, c, 0, 1, 1};
    };
    const uint32_t red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF, yellow = 0xFFFFFF00;
    struct Frame {
        uint32_t left, right;
        float rightZ;
        UINT bytes; // sent for the frame's two draws
    };
    // Frames enough for the buffer's stores to take their turns more than once; the
    // second quad of some leaves z at 0.5, and from it on the store holds that
    // frame's vertices as they are.
    const Frame frames[] = {
        {red, blue, 0.0f, 8 * kPacked},          {green, yellow, 0.5f, 4 * kPacked + 4 * kStride},
        {blue, red, 0.0f, 8 * kPacked},          {yellow, green, 0.0f, 8 * kPacked},
        {red, green, 0.5f, 4 * kPacked + 4 * kStride}, {green, blue, 0.0f, 8 * kPacked},
    };
    int n = 0;
    for (const Frame& f : frames) {
        SCOPED_TRACE("frame " + std::to_string(n++));
        void* data = nullptr;
        ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
        quad(static_cast<Vertex2D*>(data), 2, f.left, 0.0f);
        quad(static_cast<Vertex2D*>(data) + 4, 10, f.right, f.rightZ);
        ASSERT_EQ(vb->Unlock(), D3D_OK);
        const D3D9TestCounters before = D3D9Test_Counters(device_);
        Begin();
        Use(geom, Ortho(kWidth, kHeight));
        device_->SetFVF(kFvf2D);
        device_->SetStreamSource(0, vb, 0, kStride);
        ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
        ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2), D3D_OK);
        End();
        EXPECT_EQ(D3D9Test_Counters(device_).bufferBytes - before.bufferBytes, f.bytes);
        ExpectSame(ReadBackBuffer(), TwoBlocks(kWidth, kHeight, f.left, f.right), kWidth);
    }

    // A partial lock after packed draws: the next draws pack the vertices afresh.
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 4 * kStride, &data, 0), D3D_OK);
    quad(static_cast<Vertex2D*>(data), 2, yellow, 0.0f);
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    D3D9TestCounters before = D3D9Test_Counters(device_);
    Begin();
    Use(geom, Ortho(kWidth, kHeight));
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2), D3D_OK);
    End();
    EXPECT_EQ(D3D9Test_Counters(device_).bufferBytes - before.bufferBytes, 8 * kPacked);
    ExpectSame(ReadBackBuffer(), TwoBlocks(kWidth, kHeight, yellow, blue), kWidth);

    // A stride longer than the vertex keeps the bytes as they are.
    ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    std::vector<Vertex2D> wide(8);
    quad(wide.data(), 2, blue, 0.0f);
    for (int i = 0; i < 4; ++i)
        std::memcpy(static_cast<char*>(data) + i * (kStride + 8), &wide[i], kStride);
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    before = D3D9Test_Counters(device_);
    Begin();
    Use(geom, Ortho(kWidth, kHeight));
    device_->SetStreamSource(0, vb, 0, kStride + 8);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    End();
    // Unpacked, and (the first draw after a discard) as far as the draws before reached:
    // eight vertices of the stride they had.
    EXPECT_EQ(D3D9Test_Counters(device_).bufferBytes - before.bufferBytes, 8 * kStride);
    ExpectSame(ReadBackBuffer(), Expected(kWidth, kHeight, 2, 2, 4, 4, std::vector<uint32_t>(16, blue)), kWidth);

    device_->SetStreamSource(0, nullptr, 0, 0);
    vb->Release();
}

TEST_P(D3D9DrawOn, DynamicIndicesAreSentAgainOnlyWhenTheyChange)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    const uint32_t red = 0xFFFF0000, blue = 0xFF0000FF;
    const float s = -0.5f;
    // A red strip quad at (2, 2) and a blue one at (10, 2), 4 x 4 pixels each.
    const VertexGeom vertices[8] = {
        {2 + s, 2 + s, 0, red},  {6 + s, 2 + s, 0, red},  {2 + s, 6 + s, 0, red},  {6 + s, 6 + s, 0, red},
        {10 + s, 2 + s, 0, blue}, {14 + s, 2 + s, 0, blue}, {10 + s, 6 + s, 0, blue}, {14 + s, 6 + s, 0, blue}};
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof vertices, D3DUSAGE_WRITEONLY, kFvfGeom, D3DPOOL_MANAGED, &vb,
                                          nullptr),
              D3D_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(64 * 2, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                         D3DPOOL_DEFAULT, &ib, nullptr),
              D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, vertices, sizeof vertices);
    ASSERT_EQ(vb->Unlock(), D3D_OK);

    const uint16_t left[6] = {0, 1, 2, 1, 3, 2}, right[6] = {4, 5, 6, 5, 7, 6};
    struct Frame {
        const uint16_t* indices;
        bool blue;
        UINT bytes;
    };
    // Each frame writes its indices again after a discard lock; only new ones travel.
    const Frame frames[] = {{left, false, 12}, {left, false, 0}, {right, true, 12}, {right, true, 0}, {left, false, 12}};
    int n = 0;
    for (const Frame& f : frames) {
        SCOPED_TRACE("frame " + std::to_string(n++));
        ASSERT_EQ(ib->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
        std::memcpy(data, f.indices, 12);
        ASSERT_EQ(ib->Unlock(), D3D_OK);
        const D3D9TestCounters before = D3D9Test_Counters(device_);
        Begin();
        Use(geom, Ortho(kWidth, kHeight));
        device_->SetFVF(kFvfGeom);
        device_->SetStreamSource(0, vb, 0, sizeof(VertexGeom));
        device_->SetIndices(ib);
        ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 8, 0, 2), D3D_OK);
        End();
        EXPECT_EQ(D3D9Test_Counters(device_).bufferBytes - before.bufferBytes, f.bytes);
        ExpectSame(ReadBackBuffer(),
                   Expected(kWidth, kHeight, f.blue ? 10 : 2, 2, 4, 4, std::vector<uint32_t>(16, f.blue ? blue : red)),
                   kWidth);
    }
    // A partial lock sends what it changes at once, and the draw then finds it sent.
    ASSERT_EQ(ib->Lock(0, 12, &data, 0), D3D_OK);
    std::memcpy(data, right, 12);
    ASSERT_EQ(ib->Unlock(), D3D_OK);
    const D3D9TestCounters before = D3D9Test_Counters(device_);
    Begin();
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 8, 0, 2), D3D_OK);
    End();
    EXPECT_EQ(D3D9Test_Counters(device_).bufferBytes - before.bufferBytes, 0u);
    ExpectSame(ReadBackBuffer(), Expected(kWidth, kHeight, 10, 2, 4, 4, std::vector<uint32_t>(16, blue)), kWidth);

    device_->SetStreamSource(0, nullptr, 0, 0);
    device_->SetIndices(nullptr);
    vb->Release();
    ib->Release();
}

TEST_P(D3D9DrawOn, ViewportPlacesDrawsAndLimitsClears)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    const uint32_t black = 0xFF000000, blue = 0xFF0000FF, green = 0xFF00FF00, yellow = 0xFFFFFF00;
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, black, 1.0f, 0), D3D_OK);
    const D3DVIEWPORT9 viewport{8, 4, 32, 16, 0.0f, 1.0f}; // x 8..40, y 4..20
    ASSERT_EQ(device_->SetViewport(&viewport), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kClear, 1.0f, 0), D3D_OK);
    // One rectangle inside the viewport, one across its bottom-right corner.
    const D3DRECT rects[2] = {{10, 5, 14, 7}, {36, 18, 60, 40}};
    ASSERT_EQ(device_->Clear(2, rects, D3DCLEAR_TARGET, blue, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    Use(geom, Ortho(32, 16)); // in viewport pixels
    const float s = -0.5f;
    const std::vector<VertexGeom> quad{{2 + s, 10 + s, 0, green},
                                       {6 + s, 10 + s, 0, green},
                                       {2 + s, 13 + s, 0, green},
                                       {6 + s, 13 + s, 0, green}};
    Draw(D3DPT_TRIANGLESTRIP, quad, kFvfGeom, 2);
    End();
    // The scissor rectangle cuts a clear of the whole viewport further.
    const RECT scissor{20, 0, 64, 8};
    ASSERT_EQ(device_->SetScissorRect(&scissor), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, yellow, 1.0f, 0), D3D_OK);

    std::vector<uint32_t> want(kWidth * kHeight, black);
    auto fill = [&](int x0, int y0, int x1, int y1, uint32_t c) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                want[y * kWidth + x] = c;
    };
    fill(8, 4, 40, 20, kClear);
    fill(10, 5, 14, 7, blue);
    fill(36, 18, 40, 20, blue);
    fill(10, 14, 14, 17, green);
    fill(20, 4, 40, 8, yellow);
    ExpectSame(ReadBackBuffer(), want, kWidth);
}

TEST_P(D3D9DrawOn, CullModesDropTheWindingTheyName)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    const uint32_t c = 0xFFFF8000;
    // Two triangles of an 8x8 square at x0, clockwise on the screen or the other way round.
    auto square = [&](float x0, bool clockwise) {
        const float s = -0.5f, x1 = x0 + 8, y0 = 0, y1 = 8;
        std::vector<VertexGeom> v{{x0 + s, y0 + s, 0, c}, {x1 + s, y0 + s, 0, c}, {x0 + s, y1 + s, 0, c},
                                  {x1 + s, y0 + s, 0, c}, {x1 + s, y1 + s, 0, c}, {x0 + s, y1 + s, 0, c}};
        if (!clockwise) {
            std::swap(v[1], v[2]);
            std::swap(v[4], v[5]);
        }
        return v;
    };
    struct Case {
        const char* name;
        DWORD mode;
        bool clockwiseShown, counterClockwiseShown;
    };
    const Case cases[] = {{"none", D3DCULL_NONE, true, true},
                          {"cw", D3DCULL_CW, false, true},
                          {"ccw", D3DCULL_CCW, true, false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Begin();
        Use(geom, Ortho(kWidth, kHeight));
        ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, k.mode), D3D_OK);
        Draw(D3DPT_TRIANGLELIST, square(0, true), kFvfGeom, 2);
        Draw(D3DPT_TRIANGLELIST, square(16, false), kFvfGeom, 2);
        End();
        const std::vector<uint32_t> pixels = ReadBackBuffer();
        EXPECT_EQ(pixels[4 * kWidth + 4], k.clockwiseShown ? c : kClear);
        EXPECT_EQ(pixels[4 * kWidth + 20], k.counterClockwiseShown ? c : kClear);
    }
}

// What a frame drew is read back the same from the back buffer and from the window
// after Present, and the next frame replaces it in both.
TEST_P(D3D9DrawOn, FramesReadBackAfterPresentAsTheWindowShowsThem)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    const uint32_t red = 0xFFFF0000, green = 0xFF00FF00, other = 0xFF605040;
    Begin();
    Use(geom, Ortho(kWidth, kHeight));
    const float s = -0.5f;
    const std::vector<VertexGeom> quad{
        {s, s, 0, red}, {6 + s, s, 0, red}, {s, 3 + s, 0, red}, {6 + s, 3 + s, 0, red}};
    Draw(D3DPT_TRIANGLESTRIP, quad, kFvfGeom, 2);
    const std::vector<VertexGeom> corner{{56 + s, 44 + s, 0, green},
                                         {64 + s, 44 + s, 0, green},
                                         {56 + s, 48 + s, 0, green},
                                         {64 + s, 48 + s, 0, green}};
    Draw(D3DPT_TRIANGLESTRIP, corner, kFvfGeom, 2);
    End();
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    std::vector<uint32_t> want = Expected(kWidth, kHeight, 0, 0, 6, 3, std::vector<uint32_t>(18, red));
    for (int y = 44; y < kHeight; ++y)
        for (int x = 56; x < kWidth; ++x)
            want[y * kWidth + x] = green;
    ExpectSame(ReadBackBuffer(), want, kWidth);
    std::vector<uint32_t> window;
    int w = 0, h = 0;
    ASSERT_TRUE(D3D9Test_ReadWindow(device_, window, w, h));
    ASSERT_EQ(w, kWidth);
    ASSERT_EQ(h, kHeight);
    for (uint32_t& p : window)
        p |= 0xFF000000u; // a window without alpha bits reads as opaque
    ExpectSame(window, want, kWidth);

    Begin(other);
    End();
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ExpectSame(ReadBackBuffer(), std::vector<uint32_t>(kWidth * kHeight, other), kWidth);
    ASSERT_TRUE(D3D9Test_ReadWindow(device_, window, w, h));
    EXPECT_EQ(window[0] & 0x00FFFFFFu, other & 0x00FFFFFFu);
    EXPECT_EQ(window[kWidth * kHeight - 1] & 0x00FFFFFFu, other & 0x00FFFFFFu);
}

// A present returns only once the frame two presents back is drawn, so a driver that
// queues frames (llvmpipe does) never holds more than two however fast they come.
TEST_P(D3D9DrawOn, PresentWaitsForTheFrameTwoPresentsBack)
{
    const auto fenceSync = reinterpret_cast<PFNGLFENCESYNCPROC>(SDL_GL_GetProcAddress("glFenceSync"));
    const auto clientWaitSync = reinterpret_cast<PFNGLCLIENTWAITSYNCPROC>(SDL_GL_GetProcAddress("glClientWaitSync"));
    const auto deleteSync = reinterpret_cast<PFNGLDELETESYNCPROC>(SDL_GL_GetProcAddress("glDeleteSync"));
    ASSERT_TRUE(fenceSync && clientWaitSync && deleteSync);
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    // The first frame is slow to rasterise: thousands of blended squares over the window.
    Begin();
    Use(geom, Ortho(kWidth, kHeight));
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    std::vector<VertexGeom> layers;
    const float s = -0.5f;
    for (int i = 0; i < 20000; ++i) {
        const uint32_t c = 0x10000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
        for (const auto& [x, y] : {std::pair{0, 0}, std::pair{kWidth, 0}, std::pair{0, kHeight},
                                   std::pair{kWidth, 0}, std::pair{kWidth, kHeight}, std::pair{0, kHeight}})
            layers.push_back({float(x) + s, float(y) + s, 0.0f, c});
    }
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Draw(D3DPT_TRIANGLELIST, layers, kFvfGeom, static_cast<UINT>(layers.size() / 3));
    End();
    GLsync firstDrawn = fenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    ASSERT_NE(firstDrawn, nullptr);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    for (int frame = 0; frame < 2; ++frame) {
        Begin();
        End();
        ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    }
    EXPECT_NE(clientWaitSync(firstDrawn, 0, 0), static_cast<GLenum>(GL_TIMEOUT_EXPIRED));
    deleteSync(firstDrawn);
}

class D3D9DrawInWindow : public D3D9Draw {
protected:
    void SetUp() override
    {
        storage_ = BackBufferStorage::Window;
        D3D9Draw::SetUp();
    }

    // A red 8x8 square at the top-left and a green one at the bottom-right of a w x h
    // back buffer, presented; returns what the window shows.
    std::vector<uint32_t> PresentCorners(int w, int h, Program& geom, int& windowW, int& windowH)
    {
        std::vector<uint32_t> window;
        Begin();
        Use(geom, Ortho(static_cast<float>(w), static_cast<float>(h)));
        auto square = [&](float x, float y, uint32_t c) {
            const float s = -0.5f;
            const std::vector<VertexGeom> q{{x + s, y + s, 0, c},
                                            {x + 8 + s, y + s, 0, c},
                                            {x + s, y + 8 + s, 0, c},
                                            {x + 8 + s, y + 8 + s, 0, c}};
            Draw(D3DPT_TRIANGLESTRIP, q, kFvfGeom, 2);
        };
        square(0, 0, kRed);
        square(static_cast<float>(w - 8), static_cast<float>(h - 8), kGreen);
        End();
        EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        EXPECT_TRUE(D3D9Test_ReadWindow(device_, window, windowW, windowH));
        return window;
    }

    // The corners of the window's picture, upright whatever the scale.
    static void ExpectCorners(const std::vector<uint32_t>& window, int w, int h, int square)
    {
        ASSERT_EQ(window.size(), static_cast<size_t>(w) * h);
        auto at = [&](int x, int y) { return window[y * w + x] & 0x00FFFFFFu; };
        const int in = square / 2; // well inside a square, clear of filtered edges
        EXPECT_EQ(at(in, in), kRed & 0x00FFFFFFu);
        EXPECT_EQ(at(w - 1 - in, h - 1 - in), kGreen & 0x00FFFFFFu);
        EXPECT_EQ(at(w - 1 - in, in), kClear & 0x00FFFFFFu);
        EXPECT_EQ(at(in, h - 1 - in), kClear & 0x00FFFFFFu);
    }

    static constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00;
};

// The window's framebuffer holds the back buffer only while both have one size; in
// between, the back buffer is drawn off-screen and presented scaled, still upright.
TEST_F(D3D9DrawInWindow, BackBufferOfAnotherSizeThanTheWindowPresentsUpright)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    int w = 0, h = 0;
    std::vector<uint32_t> window = PresentCorners(kWidth, kHeight, geom, w, h);
    EXPECT_TRUE(D3D9Test_BackBufferInWindow(device_));
    ExpectCorners(window, w, h, 8);

    // Half the window's size: scaled up by two.
    D3DPRESENT_PARAMETERS half = params_;
    half.BackBufferWidth = kWidth / 2;
    half.BackBufferHeight = kHeight / 2;
    ASSERT_EQ(device_->Reset(&half), D3D_OK);
    SetRendererStates(); // Reset brought back the device's defaults
    window = PresentCorners(kWidth / 2, kHeight / 2, geom, w, h);
    EXPECT_FALSE(D3D9Test_BackBufferInWindow(device_));
    ASSERT_EQ(w, kWidth);
    ASSERT_EQ(h, kHeight);
    ExpectCorners(window, w, h, 16);

    // The window shrinks to the back buffer's size: the next frame draws into it.
    SDL_SetWindowSize(window_, kWidth / 2, kHeight / 2);
    window = PresentCorners(kWidth / 2, kHeight / 2, geom, w, h);
    EXPECT_TRUE(D3D9Test_BackBufferInWindow(device_));
    ASSERT_EQ(w, kWidth / 2);
    ASSERT_EQ(h, kHeight / 2);
    ExpectCorners(window, w, h, 8);
    ExpectCorners(ReadBackBuffer(), w, h, 8);

    // And grows again without a Reset: off-screen once more.
    SDL_SetWindowSize(window_, kWidth, kHeight);
    window = PresentCorners(kWidth / 2, kHeight / 2, geom, w, h);
    EXPECT_FALSE(D3D9Test_BackBufferInWindow(device_));
    ExpectCorners(window, w, h, 16);
}

// Depth is tested, and written, only by draws that ask for it; where the window has no
// depth of its own, the first such draw takes the back buffer off-screen with what the
// frame drew so far. Every home of the back buffer gives the same pictures.
class D3D9DepthOn : public D3D9DrawOn {
protected:
    static void Fill(std::vector<uint32_t>& img, int width, int x0, int y0, int x1, int y1, uint32_t c)
    {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                img[y * width + x] = c;
    }
};

INSTANTIATE_TEST_SUITE_P(BackBuffer, D3D9DepthOn,
                         ::testing::Values(BackBufferStorage::Window, BackBufferStorage::WindowWithDepth,
                                           BackBufferStorage::Offscreen),
                         [](const ::testing::TestParamInfo<BackBufferStorage>& info) {
                             switch (info.param) {
                             case BackBufferStorage::Window:
                                 return std::string("InWindow");
                             case BackBufferStorage::WindowWithDepth:
                                 return std::string("InWindowWithDepth");
                             default:
                                 return std::string("Offscreen");
                             }
                         });

TEST_P(D3D9DepthOn, DrawsThatTestDepthHideWhatLiesBehindThem)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    const uint32_t yellow = 0xFFFFFF00, red = 0xFFFF0000, green = 0xFF00FF00, white = 0xFFFFFFFF;
    Begin(); // colour, and all the depth to the far plane
    Use(geom, Ortho(kWidth, kHeight));
    Square(0, 0, 64, 4, 0.5f, yellow); // drawn before any draw tests depth
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, TRUE), D3D_OK);
    Square(8, 8, 24, 24, 0.25f, red);
    Square(16, 16, 32, 32, 0.75f, green); // behind the red square where they overlap
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, FALSE), D3D_OK);
    Square(40, 8, 48, 16, 0.9f, white); // untested: drawn, and its depth is not written
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, TRUE), D3D_OK);
    Square(44, 12, 48, 16, 0.95f, green); // nearer than the far plane the white one left
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, FALSE), D3D_OK);
    End();

    std::vector<uint32_t> want(kWidth * kHeight, kClear);
    Fill(want, kWidth, 0, 0, 64, 4, yellow);
    Fill(want, kWidth, 16, 16, 32, 32, green);
    Fill(want, kWidth, 8, 8, 24, 24, red);
    Fill(want, kWidth, 40, 8, 48, 16, white);
    Fill(want, kWidth, 44, 12, 48, 16, green);
    ExpectSame(ReadBackBuffer(), want, kWidth);
    EXPECT_EQ(D3D9Test_BackBufferInWindow(device_), storage_ == BackBufferStorage::WindowWithDepth);
    ExpectSame(PresentAndReadWindow(), want, kWidth);

    // The next frame finds the depth buffer where this one left it.
    Begin(0xFF000000);
    Use(geom, Ortho(kWidth, kHeight));
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, TRUE), D3D_OK);
    Square(0, 0, 8, 8, 0.5f, green);
    Square(4, 4, 12, 12, 0.6f, red);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, FALSE), D3D_OK);
    End();
    want.assign(kWidth * kHeight, 0xFF000000);
    Fill(want, kWidth, 4, 4, 12, 12, red);
    Fill(want, kWidth, 0, 0, 8, 8, green);
    ExpectSame(ReadBackBuffer(), want, kWidth);
}

// A clear of the whole depth buffer before any draw has tested depth is kept for the
// buffer, and a clear of part of it after goes to the buffer itself.
TEST_P(D3D9DepthOn, ClearsOfDepthHoldBeforeTheFirstTestAndAfter)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    const uint32_t red = 0xFFFF0000;
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 0.0f, 0), D3D_OK);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    Use(geom, Ortho(kWidth, kHeight));
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, TRUE), D3D_OK);
    Square(0, 0, 64, 48, 0.5f, red); // behind the near plane the clear left: nowhere
    End();
    ExpectSame(ReadBackBuffer(), std::vector<uint32_t>(kWidth * kHeight, kClear), kWidth);

    const D3DVIEWPORT9 left{0, 0, 32, 48, 0.0f, 1.0f}, all{0, 0, kWidth, kHeight, 0.0f, 1.0f};
    ASSERT_EQ(device_->SetViewport(&left), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device_->SetViewport(&all), D3D_OK);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    Square(0, 0, 64, 48, 0.5f, red);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, FALSE), D3D_OK);
    End();
    std::vector<uint32_t> want(kWidth * kHeight, kClear);
    Fill(want, kWidth, 0, 0, 32, 48, red);
    ExpectSame(ReadBackBuffer(), want, kWidth);
}

// A clear writes every channel and the depth whatever the write masks say, reaches all
// of the target after a clear of rectangles, and leaves the draws after it their masks.
TEST_P(D3D9DepthOn, ClearsIgnoreTheWriteMasksAndDrawsKeepThem)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    const uint32_t black = 0xFF000000, white = 0xFFFFFFFF, green = 0xFF00FF00, blue = 0xFF0000FF;
    const D3DRECT rect{4, 4, 12, 12};
    ASSERT_EQ(device_->Clear(1, &rect, D3DCLEAR_TARGET, blue, 1.0f, 0), D3D_OK);
    Begin();
    Use(geom, Ortho(kWidth, kHeight));
    ASSERT_EQ(device_->SetRenderState(D3DRS_COLORWRITEENABLE, 1), D3D_OK); // red only
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE), D3D_OK);
    Square(0, 0, 8, 8, 0.5f, white);
    End();
    std::vector<uint32_t> want(kWidth * kHeight, kClear);
    Fill(want, kWidth, 0, 0, 8, 8, (kClear & 0xFF00FFFFu) | 0x00FF0000u);
    ExpectSame(ReadBackBuffer(), want, kWidth);

    // A draw right before the clear, so that the clear follows the draws' state.
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    Square(0, 0, 8, 8, 0.5f, white);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, black, 0.5f, 0), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, TRUE), D3D_OK);
    Square(0, 0, 32, 32, 0.75f, white);   // behind the cleared depth
    Square(8, 8, 24, 24, 0.25f, white);   // red only, and its depth is not written...
    Square(16, 16, 32, 32, 0.4f, green);  // ...so this one clears the red where they overlap
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, FALSE), D3D_OK);
    End();
    want.assign(kWidth * kHeight, black);
    Fill(want, kWidth, 8, 8, 24, 24, 0xFFFF0000);
    Fill(want, kWidth, 16, 16, 32, 32, black);
    ExpectSame(ReadBackBuffer(), want, kWidth);
}

// Clears of colour and depth and draws that test no depth, frame after frame, as the
// game's are: the back buffer stays in a window that has no depth.
TEST_F(D3D9DrawInWindow, WithoutDepthTestsTheBackBufferStaysInAWindowWithoutDepth)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kClear, 1.0f,
                                 0),
                  D3D_OK);
        int w = 0, h = 0;
        std::vector<uint32_t> window = PresentCorners(kWidth, kHeight, geom, w, h);
        EXPECT_TRUE(D3D9Test_BackBufferInWindow(device_)) << "frame " << frame;
        ExpectCorners(window, w, h, 8);
    }
}

// A render target tests depth in a buffer of its own.
TEST_F(D3D9Draw, RenderTargetsTestDepth)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    IDirect3DTexture9* target = nullptr;
    IDirect3DSurface9 *surface = nullptr, *backBuffer = nullptr;
    MakeRenderTarget(16, 16, &target, &surface, &backBuffer);
    ASSERT_EQ(device_->SetRenderTarget(0, surface), D3D_OK);
    Begin(0xFF000000);
    Use(geom, Ortho(16, 16));
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, TRUE), D3D_OK);
    const uint32_t red = 0xFFFF0000, green = 0xFF00FF00;
    Square(0, 0, 8, 8, 0.2f, red);
    Square(4, 4, 12, 12, 0.8f, green); // behind the red one where they overlap
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, FALSE), D3D_OK);
    End();
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(D3D9Test_ReadSurface(surface, pixels));
    ASSERT_EQ(pixels.size(), 256u);
    EXPECT_EQ(pixels[6 * 16 + 6], red);    // both squares: the nearer
    EXPECT_EQ(pixels[10 * 16 + 10], green); // the far one alone
    EXPECT_EQ(pixels[14 * 16 + 14], 0xFF000000u);
    ASSERT_EQ(device_->SetRenderTarget(0, backBuffer), D3D_OK);
    backBuffer->Release();
    surface->Release();
    target->Release();
}

} // namespace
} // namespace d3d9test
