// The shader compiler stand-in on its own: no device or window needed.
#include "Core/Render/Shaders/DX9/BuiltinShaders.h"
#include "Platform/D3D9/ShaderCode.h"
#include "Platform/D3DX9/D3DX9.h"
#include "Platform/D3DX9/D3DX9TestHooks.h"
#include "Platform/D3DX9/HlslShim.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Compiled {
    HRESULT hr = E_FAIL;
    ID3DXBuffer* code = nullptr;
    ID3DXConstantTable* table = nullptr;
    std::string messages;

    ~Compiled()
    {
        if (code)
            code->Release();
        if (table)
            table->Release();
    }
};

void CompileInto(Compiled& out, const std::string& text, const char* entry, const char* profile,
                 const D3DXMACRO* defines = nullptr)
{
    ID3DXBuffer* errors = nullptr;
    out.hr = D3DXCompileShader(text.c_str(), static_cast<UINT>(text.size()), defines, nullptr, entry, profile,
                               D3DXSHADER_DEBUG, &out.code, &errors, &out.table);
    if (errors) {
        out.messages = static_cast<const char*>(errors->GetBufferPointer());
        errors->Release();
    }
}

struct BuiltinCase {
    const char* name;
    const char* text;
    bool vertex;
    bool samples;
};

const BuiltinCase kBuiltins[] = {
    {"geometry vertex", render::gVertexShaderGeomText, true, false},
    {"geometry pixel", render::gPixelShaderGeomText, false, false},
    {"multiply vertex", render::gVertexShaderTexturedMultText, true, false},
    {"multiply pixel", render::gPixelShaderTexturedMultText, false, true},
    {"tint vertex", render::gVertexShaderTexturedTintText, true, false},
    {"tint pixel", render::gPixelShaderTexturedTintText, false, true},
};

TEST(D3DX9Compile, BuiltinProgramsCompileAndExposeTheirConstantsByName)
{
    for (const BuiltinCase& c : kBuiltins) {
        SCOPED_TRACE(c.name);
        Compiled r;
        CompileInto(r, c.text, c.vertex ? "vertex_shader" : "pixel_shader", c.vertex ? "vs_1_1" : "ps_2_0");
        ASSERT_EQ(r.hr, D3D_OK) << r.messages;
        ASSERT_NE(r.code, nullptr);
        ASSERT_NE(r.table, nullptr);
        EXPECT_GT(r.code->GetBufferSize(), 0u);

        D3DXCONSTANT_DESC desc{};
        UINT count = 1;
        if (c.vertex) {
            D3DXHANDLE proj = r.table->GetConstantByName(nullptr, "Proj");
            ASSERT_NE(proj, nullptr);
            ASSERT_EQ(r.table->GetConstantDesc(proj, &desc, &count), D3D_OK);
            EXPECT_STREQ(desc.Name, "Proj");
            EXPECT_EQ(desc.RegisterSet, D3DXRS_FLOAT4);
            EXPECT_EQ(desc.RegisterCount, 4u);
            EXPECT_EQ(desc.Class, D3DXPC_MATRIX_COLUMNS);
            EXPECT_EQ(desc.Rows, 4u);
            EXPECT_EQ(desc.Columns, 4u);
        }
        D3DXHANDLE sampler = r.table->GetConstantByName(nullptr, "TextureSampler");
        if (c.samples) {
            ASSERT_NE(sampler, nullptr);
            ASSERT_EQ(r.table->GetConstantDesc(sampler, &desc, &count), D3D_OK);
            EXPECT_EQ(desc.RegisterSet, D3DXRS_SAMPLER);
            EXPECT_EQ(desc.RegisterIndex, 0u);
            EXPECT_EQ(desc.Type, D3DXPT_SAMPLER2D);
            // The texture object and the sampler's states are not constants.
            EXPECT_EQ(r.table->GetConstantByName(nullptr, "g_MeshTexture"), nullptr);
        } else {
            EXPECT_EQ(sampler, nullptr);
        }
        EXPECT_EQ(r.table->GetConstantByName(nullptr, "NoSuchConstant"), nullptr);
    }
}

