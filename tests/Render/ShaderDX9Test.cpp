// Shader programs on the Direct3D 9 device: the built-in texts, compilation
// failures, variables, shader folders loaded as resources, and the enemy shader
// from the generated content.
#include "Core/Render/DX9/ShaderImplDX9.h"
#include "Core/Render/DX9/ShaderVariableImplDX9.h"
#include "Core/Render/Shaders/DX9/BuiltinShaders.h"
#include "Core/Resource/ResourceManager.h"
#include "Source/TD/TMobShader.h"
#include "tests/Support/LogCapture.h"
#include "tests/Render/Dx9TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace dx9test;

namespace {

using ShaderDX9Test = Dx9Fixture;

TEST(BuiltinShaderTexts, StartWithTheirNames)
{
    const std::pair<const char*, const char*> texts[] = {
        {render::gVertexShaderGeomText, "//gVertexShaderGeomText\n"},
        {render::gPixelShaderGeomText, "//gPixelShaderGeomText\n"},
        {render::gVertexShaderTexturedMultText, "//gVertexShaderTexturedMultText\n"},
        {render::gPixelShaderTexturedMultText, "//gPixelShaderTexturedMultText\n"},
        {render::gVertexShaderTexturedTintText, "//gVertexShaderTexturedTintText\n"},
        {render::gPixelShaderTexturedTintText, "//gPixelShaderTexturedTintText\n"},
    };
    for (auto [text, first] : texts)
        EXPECT_EQ(std::string(text).rfind(first, 0), 0u) << first;
}

TEST_F(ShaderDX9Test, BuiltinProgramsCompileWithTheirVariables)
{
    using Maker = GEResultEnum (render::RenderDX9::*)(render::ShaderImpl**);
    const std::pair<Maker, bool> makers[] = {
        {&render::RenderDX9::CreateGeomShader, false},
        {&render::RenderDX9::CreateTexturedMultShader, true},
        {&render::RenderDX9::CreateTexturedTintShader, true},
    };
    for (auto [make, textured] : makers) {
        render::ShaderImpl* program = nullptr;
        ASSERT_EQ((renderer.get()->*make)(&program), GE_OK);
        std::unique_ptr<render::Shader> shaderObject;
        if (textured)
            shaderObject = std::make_unique<render::ShaderTextured>(program, renderer.get());
        else
            shaderObject = std::make_unique<render::Shader>(program, renderer.get());
        EXPECT_TRUE(shaderObject->IsLoaded());
        EXPECT_EQ(shaderObject->InitVariables(), GE_OK);
        auto* matrix =
            static_cast<render::ShaderScalarVariableImplDX9*>(shaderObject->GetMatrixVariable()->GetImpl());
        EXPECT_TRUE(matrix->IsBound());
    }
}

TEST_F(ShaderDX9Test, FailedCompilationLogsTheCompilerAndLeavesTheOutput)
{
    const size_t programs = renderer->GetShaders().size();
    const std::pair<std::string, std::string> broken[] = {
        {"this is not HLSL", render::gPixelShaderGeomText},
        {render::gVertexShaderGeomText, "float4 pixel_shader( : COLOR0 { return 0; }"},
        {render::gVertexShaderGeomText, ""},
    };
    for (const auto& [vertexText, pixelText] : broken) {
        LogCapture log;
        auto* sentinel = reinterpret_cast<render::ShaderImpl*>(std::uintptr_t(0x1234));
        render::ShaderImpl* out = sentinel;
        EXPECT_EQ(renderer->CreateShader(vertexText, pixelText, &out), GE_FAIL);
        EXPECT_EQ(out, sentinel);
        // The compiler's own message, not merely that it failed.
        EXPECT_GE(log.Lines(), 1);
        EXPECT_EQ(log.Count(L"failed to compile"), 0) << log.text.c_str();
        EXPECT_EQ(renderer->GetShaders().size(), programs);
    }
}

// A variable exists only for a constant its stage declares: one the program lacks
// would fail every frame that sets it.
TEST_F(ShaderDX9Test, ScalarVariablesExistOnlyForConstantsOfTheirStage)
{
    auto* program = static_cast<render::ShaderImplDX9*>(shader->GetProgram());
    const math::Matrix4 matrix = math::Matrix4::Identity();
    struct Case {
        const char* name;
        u32 stage;
        bool bound;
    };
    const Case cases[] = {{"Proj", 0, true}, {"Proj", 1, false}, {"Nope", 0, false}, {"Proj", 2, false}};
    for (const Case& c : cases) {
        auto variable = program->CreateScalarVariable(c.name, c.stage);
        EXPECT_EQ(variable != nullptr, c.bound) << c.name << c.stage;
        if (variable) {
            EXPECT_EQ(variable->SetMatrix(&matrix), GE_OK);
        }
        LogCapture log;
        render::ShaderScalarVariable<math::Point4, 1>* vector = nullptr;
        EXPECT_EQ(program->GetVectorVariable(c.name, c.stage, &vector), c.bound ? GE_OK : GE_FAIL);
        EXPECT_EQ(vector != nullptr, c.bound);
        EXPECT_EQ(log.Count(std::wstring(c.name, c.name + 4)), c.bound ? 0 : 1) << log.text.c_str();
    }
    EXPECT_EQ(program->CreateTextureVariable("NoSampler"), nullptr);
}

TEST_F(ShaderDX9Test, TheSameTextureTwiceMarksNothing)
{
    render::TextureDX9* first = MakeSolidTexture(0xFFFFFFFF);
    render::TextureDX9* second = MakeSolidTexture(0xFF000000);
    render::ShaderImpl* program = shader->GetProgram();
    auto settle = [program] {
        render::CommandBuffer sink;
        ASSERT_EQ(program->WriteVariables(sink), GE_OK);
    };
    shader->SetTexture(first);
    EXPECT_TRUE(program->IsDirty());
    settle();
    ASSERT_FALSE(program->IsDirty());

    EXPECT_EQ(shader->SetTexture(first), GE_OK);
    EXPECT_FALSE(program->IsDirty());
    EXPECT_FALSE(shader->GetTextureVariable()->IsDirty());

    EXPECT_EQ(shader->SetTexture(second), GE_OK);
    EXPECT_TRUE(program->IsDirty());
    EXPECT_TRUE(shader->GetTextureVariable()->IsDirty());
}

// --- Shader folders --------------------------------------------------------------

class ShaderFolder : public Dx9Fixture {
protected:
    void SetUp() override
    {
        Dx9Fixture::SetUp();
        folder = std::filesystem::temp_directory_path() / ("dx9-shaders-" + std::to_string(getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(folder);
        Dx9Fixture::TearDown();
    }
    void Write(const char* file, const std::string& text)
    {
        std::ofstream(folder / file, std::ios::binary) << text;
    }
    // The resource name is the folder, ending in '/'.
    std::wstring Name() const { return folder.wstring() + L"/"; }

    template <class T> GEResultEnum Load(T& loaded)
    {
        loaded.name = Name();
        loaded.SetRenderer(renderer.get());
        return loaded.Load();
    }

    std::filesystem::path folder;
};

TEST_F(ShaderFolder, LoadsVsAndPsFromTheFolder)
{
    Write("VS.hlsl", render::gVertexShaderTexturedMultText);
    Write("PS.hlsl", render::gPixelShaderTexturedMultText);
    render::ShaderTextured loaded;
    ASSERT_EQ(Load(loaded), GE_OK);
    EXPECT_TRUE(loaded.IsLoaded());
    ASSERT_NE(loaded.GetProgram(), nullptr);
    EXPECT_NE(loaded.GetMatrixVariable(), nullptr);
    EXPECT_NE(loaded.GetTextureVariable(), nullptr);
    ASSERT_EQ(loaded.UnLoad(), GE_OK);
    EXPECT_EQ(loaded.GetProgram(), nullptr);
}

TEST_F(ShaderFolder, AMissingFileFailsTheLoad)
{
    for (const char* missing : {"PS.hlsl", "VS.hlsl"}) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        if (std::string(missing) != "VS.hlsl")
            Write("VS.hlsl", render::gVertexShaderTexturedMultText);
        if (std::string(missing) != "PS.hlsl")
            Write("PS.hlsl", render::gPixelShaderTexturedMultText);
        LogCapture log;
        render::Shader loaded;
        EXPECT_EQ(Load(loaded), GE_FAIL) << missing;
        EXPECT_FALSE(loaded.IsLoaded());
        EXPECT_EQ(loaded.GetProgram(), nullptr);
        EXPECT_EQ(log.Count(std::wstring(missing, missing + 7)), 1) << missing;
    }
}

TEST_F(ShaderFolder, ATexturedShaderNeedsItsSampler)
{
    Write("VS.hlsl", render::gVertexShaderGeomText);
    Write("PS.hlsl", render::gPixelShaderGeomText);
    render::Shader plain;
    EXPECT_EQ(Load(plain), GE_OK);
    LogCapture log;
    render::ShaderTextured textured;
    EXPECT_EQ(Load(textured), GE_FAIL);
    EXPECT_FALSE(textured.IsLoaded());
    EXPECT_EQ(textured.GetProgram(), nullptr);
    EXPECT_EQ(log.Count(L"TextureSampler"), 1);
}

TEST_F(ShaderFolder, AShaderWithoutItsProjectionFailsTheLoad)
{
    std::string vertexText = render::gVertexShaderTexturedMultText;
    for (size_t at = vertexText.find("Proj"); at != std::string::npos; at = vertexText.find("Proj", at))
        vertexText.replace(at, 4, "View");
    Write("VS.hlsl", vertexText);
    Write("PS.hlsl", render::gPixelShaderTexturedMultText);
    for (bool textured : {false, true}) {
        LogCapture log;
        std::unique_ptr<render::Shader> loaded;
        if (textured)
            loaded = std::make_unique<render::ShaderTextured>();
        else
            loaded = std::make_unique<render::Shader>();
        EXPECT_EQ(Load(*loaded), GE_FAIL) << textured;
        EXPECT_FALSE(loaded->IsLoaded());
        EXPECT_EQ(loaded->GetProgram(), nullptr);
        EXPECT_EQ(log.Count(L"\"Proj\""), 1) << log.text.c_str();
    }
}

TEST_F(ShaderFolder, LoadingWithoutARendererFails)
{
    Write("VS.hlsl", render::gVertexShaderTexturedMultText);
    Write("PS.hlsl", render::gPixelShaderTexturedMultText);
    render::ShaderTextured plain;
    plain.name = Name();
    EXPECT_EQ(plain.Load(), GE_FAIL);

    TMobShader mob;
    mob.name = Name();
    LogCapture log;
    EXPECT_EQ(mob.Load(), GE_FAIL);
    EXPECT_FALSE(mob.IsLoaded());
    EXPECT_EQ(log.Lines(), 1);
}

TEST_F(ShaderFolder, AnEnemyShaderWithoutColor2StaysUnloaded)
{
    Write("VS.hlsl", render::gVertexShaderTexturedMultText);
    Write("PS.hlsl", render::gPixelShaderTexturedMultText);
    LogCapture log;
    TMobShader mob;
    EXPECT_EQ(Load(mob), GE_FAIL);
    EXPECT_FALSE(mob.IsLoaded());
    EXPECT_EQ(log.Count(L"color2"), 1);
}

// --- The enemy shader of the generated content ----------------------------------------

class MobShaderContent : public Dx9Fixture {
protected:
    void SetUp() override
    {
        Dx9Fixture::SetUp();
        previous = std::filesystem::current_path();
        std::filesystem::current_path(std::filesystem::path(GE_BINARY_DIR) / "content");
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous);
        Dx9Fixture::TearDown();
    }
    std::filesystem::path previous;
};

// The enemy shader is the renderer's textured-multiply pair with a tint: below its
// title line the vertex program is the renderer's, and the pixel program is too once
// the tint's declaration and its one factor are taken out.
TEST(MobShaderText, IsTheBuiltinTexturedMultiplyPairWithATint)
{
    const auto read = [](const char* name) {
        std::ifstream in(std::filesystem::path(GE_BINARY_DIR) / "content" / TMobShader::kFolder / name,
                         std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const auto body = [](std::string text) { return text.substr(std::min(text.find('\n'), text.size())); };
    const auto remove = [](std::string text, const std::string& part) {
        const size_t at = text.find(part);
        EXPECT_NE(at, std::string::npos) << part;
        return at == std::string::npos ? text : text.erase(at, part.size());
    };
    const std::string vertex = read("VS.hlsl");
    const std::string pixel = read("PS.hlsl");
    ASSERT_FALSE(vertex.empty());
    ASSERT_FALSE(pixel.empty());
    EXPECT_EQ(body(vertex), body(render::gVertexShaderTexturedMultText));
    std::string untinted = remove(pixel, "*color2");
    untinted = remove(untinted, "// The unit's tint: multiplies colour and opacity; white changes nothing.\n"
                                "float4 color2;\n\n");
    EXPECT_EQ(body(untinted), body(render::gPixelShaderTexturedMultText));
}

TEST_F(MobShaderContent, LoadsThroughTheResourceManagerAndTintsWithColor2)
{
    resource::ResourceHandle<TMobShader> mob =
        resource::ResourceManager::Get<TMobShader>(TMobShader::kFolder);
    ASSERT_TRUE(mob);
    mob->SetRenderer(renderer.get());
    ASSERT_EQ(mob->Load(), GE_OK);

    // "color2" comes before "Proj" and "TextureSampler".
    const auto& variables = mob->GetProgram()->GetVariables();
    ASSERT_EQ(variables.size(), 3u);
    EXPECT_EQ(variables[0].get(), mob->GetColor2());
    EXPECT_EQ(variables[1].get(), mob->GetMatrixVariable());
    EXPECT_EQ(variables[2].get(), mob->GetTextureVariable());

    mob->SetMatrix(&renderer->GetProjection());
    mob->SetTexture(MakeSolidTexture(0xFFFFFFFF));
    state.shader = mob->GetProgram();
    FillQuads({{0, 0, 8, 8}, {8, 0, 16, 8}, {16, 0, 24, 8}});
    struct Step {
        math::Point4 color2;
        u32 quad;
    };
    const Step steps[] = {{{1, 1, 1, 1}, 0}, {{1, 0, 0, 1}, 1}, {{0, 0.5f, 1, 1}, 2}};
    Begin(kBlue);
    for (const Step& s : steps) {
        mob->SetColor2(s.color2);
        DrawQuad(s.quad);
    }
    ASSERT_EQ(End(), GE_OK);
    const auto pixels = ReadBackBuffer();
    EXPECT_EQ(At(pixels, 4, 4) & 0xFFFFFF, 0xFFFFFFu); // white leaves the sprite as it is
    EXPECT_EQ(At(pixels, 12, 4) & 0xFFFFFF, 0xFF0000u);
    EXPECT_TRUE(Near(At(pixels, 20, 4), 0x0080FF, 1));

    // The manager gives the same shader again; the last handle unloads it.
    resource::ResourceHandle<TMobShader> again =
        resource::ResourceManager::Get<TMobShader>(TMobShader::kFolder);
    EXPECT_EQ(again.Get(), mob.Get());
    again.Reset();
    state.shader = shader->GetProgram();
    mob.Reset();
}

} // namespace
