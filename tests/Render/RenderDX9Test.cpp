// Frames recorded through the renderer's front end and replayed on the Direct3D 9
// device, read back as pixels; start-up checks, device loss and reset, and the
// log lines they write.
#include "Core/App/Application.h"
#include "Core/Base/Log.h"
#include "Core/Render/Math/Matrix4.h"
#include "Core/Render/RenderTarget.h"
#include "tests/Support/LogCapture.h"
#include "tests/Render/CommandDecoder.h"
#include "tests/Render/Dx9TestSupport.h"

#include <SDL.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

using namespace dx9test;

namespace {

// Keeps SDL's video subsystem, and with it the GL driver, loaded until the process
// ends, so that the leak checker can still name the driver's modules.
class KeepVideoLoaded : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
            SDL_GL_LoadLibrary(nullptr);
    }
};
::testing::Environment* const gKeepVideoLoaded = ::testing::AddGlobalTestEnvironment(new KeepVideoLoaded);

constexpr u32 kRgb = 0x00FFFFFF;

// --- Frames drawn through the front end ------------------------------------------

TEST_F(Dx9Fixture, ClearTruncatesEachChannelAndFillsTheBackBuffer)
{
    struct Case {
        float rgba[4];
        u32 rgb;
    };
    const Case cases[] = {
        {{0.0f, 0.0f, 1.0f, 1.0f}, 0x0000FF},
        {{0.5f, 0.25f, 1.0f, 1.0f}, 0x7F3FFF}, // 127.5 and 63.75 truncate
        {{1.5f, 0.0f, 0.0f, 1.0f}, 0x7E0000},  // 382: only the low byte is kept
    };
    for (const Case& c : cases) {
        Begin(c.rgba);
        ASSERT_EQ(End(), GE_OK);
        const auto pixels = ReadBackBuffer();
        ASSERT_EQ(pixels.size(), size_t(kSize) * kSize);
        EXPECT_EQ(pixels.front() & kRgb, c.rgb);
        EXPECT_EQ(pixels.back() & kRgb, c.rgb);
    }
}

TEST_F(Dx9Fixture, TexturedQuadCoversExactlyItsPixels)
{
    FillQuads({{8, 4, 24, 20, 0xFFFFFFFF}});
    shader->SetTexture(MakeSolidTexture(0xFF00FF00));
    Begin(kBlue);
    DrawQuad(0);
    ASSERT_EQ(End(), GE_OK);
    const auto pixels = ReadBackBuffer();
    for (u32 y = 0; y < 24; ++y)
        for (u32 x = 0; x < 28; ++x) {
            const bool inside = x >= 8 && x < 24 && y >= 4 && y < 20;
            ASSERT_EQ(At(pixels, x, y) & kRgb, inside ? 0x00FF00u : 0x0000FFu) << x << "," << y;
        }
}

TEST_F(Dx9Fixture, VertexColourMultipliesTheTexture)
{
    FillQuads({{0, 0, 8, 8, 0xFF808080}});
    shader->SetTexture(MakeSolidTexture(0xFFFFFF00));
    Begin(kBlue);
    DrawQuad(0);
    ASSERT_EQ(End(), GE_OK);
    EXPECT_TRUE(Near(At(ReadBackBuffer(), 3, 3), 0x808000, 1));
}

// Half-transparent red over blue. The second quad is drawn with the second mode; an
// unknown mode changes nothing, so that quad blends like the first one.
TEST_F(Dx9Fixture, BlendModes)
{
    struct Case {
        u32 first, second, rgb;
    };
    const Case cases[] = {
        {0, 0, 0xFF0000}, // opaque: the texel as it is
        {1, 1, 0x80007F}, // alpha blend
        {2, 2, 0x8000FF}, // additive
        {2, 3, 0x8000FF}, // unknown after additive
        {1, 7, 0x80007F}, // unknown after alpha blend
        {0, 0xFFFFFFFF, 0xFF0000},
    };
    FillQuads({{0, 0, 16, 16}, {32, 0, 48, 16}});
    shader->SetTexture(MakeSolidTexture(0x80FF0000));
    for (const Case& c : cases) {
        Begin(kBlue);
        state.blendMode = c.first;
        DrawQuad(0);
        state.blendMode = c.second;
        DrawQuad(1);
        ASSERT_EQ(End(), GE_OK);
        const auto pixels = ReadBackBuffer();
        EXPECT_TRUE(Near(At(pixels, 40, 8), c.rgb, 1))
            << c.first << "/" << c.second << ": " << std::hex << (At(pixels, 40, 8) & kRgb);
        EXPECT_EQ(At(pixels, 56, 8) & kRgb, 0x0000FFu);
    }
    EXPECT_EQ(renderer->DoSetBlendMode(3), GE_OK);
}