TEST(D3DX9Compile, ConstantsAreLaidOutOnConsecutiveRegistersAndSetOnlyThroughTheirHandles)
{
    const std::string text = "float4x4 World;\n"
                             "float4 Tint;\n"
                             "float Fade;\n"
                             "float4 vertex_shader(float4 p : POSITION) : POSITION\n"
                             "{ return mul(p, World) * Tint * Fade; }\n";
    Compiled r;
    CompileInto(r, text, "vertex_shader", "vs_1_1");
    ASSERT_EQ(r.hr, D3D_OK) << r.messages;

    D3DXCONSTANTTABLE_DESC tableDesc{};
    ASSERT_EQ(r.table->GetDesc(&tableDesc), D3D_OK);
    ASSERT_EQ(tableDesc.Constants, 3u);
    struct Expect {
        const char* name;
        UINT reg, count;
        D3DXPARAMETER_CLASS cls;
    };
    const Expect expected[] = {
        {"World", 0, 4, D3DXPC_MATRIX_COLUMNS}, {"Tint", 4, 1, D3DXPC_VECTOR}, {"Fade", 5, 1, D3DXPC_SCALAR}};
    for (UINT i = 0; i < 3; ++i) {
        D3DXHANDLE byIndex = r.table->GetConstant(nullptr, i);
        EXPECT_EQ(byIndex, r.table->GetConstantByName(nullptr, expected[i].name));
        D3DXCONSTANT_DESC desc{};
        UINT count = 1;
        ASSERT_EQ(r.table->GetConstantDesc(byIndex, &desc, &count), D3D_OK);
        EXPECT_STREQ(desc.Name, expected[i].name);
        EXPECT_EQ(desc.RegisterIndex, expected[i].reg);
        EXPECT_EQ(desc.RegisterCount, expected[i].count);
        EXPECT_EQ(desc.Class, expected[i].cls);
    }
    EXPECT_EQ(r.table->GetConstant(nullptr, 3), nullptr);

    // A null or foreign handle is refused, never dereferenced.
    D3DXCONSTANT_DESC desc{};
    UINT count = 1;
    EXPECT_EQ(r.table->GetConstantDesc(nullptr, &desc, &count), D3DERR_INVALIDCALL);
    EXPECT_EQ(r.table->GetConstantDesc("World", &desc, &count), D3DERR_INVALIDCALL);
    D3DXMATRIX m{};
    EXPECT_EQ(r.table->SetMatrix(nullptr, r.table->GetConstantByName(nullptr, "World"), &m),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(r.table->SetFloat(nullptr, nullptr, 1.0f), D3DERR_INVALIDCALL);
}

TEST(D3DX9Compile, ErrorsFailWithTheCompilersMessageAtTheAuthorsLine)
{
    // The sampler_state block spans several lines before the fault on line 9.
    const std::string text = "texture g_Tex;\n"                                      // 1
                             "sampler S = sampler_state\n"                           // 2
                             "{\n"                                                   // 3
                             "    Texture = <g_Tex>;\n"                              // 4
                             "    MinFilter = LINEAR;\n"                             // 5
                             "};\n"                                                  // 6
                             "float4 pixel_shader(float2 uv : TEXCOORD0) : COLOR0\n" // 7
                             "{\n"                                                   // 8
                             "    return tex2D(S, uv) * undeclaredThing;\n"          // 9
                             "}\n";
    Compiled r;
    CompileInto(r, text, "pixel_shader", "ps_2_0");
    EXPECT_TRUE(FAILED(r.hr));
    EXPECT_EQ(r.code, nullptr);
    EXPECT_EQ(r.table, nullptr);
    EXPECT_NE(r.messages.find("undeclaredThing"), std::string::npos) << r.messages;
    EXPECT_NE(r.messages.find(":9:"), std::string::npos) << r.messages;
}

TEST(D3DX9Compile, RefusesWhatItCannotCompile)
{
    const std::string ok = "float4 vertex_shader(float4 p : POSITION) : POSITION { return p; }\n";
    struct Case {
        const char* what;
        const char* entry;
        const char* profile;
    };
    const Case cases[] = {
        {"unknown profile", "vertex_shader", "vs_9_9"},
        {"missing entry point", "main", "vs_1_1"},
        {"effect profile", "vertex_shader", "fx_2_0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Compiled r;
        CompileInto(r, ok, c.entry, c.profile);
        EXPECT_TRUE(FAILED(r.hr));
        EXPECT_EQ(r.code, nullptr);
        EXPECT_FALSE(r.messages.empty());
    }
    ID3DXBuffer* code = nullptr;
    EXPECT_EQ(D3DXCompileShader(ok.c_str(), static_cast<UINT>(ok.size()), nullptr, nullptr, nullptr, "vs_1_1",
                                0, &code, nullptr, nullptr),
              D3DERR_INVALIDCALL);
}

TEST(D3DX9Compile, MacrosAreDefinedAndLineNumbersKept)
{
    const D3DXMACRO defines[] = {{"SCALE", "0.5"}, {"BROKEN", nullptr}, {nullptr, nullptr}};
    Compiled good;
    CompileInto(good, "float4 vertex_shader(float4 p : POSITION) : POSITION { return p * SCALE; }\n",
                "vertex_shader", "vs_1_1", defines);
    EXPECT_EQ(good.hr, D3D_OK) << good.messages;

    Compiled bad;
    CompileInto(bad, "float4 vertex_shader(float4 p : POSITION) : POSITION\n{\n    return p * missing;\n}\n",
                "vertex_shader", "vs_1_1", defines);
    EXPECT_TRUE(FAILED(bad.hr));
    EXPECT_NE(bad.messages.find(":3:"), std::string::npos) << bad.messages;
}

// ---- The front end's own process ----

const char* const kValidVertex =
    "float4 Tint;\n"
    "float4 vertex_shader(float4 p : POSITION) : POSITION { return p * Tint; }\n";

// Compiles a valid shader, checks what came out, and returns the compiler process's id.
int CompileValid()
{
    Compiled r;
    CompileInto(r, kValidVertex, "vertex_shader", "vs_2_0");
    EXPECT_EQ(r.hr, D3D_OK) << r.messages;
    EXPECT_NE(r.code, nullptr);
    EXPECT_TRUE(r.table && r.table->GetConstantByName(nullptr, "Tint")) << "the constant table lacks Tint";
    return D3DX9Test_FrontEndProcess();
}

// True once the process is gone and reaped: a zombie would still take signal 0.
bool Reaped(int pid)
{
    return kill(pid, 0) != 0 && errno == ESRCH;
}

TEST(D3DX9FrontEnd, OneCompilerProcessServesCompileAfterCompile)
{
    const int first = CompileValid();
    EXPECT_GT(first, 0);
    EXPECT_NE(first, getpid());
    EXPECT_EQ(CompileValid(), first);
}

// Texts on which glslang's HLSL front end reads through a null pointer.
struct FrontEndFault {
    const char* what;
    const char* text;
};
const FrontEndFault kFrontEndFaults[] = {
    {"bare in", "in"},
    {"bare inout", "inout"},
    {"bare out", "out"},
    {"nameless global in float", "in float;"},
    {"global redeclared with another type", "float2 TuTv;float TuTv"},
};

TEST(D3DX9FrontEnd, ACrashFailsThatCompileWithAMessageAndTheNextCompileGetsANewProcess)
{
    for (const FrontEndFault& f : kFrontEndFaults)
        for (const bool vertex : {true, false}) {
            SCOPED_TRACE(std::string(f.what) + (vertex ? " (vertex)" : " (pixel)"));
            const int before = CompileValid();
            Compiled bad;
            CompileInto(bad, f.text, vertex ? "vertex_shader" : "pixel_shader", vertex ? "vs_2_0" : "ps_2_0");
            EXPECT_TRUE(FAILED(bad.hr));
            EXPECT_EQ(bad.code, nullptr);
            EXPECT_EQ(bad.table, nullptr);
            EXPECT_NE(bad.messages.find("error: the HLSL front end ended abnormally"), std::string::npos)
                << bad.messages;
            EXPECT_TRUE(Reaped(before));
            const int after = CompileValid();
            EXPECT_GT(after, 0);
            EXPECT_NE(after, before);
        }
}

TEST(D3DX9FrontEnd, AProcessKilledBetweenCompilesIsReplacedWithoutFailingACompile)
{
    const int before = CompileValid();
    ASSERT_GT(before, 0);
    ASSERT_EQ(kill(before, SIGKILL), 0);
    const int after = CompileValid();
    EXPECT_NE(after, before);
    EXPECT_TRUE(Reaped(before));
}

TEST(D3DX9FrontEnd, ACompileWithoutAnAnswerInTimeFailsAndEndsTheProcess)
{
    struct RestoreLimit {
        ~RestoreLimit() { D3DX9Test_SetFrontEndTimeLimit(std::chrono::seconds(20)); }
    } restore;
    const int stuck = CompileValid();
    ASSERT_GT(stuck, 0);
    ASSERT_EQ(kill(stuck, SIGSTOP), 0);
    D3DX9Test_SetFrontEndTimeLimit(std::chrono::milliseconds(300));
    Compiled r;
    CompileInto(r, kValidVertex, "vertex_shader", "vs_2_0");
    EXPECT_TRUE(FAILED(r.hr));
    EXPECT_NE(r.messages.find("did not finish this shader"), std::string::npos) << r.messages;
    EXPECT_TRUE(Reaped(stuck));
    D3DX9Test_SetFrontEndTimeLimit(std::chrono::seconds(20));
    EXPECT_NE(CompileValid(), stuck);
}

// A lock or a pipe the program closes must really close: the compiler process must not
// hold a copy.
TEST(D3DX9FrontEnd, TheProcessKeepsNoDescriptorOfTheProgram)
{
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
    const int old = CompileValid();
    ASSERT_GT(old, 0); // kill(-1) would end every process the tests may signal
    ASSERT_EQ(kill(old, SIGKILL), 0);
    const int fresh = CompileValid(); // forked while the pipe is open
    EXPECT_NE(fresh, old);
    close(fds[1]);
    pollfd p{fds[0], POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 2000), 1);
    EXPECT_TRUE(p.revents & POLLHUP) << "a copy of the pipe's write end is still open";
    close(fds[0]);
}

// A fork of the program (as the game harness makes) must not talk to its parent's
// compiler process, nor end it.
TEST(D3DX9FrontEnd, AForkOfTheProgramStartsItsOwnProcess)
{
    const int parents = CompileValid();
    ASSERT_GT(parents, 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool clean = D3DX9Test_FrontEndProcess() == 0;
        const int own = CompileValid();
        const bool separate = own > 0 && own != parents && !::testing::Test::HasFailure();
        _exit(clean && separate ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_EQ(CompileValid(), parents);
}

TEST(HlslShim, RewritesEffectDeclarationsKeepingLinesAndRecordsSamplerStates)
{
    const std::string source = "// sampler_state in a comment stays\n"
                               "texture g_MeshTexture;\n"
                               "sampler TextureSampler = sampler_state\n"
                               "{\n"
                               "    Texture = <g_MeshTexture>;\n"
                               "    MipFilter = LINEAR;\n"
                               "    MinFilter = POINT;\n"
                               "};\n"
                               "sampler2D Second : register(s1) = sampler_state { AddressU = CLAMP; };\n"
                               "float4 f() : COLOR0 { return tex2D(TextureSampler, float2(0, 0)); }\n";
    d3dx9::HlslShim shim(source);
    const std::string& text = shim.Text();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(source.begin(), source.end(), '\n'));
    EXPECT_NE(text.find("// sampler_state in a comment stays"), std::string::npos);
    EXPECT_EQ(text.find("texture g_MeshTexture"), std::string::npos);
    EXPECT_NE(text.find("sampler TextureSampler"), std::string::npos);
    EXPECT_EQ(text.find("LINEAR"), std::string::npos);
    EXPECT_NE(text.find("sampler2D Second : register(s1)"), std::string::npos);
    EXPECT_NE(text.find("tex2D(TextureSampler"), std::string::npos);

    ASSERT_EQ(shim.SamplerStates().size(), 2u);
    const d3dx9::SamplerStateBlock& first = shim.SamplerStates()[0];
    EXPECT_EQ(first.sampler, "TextureSampler");
    using State = std::pair<std::string, std::string>;
    const std::vector<State> states{
        {"Texture", "g_MeshTexture"}, {"MipFilter", "LINEAR"}, {"MinFilter", "POINT"}};
    EXPECT_EQ(first.states, states);
    EXPECT_EQ(shim.SamplerStates()[1].sampler, "Second");
}

TEST(ShaderCode, RoundTripsAndRejectsMalformedBlocks)
{
    d3d9::ShaderCode code;
    code.stage = d3d9::ShaderStage::Pixel;
    code.glsl = "#version 330\nvoid main() {}\n";
    d3d9::ShaderConstant c;
    c.name = "Tint";
    c.glslName = "ge_pc.Tint";
    c.registerIndex = 3;
    c.registerCount = 1;
    c.columns = 4;
    code.constants.push_back(c);
    const std::vector<DWORD> words = d3d9::EncodeShaderCode(code);

    std::optional<d3d9::ShaderCode> back = d3d9::DecodeShaderCode(words.data());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->stage, d3d9::ShaderStage::Pixel);
    EXPECT_EQ(back->glsl, code.glsl);
    ASSERT_EQ(back->constants.size(), 1u);
    EXPECT_EQ(back->constants[0].glslName, "ge_pc.Tint");
    EXPECT_EQ(back->constants[0].registerIndex, 3u);

    struct Damage {
        const char* what;
        size_t word;
        DWORD value;
    };
    const Damage damages[] = {
        {"bad magic", 0, 0},
        {"size shorter than its content", 1, static_cast<DWORD>(words.size() - 1)},
        {"size below the header", 1, 2},
        {"unknown stage", 2, 7},
        {"absurd constant count", 3, 0x7FFFFFFF},
        {"string longer than the block", 12, 0xFFFFFF00u},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        std::vector<DWORD> broken = words;
        broken.resize(words.size() + 64, 0); // room, so a bad length cannot read past the vector
        broken[d.word] = d.value;
        EXPECT_FALSE(d3d9::DecodeShaderCode(broken.data()).has_value());
    }
    EXPECT_FALSE(d3d9::DecodeShaderCode(nullptr).has_value());
}

} // namespace