TEST_F(Dx9Fixture, ScissorKeepsDrawingInsideItsRectangle)
{
    FillQuads({{0, 0, float(kSize), float(kSize)}});
    shader->SetTexture(MakeSolidTexture(0xFFFFFFFF));
    state.scissorEnabled = 1;
    const float rect[4] = {16, 8, 8, 4};
    std::memcpy(state.scissorRect, rect, sizeof rect);
    Begin(kBlue);
    DrawQuad(0);
    ASSERT_EQ(End(), GE_OK);
    const auto pixels = ReadBackBuffer();
    for (u32 y = 0; y < 20; ++y)
        for (u32 x = 0; x < 32; ++x) {
            const bool inside = x >= 16 && x < 24 && y >= 8 && y < 12;
            ASSERT_EQ(At(pixels, x, y) & kRgb, inside ? 0xFFFFFFu : 0x0000FFu) << x << "," << y;
        }

    // Off again: the whole quad.
    state.scissorEnabled = 0;
    Begin(kBlue);
    DrawQuad(0);
    ASSERT_EQ(End(), GE_OK);
    EXPECT_EQ(At(ReadBackBuffer(), 0, 0) & kRgb, 0xFFFFFFu);
}

// Red over the top half of a green target; the target drawn to the screen keeps
// red at the top.
TEST_F(Dx9Fixture, RenderTargetIsDrawnBackUpright)
{
    render::TextureDX9* target = MakeRenderTarget(32, 32);
    render::TextureDX9* white = MakeSolidTexture(0xFFFFFFFF);
    math::Matrix4 targetProjection;
    ASSERT_EQ(renderer->MakeOrthoProjection(32.0f, 32.0f, &targetProjection), GE_OK);
    FillQuads({{0, 0, 32, 16, 0xFFFF0000}, {0, 0, 32, 32}});

    const float green[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    ASSERT_EQ(renderer->BeginScene(), GE_OK);
    state.target = target;
    shader->SetMatrix(&targetProjection);
    shader->SetTexture(white);
    ASSERT_EQ(renderer->SetState(&state, true), GE_OK);
    ASSERT_EQ(renderer->Clear(green, 1.0f), GE_OK);
    DrawQuad(0);

    state.target = nullptr;
    shader->SetMatrix(&renderer->GetProjection());
    shader->SetTexture(target);
    ASSERT_EQ(renderer->SetState(&state, true), GE_OK);
    ASSERT_EQ(renderer->Clear(kBlue, 1.0f), GE_OK);
    DrawQuad(1);
    ASSERT_EQ(End(), GE_OK);

    std::vector<u32> inTarget;
    ASSERT_TRUE(D3D9Test_ReadSurface(target->GetSurface(), inTarget));
    ASSERT_EQ(inTarget.size(), 32u * 32u);
    EXPECT_EQ(inTarget[2 * 32 + 5] & kRgb, 0xFF0000u);
    EXPECT_EQ(inTarget[30 * 32 + 5] & kRgb, 0x00FF00u);

    const auto pixels = ReadBackBuffer();
    EXPECT_EQ(At(pixels, 5, 2) & kRgb, 0xFF0000u);
    EXPECT_EQ(At(pixels, 5, 14) & kRgb, 0xFF0000u);
    EXPECT_EQ(At(pixels, 5, 18) & kRgb, 0x00FF00u);
    EXPECT_EQ(At(pixels, 5, 30) & kRgb, 0x00FF00u);
    EXPECT_EQ(At(pixels, 40, 5) & kRgb, 0x0000FFu);
}

TEST_F(Dx9Fixture, IndexedDrawWithSixteenBitIndices)
{
    render::IndexBufferImpl* made = nullptr;
    ASSERT_EQ(renderer->CreateIndexBuffer(2, 6, true, &made), GE_OK);
    std::unique_ptr<render::IndexBufferImpl> indices(made);
    ASSERT_EQ(indices->GetIndexSize(), 2u);
    ASSERT_EQ(indices->Lock(), GE_OK);
    void* at = nullptr;
    u32 got = 0;
    ASSERT_EQ(indices->Take(6, &at, &got), GE_OK);
    // The second quad's six vertices.
    for (u16 i = 0; i < 6; ++i)
        static_cast<u16*>(at)[i] = u16(6 + i);
    ASSERT_EQ(indices->Unlock(), GE_OK);

    FillQuads({{0, 0, 8, 8}, {16, 16, 24, 24}});
    shader->SetTexture(MakeSolidTexture(0xFFFFFFFF));
    state.indexBuffer = indices.get();
    Begin(kBlue);
    ASSERT_EQ(renderer->SetState(&state, true), GE_OK);
    ASSERT_EQ(renderer->DrawIndexed(render::Render::TriangleList, 0, 2, 6, 6), GE_OK);
    ASSERT_EQ(End(), GE_OK);
    const auto pixels = ReadBackBuffer();
    EXPECT_EQ(At(pixels, 20, 20) & kRgb, 0xFFFFFFu);
    EXPECT_EQ(At(pixels, 4, 4) & kRgb, 0x0000FFu);
    state.indexBuffer = nullptr;
}

TEST_F(Dx9Fixture, BuiltinShadersComeWithTheRenderer)
{
    ASSERT_NE(renderer->GetGeomShader(), nullptr);
    ASSERT_NE(renderer->GetMultShader(), nullptr);
    ASSERT_NE(renderer->GetTintShader(), nullptr);
    for (render::Shader* builtin :
         {renderer->GetGeomShader(), static_cast<render::Shader*>(renderer->GetMultShader()),
          static_cast<render::Shader*>(renderer->GetTintShader())}) {
        EXPECT_TRUE(builtin->IsLoaded());
        EXPECT_NE(builtin->GetMatrixVariable(), nullptr);
    }
    resource::ResourceHandle<render::ShaderTextured> handle;
    ASSERT_EQ(renderer->GetTexturedTintShader(&handle), GE_OK);
    EXPECT_EQ(handle.Get(), renderer->GetTintShader());
    EXPECT_EQ(handle.UseCount(), 0);
    handle.Reset(); // no count: the renderer keeps its shader
    EXPECT_TRUE(renderer->GetTintShader()->IsLoaded());
}

// The tint program weighs the vertex colour by the specular green and the texture
// by the specular blue.
TEST_F(Dx9Fixture, TintShaderMixesVertexColourAndTexture)
{
    render::ShaderTextured* tint = renderer->GetTintShader();
    tint->SetMatrix(&renderer->GetProjection());
    tint->SetTexture(MakeSolidTexture(0xFF00FF00));
    state.shader = tint->GetProgram();
    struct Case {
        u32 specular, rgb;
    };
    const Case cases[] = {{0x000000FF, 0x00FF00}, {0x0000FF00, 0xFF0000}, {0x00008080, 0x808000}};
    for (const Case& c : cases) {
        Quad quad{0, 0, 8, 8, 0xFFFF0000};
        quad.specular = c.specular;
        FillQuads({quad});
        Begin(kBlue);
        DrawQuad(0);
        ASSERT_EQ(End(), GE_OK);
        EXPECT_TRUE(Near(At(ReadBackBuffer(), 4, 4), c.rgb, 1)) << std::hex << c.specular;
    }
    state.shader = shader->GetProgram();
}

TEST_F(Dx9Fixture, RenderTargetsOwnTheirTextureAndMayMapTheirOwnPixels)
{
    const size_t textureCount = renderer->GetTextures().size();
    render::RenderTarget* made = nullptr;
    ASSERT_EQ(renderer->CreateRenderTarget(16, 8, &made, 1), GE_OK);
    std::unique_ptr<render::RenderTarget> target(made);
    ASSERT_NE(target->GetTexture(), nullptr);
    EXPECT_EQ(target->GetWidth(), 16);
    EXPECT_EQ(target->GetHeight(), 8);
    math::Matrix4 expected;
    renderer->MakeOrthoProjection(16.0f, 8.0f, &expected);
    EXPECT_EQ(target->projection, expected);
    EXPECT_EQ(target->screenScaleX, 1.0f);
    EXPECT_EQ(target->screenOffsetX, 0.0f);
    EXPECT_EQ(renderer->GetTextures().size(), textureCount + 1);

    ASSERT_EQ(renderer->CreateRenderTarget(4, 4, &made, 0), GE_OK);
    std::unique_ptr<render::RenderTarget> plain(made);
    EXPECT_EQ(plain->projection, math::Matrix4::Identity());

    plain.reset();
    target.reset();
    EXPECT_EQ(renderer->GetTextures().size(), textureCount);

    made = nullptr;
    EXPECT_EQ(renderer->CreateRenderTarget(0, 4, &made, 0), GE_FAIL);
    D3D9Test_FailNext(device, D3D9TestCall::CreateTexture, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(renderer->CreateRenderTarget(4, 4, &made, 0), GE_FAIL);
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(renderer->GetTextures().size(), textureCount);
}

TEST(RenderDX9Primitive, TypesMapToDeviceTypesAndUnknownOnesDrawLists)
{
    const std::pair<u32, D3DPRIMITIVETYPE> cases[] = {
        {0, D3DPT_POINTLIST},     {1, D3DPT_LINELIST},
        {2, D3DPT_LINESTRIP},     {3, D3DPT_TRIANGLELIST},
        {4, D3DPT_TRIANGLESTRIP}, {5, D3DPT_TRIANGLEFAN},
        {6, D3DPT_TRIANGLELIST},  {0xFFFFFFFF, D3DPT_TRIANGLELIST},
    };
    for (auto [type, expected] : cases)
        EXPECT_EQ(render::RenderDX9::ToPrimitiveType(type), expected) << type;
}

// --- Present -----------------------------------------------------------------------

TEST_F(Dx9Fixture, PresentFailuresAreLoggedByCode)
{
    struct Case {
        HRESULT hr;
        const wchar_t* line; // null: no second line
    };
    const Case cases[] = {
        {D3DERR_DEVICELOST, L"\tD3DERR_DEVICELOST\n"},
        {D3DERR_DRIVERINTERNALERROR, L"\tD3DERR_DRIVERINTERNALERROR\n"},
        {D3DERR_INVALIDCALL, L"\tD3DERR_INVALIDCALL\n"},
        {D3DERR_OUTOFVIDEOMEMORY, L"\tD3DERR_OUTOFVIDEOMEMORY\n"},
        {E_OUTOFMEMORY, L"\tE_OUTOFMEMORY\n"},
        {E_FAIL, nullptr},
    };
    for (const Case& c : cases) {
        LogCapture log;
        D3D9Test_FailNext(device, D3D9TestCall::Present, c.hr);
        EXPECT_EQ(renderer->DoPresent(), GE_FAIL);
        EXPECT_EQ(log.Count(L"mDevice->Present failed\n"), 1);
        EXPECT_EQ(log.Lines(), c.line ? 2 : 1);
        if (c.line) {
            EXPECT_EQ(log.Count(c.line), 1);
        }
    }
    LogCapture log;
    EXPECT_EQ(renderer->DoPresent(), GE_OK);
    EXPECT_EQ(log.Lines(), 0);
}

// --- Device loss and reset ----------------------------------------------------------

size_t Find(const std::wstring& text, const std::wstring& needle, size_t from)
{
    return text.find(needle, from);
}

TEST_F(Dx9Fixture, LossAndResetRestoreDefaultPoolObjectsAndResumeDrawing)
{
    render::TextureDX9* managed = MakeSolidTexture(0xFFFF00FF);
    IDirect3DTexture9* managedDevice = managed->GetDeviceTexture();
    render::TextureDX9* target = MakeRenderTarget(32, 16);
    FillQuads({{0, 0, 8, 8}});
    shader->SetTexture(managed);
    Begin(kBlue);
    DrawQuad(0);
    ASSERT_EQ(End(), GE_OK);

    LogCapture log;
    D3D9Test_SetDeviceState(device, D3D9TestDeviceState::Lost);
    EXPECT_FALSE(renderer->CheckDevice());
    EXPECT_FALSE(renderer->CheckDevice()); // released once only
    EXPECT_TRUE(renderer->IsDeviceLost());
    EXPECT_EQ(log.Count(L"RenderDX9::LostDevice()\n"), 1);
    EXPECT_EQ(target->GetDeviceTexture(), nullptr);
    EXPECT_EQ(managed->GetDeviceTexture(), managedDevice);
    EXPECT_EQ(renderer->GetBackBuffer(), nullptr);

    D3D9Test_SetDeviceState(device, D3D9TestDeviceState::NotReset);
    EXPECT_FALSE(renderer->CheckDevice()); // the reset frame draws nothing
    EXPECT_FALSE(renderer->IsDeviceLost());

    const size_t lost = Find(log.text, L"RenderDX9::LostDevice()\n", 0);
    const size_t reset = Find(log.text, L"RenderDX9::ResetDevice()\n", lost);
    const size_t ok = Find(log.text, L"\tD3D_OK\n", reset);
    const size_t init = Find(log.text, L"RenderDX9::InitDeviceState()\n", ok);
    EXPECT_NE(lost, std::wstring::npos);
    EXPECT_NE(reset, std::wstring::npos);
    EXPECT_NE(ok, std::wstring::npos);
    EXPECT_NE(init, std::wstring::npos);

    // Managed textures survive untouched; targets come back at their size.
    EXPECT_EQ(managed->GetDeviceTexture(), managedDevice);
    ASSERT_NE(target->GetDeviceTexture(), nullptr);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(target->GetDeviceTexture()->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Height, 16u);
    EXPECT_EQ(target->GetWidth(), 32u);

    // Every variable of every program goes out again.
    ASSERT_FALSE(renderer->GetShaders().empty());
    for (render::ShaderImpl* program : renderer->GetShaders()) {
        EXPECT_TRUE(program->IsDirty());
        for (const auto& variable : program->GetVariables())
            EXPECT_TRUE(variable->IsDirty());
    }

    ASSERT_TRUE(renderer->CheckDevice());
    // Dynamic buffers come back empty: their users fill them again.
    FillQuads({{0, 0, 8, 8}});
    Begin(kBlue);
    DrawQuad(0);
    ASSERT_EQ(renderer->EndScene(), GE_OK);
    // The frame binds the program again and sends all of its variables.
    bool shaderBound = false;
    size_t variablesSent = 0;
    for (const test::DecodedCommand& command : test::Decode(renderer->GetCommandBuffer())) {
        if (command.code == u32(render::Command::SetShader))
            shaderBound |= command.Address(0) == u64(std::uintptr_t(shader->GetProgram()));
        if (command.code == u32(render::Command::ShaderVariables) &&
            command.Address(0) == u64(std::uintptr_t(shader->GetProgram())))
            variablesSent = command.At<u8>(8);
    }
    EXPECT_TRUE(shaderBound);
    EXPECT_EQ(variablesSent, shader->GetProgram()->GetVariables().size());
    ASSERT_EQ(renderer->ExecuteCommands(), GE_OK);
    const auto pixels = ReadBackBuffer();
    EXPECT_EQ(At(pixels, 4, 4) & kRgb, 0xFF00FFu);
    EXPECT_EQ(At(pixels, 12, 4) & kRgb, 0x0000FFu);
}

// One device call failing in the middle of a frame loses that frame only: the scene it
// opened on the device is ended, so the frames after it are drawn.
TEST_F(Dx9Fixture, AFrameCutShortByTheDeviceLeavesNoSceneOpen)
{
    shader->SetTexture(MakeSolidTexture(0xFF00FF00));
    const D3D9TestCall calls[] = {D3D9TestCall::Clear, D3D9TestCall::SetVertexShader,
                                  D3D9TestCall::SetStreamSource, D3D9TestCall::DrawPrimitive,
                                  D3D9TestCall::EndScene};
    const float kRed[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    for (D3D9TestCall call : calls) {
        SCOPED_TRACE(int(call));
        FillQuads({{0, 0, 8, 8}});
        renderer->InvalidateAppliedState(); // so that the frame sets every state
        D3D9Test_FailNext(device, call, E_FAIL);
        Begin(kBlue);
        DrawQuad(0);
        EXPECT_EQ(End(), GE_FAIL);
        for (const float* clear : {kRed, kBlue}) {
            FillQuads({{0, 0, 8, 8}});
            Begin(clear);
            DrawQuad(0);
            ASSERT_EQ(End(), GE_OK);
            const auto pixels = ReadBackBuffer();
            EXPECT_EQ(At(pixels, 4, 4) & kRgb, 0x00FF00u);
            EXPECT_EQ(At(pixels, 12, 4) & kRgb, clear == kRed ? 0xFF0000u : 0x0000FFu);
        }
    }
}

TEST_F(Dx9Fixture, CommandsRecordedBeforeALossAreDropped)
{
    FillQuads({{0, 0, 8, 8}});
    shader->SetTexture(MakeSolidTexture(0xFFFFFFFF));
    Begin(kBlue);
    DrawQuad(0);
    ASSERT_EQ(renderer->EndScene(), GE_OK);
    ASSERT_GT(renderer->GetCommandBuffer().Position(), 0u);
    renderer->LostDevice();
    EXPECT_EQ(renderer->GetCommandBuffer().Position(), 0u);
}

// A full-screen window that loses activation releases once and then waits; on its
// return the device is reset (whether or not the device says it needs it) before
// anything is drawn.
TEST_F(Dx9Fixture, InactiveFullScreenWindowReleasesOnceAndResetsOnReturn)
{
    for (D3D9TestDeviceState onReturn : {D3D9TestDeviceState::NotReset, D3D9TestDeviceState::Ok}) {
        render::TextureDX9* target = MakeRenderTarget(8, 8);
        LogCapture log;
        window->windowed = 0;
        window->active = 0;
        const auto start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < 3; ++frame)
            EXPECT_FALSE(renderer->CheckDevice());
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(log.Count(L"RenderDX9::LostDevice()\n"), 1);
        EXPECT_EQ(target->GetDeviceTexture(), nullptr);
        // Two of the three frames wait.
        EXPECT_GE(waited, std::chrono::milliseconds(150));

        window->active = 1;
        D3D9Test_SetDeviceState(device, onReturn);
        EXPECT_FALSE(renderer->CheckDevice());
        EXPECT_EQ(log.Count(L"RenderDX9::ResetDevice()\n"), 1);
        EXPECT_NE(target->GetDeviceTexture(), nullptr);
        EXPECT_TRUE(renderer->CheckDevice());
        window->windowed = 1;
    }
}

TEST_F(Dx9Fixture, MinimisedWindowSkipsFramesWithoutReleasingButSleeps)
{
    render::TextureDX9* target = MakeRenderTarget(8, 8);
    LogCapture log;
    window->minimized = 1;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(renderer->CheckDevice());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_EQ(log.Lines(), 0);
    EXPECT_NE(target->GetDeviceTexture(), nullptr);
    EXPECT_FALSE(renderer->IsDeviceLost());
    window->minimized = 0;
    EXPECT_TRUE(renderer->CheckDevice());
}

TEST_F(Dx9Fixture, ResetFailuresAreLoggedByCode)
{
    struct Case {
        HRESULT hr;
        const wchar_t* line;
    };
    const Case cases[] = {
        {D3DERR_DEVICELOST, L"\tD3DERR_DEVICELOST\n"},
        {D3DERR_DRIVERINTERNALERROR, L"\tD3DERR_DRIVERINTERNALERROR\n"},
        {D3DERR_OUTOFVIDEOMEMORY, L"\tD3DERR_OUTOFVIDEOMEMORY \n"},
        {D3DERR_INVALIDCALL, nullptr},
    };
    renderer->LostDevice();
    for (const Case& c : cases) {
        LogCapture log;
        D3D9Test_FailNext(device, D3D9TestCall::Reset, c.hr);
        EXPECT_EQ(renderer->ResetDevice(), GE_FAIL);
        EXPECT_EQ(log.Count(L"RenderDX9::ResetDevice()\n"), 1);
        EXPECT_EQ(log.Lines(), c.line ? 2 : 1);
        if (c.line) {
            EXPECT_EQ(log.Count(c.line), 1);
        }
    }
    EXPECT_EQ(renderer->ResetDevice(), GE_OK);
}

TEST_F(Dx9Fixture, ResetReportsAFailedDeviceStateSetUp)
{
    renderer->LostDevice();
    LogCapture log;
    D3D9Test_FailNext(device, D3D9TestCall::GetRenderTarget, D3DERR_INVALIDCALL);
    EXPECT_EQ(renderer->ResetDevice(), GE_FAIL);
    EXPECT_EQ(log.Count(L"\tD3D_OK\n"), 1);
    EXPECT_EQ(log.Count(L"RenderDX9::InitDeviceState()\n"), 1);
}

TEST_F(Dx9Fixture, ScreenModeSwitchResizesTheBackBufferAndProjection)
{
    render::TextureDX9* target = MakeRenderTarget(16, 16);
    ASSERT_EQ(renderer->PrepareSwitchScreenMode(), GE_OK);
    EXPECT_EQ(target->GetDeviceTexture(), nullptr);
    render::RenderInitParam param;
    param.width = 32;
    param.height = 48;
    param.windowed = 1;
    ASSERT_EQ(renderer->SwitchScreenMode(param), GE_OK);
    EXPECT_NE(target->GetDeviceTexture(), nullptr);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(renderer->GetBackBuffer()->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Height, 48u);
    math::Matrix4 expected;
    renderer->MakeOrthoProjection(32.0f, 48.0f, &expected);
    EXPECT_EQ(renderer->GetProjection(), expected);
    EXPECT_TRUE(renderer->CheckDevice());
}

// A clip rectangle in design units lands where the new mode puts the design screen:
// the back buffer's design-to-device transform is the one of the mode switched to.
TEST_F(Dx9Fixture, ScissorFollowsTheScreenTransformOfTheNewMode)
{
    FillQuads({{0, 0, float(kSize), float(kSize)}});
    shader->SetTexture(MakeSolidTexture(0xFFFFFFFF));
    state.scissorEnabled = 1;
    const float rect[4] = {4, 2, 8, 4};
    std::memcpy(state.scissorRect, rect, sizeof rect);
    Begin(kBlue);
    DrawQuad(0);
    ASSERT_EQ(End(), GE_OK);

    ASSERT_EQ(renderer->PrepareSwitchScreenMode(), GE_OK);
    render::RenderInitParam param;
    param.width = kSize;
    param.height = kSize;
    param.windowed = 1;
    param.useDefaultProjection = 1;
    param.screenOffsetX = 10.0f;
    param.screenOffsetY = 3.0f;
    ASSERT_EQ(renderer->SwitchScreenMode(param), GE_OK);
    FillQuads({{0, 0, float(kSize), float(kSize)}});
    Begin(kBlue);
    DrawQuad(0);
    ASSERT_EQ(End(), GE_OK);
    const auto pixels = ReadBackBuffer();
    for (u32 y = 0; y < 16; ++y)
        for (u32 x = 0; x < 32; ++x) {
            const bool inside = x >= 14 && x < 22 && y >= 5 && y < 9;
            ASSERT_EQ(At(pixels, x, y) & kRgb, inside ? 0xFFFFFFu : 0x0000FFu) << x << "," << y;
        }
}

TEST_F(Dx9Fixture, AFailedScreenModeSwitchIsRetriedBeforeDrawing)
{
    render::TextureDX9* target = MakeRenderTarget(16, 16);
    ASSERT_EQ(renderer->PrepareSwitchScreenMode(), GE_OK);
    render::RenderInitParam param;
    param.width = 40;
    param.height = 40;
    D3D9Test_FailNext(device, D3D9TestCall::Reset, D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(renderer->SwitchScreenMode(param), GE_FAIL);
    EXPECT_EQ(target->GetDeviceTexture(), nullptr);

    EXPECT_FALSE(renderer->CheckDevice()); // the reset again, no drawing
    EXPECT_NE(target->GetDeviceTexture(), nullptr);
    EXPECT_TRUE(renderer->CheckDevice());
    EXPECT_EQ(renderer->GetPresentParameters().BackBufferWidth, 40u);
}

// --- Start-up ------------------------------------------------------------------------

class RenderDX9Init : public ::testing::Test {
protected:
    void SetUp() override
    {
        D3D9Test_Adapter() = D3D9TestAdapter{};
        window = std::make_unique<TestWindow>(32, 32);
        ASSERT_NE(window->hwnd, nullptr);
        param.width = 32;
        param.height = 32;
    }
    void TearDown() override { D3D9Test_Adapter() = D3D9TestAdapter{}; }

    std::unique_ptr<TestWindow> window;
    render::RenderInitParam param;
};

TEST_F(RenderDX9Init, FillsCapsAndLogsTheTextureLimitsIntoTheLogFile)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("dx9-log-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::wstring folderText = folder.wstring() + L"/";
    auto& outputs = base::MainLog::Instance()->htmlOutputs;
    const size_t before = outputs.size();
    ASSERT_EQ(GetApplication()->InitLogFile(folderText), GE_OK);
    ASSERT_EQ(outputs.size(), before + 1);

    D3DCAPS9 caps{};
    {
        render::RenderDX9 renderer;
        ASSERT_EQ(renderer.InitRender(window.get(), param), GE_OK);
        ASSERT_EQ(renderer.GetD3D()->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
        const render::RenderCaps& got = renderer.GetCaps();
        EXPECT_EQ(got.maxTextureWidth, caps.MaxTextureWidth);
        EXPECT_EQ(got.maxVertexIndex, caps.MaxVertexIndex);
        EXPECT_EQ(got.vertexShader1, 1);
        EXPECT_EQ(got.pixelShader2, 1);
        EXPECT_EQ(got.scissorTest, 1);
        EXPECT_EQ(renderer.GetPresentParameters().PresentationInterval, D3DPRESENT_INTERVAL_ONE);
        EXPECT_EQ(renderer.GetPresentParameters().AutoDepthStencilFormat, D3DFMT_D24S8);
    }
    HtmlLogWrapper* wrapper = outputs.back();
    outputs.pop_back();
    delete wrapper;

    std::ifstream file(folder / "log.html");
    std::stringstream text;
    text << file.rdbuf();
    const std::string html = text.str();
    EXPECT_NE(html.find("Max texture Width: " + std::to_string(caps.MaxTextureWidth)), std::string::npos);
    EXPECT_NE(html.find("Max texture Height: " + std::to_string(caps.MaxTextureHeight)), std::string::npos);
    std::filesystem::remove_all(folder);
}

TEST_F(RenderDX9Init, RefusedDevicesFailWithAReason)
{
    struct Case {
        const char* what;
        std::function<void(D3DCAPS9&)> edit;
        const wchar_t* logged;
    };
    const Case cases[] = {
        {"too few vertices", [](D3DCAPS9& c) { c.MaxVertexIndex = 0xFFFE; }, L"65535"},
        {"no scissor test", [](D3DCAPS9& c) { c.RasterCaps &= ~D3DPRASTERCAPS_SCISSORTEST; }, L"scissor"},
    };
    for (const Case& c : cases) {
        D3D9Test_Adapter().editCaps = c.edit;
        LogCapture log;
        render::RenderDX9 renderer;
        EXPECT_EQ(renderer.InitRender(window.get(), param), GE_FAIL) << c.what;
        EXPECT_EQ(log.Count(c.logged), 1) << c.what;
    }
}

TEST_F(RenderDX9Init, OldShaderModelsStopTheApplication)
{
    D3D9Test_Adapter().editCaps = [](D3DCAPS9& c) { c.PixelShaderVersion = D3DPS_VERSION(1, 4); };
    app::Application* application = GetApplication();
    application->directXFailed = 0;
    render::RenderDX9 renderer;
    EXPECT_EQ(renderer.InitRender(window.get(), param), GE_FAIL);
    EXPECT_EQ(application->directXFailed, 1);
    application->directXFailed = 0;
}

// InitRender refuses such a device; should one get this far, scissor calls do nothing.
TEST_F(RenderDX9Init, ScissorCallsWithoutTheCapabilityDoNothing)
{
    struct NoScissorRender : render::RenderDX9 {
        void DropScissor() { caps.scissorTest = 0; }
    };
    NoScissorRender renderer;
    ASSERT_EQ(renderer.InitRender(window.get(), param), GE_OK);
    renderer.DropScissor();
    IDirect3DDevice9* device = renderer.GetDevice();
    const RECT before{1, 2, 3, 4};
    ASSERT_EQ(device->SetScissorRect(&before), D3D_OK);
    EXPECT_EQ(renderer.DoEnableScissor(1), GE_OK);
    const int rect[4] = {5, 6, 7, 8};
    EXPECT_EQ(renderer.DoSetScissorRect(rect), GE_OK);
    DWORD enabled = 7;
    ASSERT_EQ(device->GetRenderState(D3DRS_SCISSORTESTENABLE, &enabled), D3D_OK);
    EXPECT_EQ(enabled, 0u);
    RECT after{};
    ASSERT_EQ(device->GetScissorRect(&after), D3D_OK);
    EXPECT_EQ(after.right, 3);
}

TEST_F(RenderDX9Init, ASecondStartReplacesTheFirst)
{
    render::RenderDX9 renderer;
    ASSERT_EQ(renderer.InitRender(window.get(), param), GE_OK);
    ASSERT_EQ(renderer.InitRender(window.get(), param), GE_OK);
    EXPECT_NE(renderer.GetDevice(), nullptr);
    EXPECT_EQ(renderer.GetShaders().size(), 3u); // the built-in programs, once
    EXPECT_TRUE(renderer.CheckDevice());
}

TEST_F(RenderDX9Init, SoftwareVertexProcessingIsTheOneFallback)
{
    D3D9Test_Adapter().failHardwareDevices = 1;
    {
        render::RenderDX9 renderer;
        EXPECT_EQ(renderer.InitRender(window.get(), param), GE_OK);
    }
    D3D9Test_Adapter().failHardwareDevices = 1;
    D3D9Test_Adapter().failSoftwareDevices = 1;
    render::RenderDX9 renderer;
    EXPECT_EQ(renderer.InitRender(window.get(), param), GE_FAIL);
    EXPECT_EQ(renderer.GetDevice(), nullptr);
}

} // namespace
