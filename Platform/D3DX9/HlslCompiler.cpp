#include "Platform/D3DX9/HlslCompiler.h"
#include "Platform/D3DX9/D3DX9.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <spirv_cross_c.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace d3dx9 {

namespace {

// SPIR-V opcodes and enumerants used by the fix-up.
constexpr uint32_t kOpVariable = 59;
constexpr uint32_t kOpDecorate = 71;
constexpr uint32_t kOpDecorateString = 5632;
constexpr uint32_t kDecorationBuiltIn = 11;
constexpr uint32_t kDecorationLocation = 30;
constexpr uint32_t kDecorationUserSemantic = 5635;
constexpr uint32_t kStorageInput = 1;
constexpr uint32_t kStorageOutput = 3;
constexpr uint32_t kBuiltInPosition = 0;
constexpr uint32_t kBuiltInFragCoord = 15;

// Uniform buffers are moved out of the samplers' binding range, so a sampler's
// binding is its sampler register.
constexpr unsigned kUboBindingBase = 64;
constexpr DWORD kMaxSamplers = 16;
constexpr DWORD kMaxFloatRegisters = 256;

struct Semantic {
    std::string name; // upper case, without index
    unsigned index = 0;
    std::string Full() const { return name + std::to_string(index); }
};

Semantic ParseSemantic(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    size_t digits = text.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(text[digits - 1])))
        --digits;
    Semantic s;
    s.name = text.substr(0, digits);
    if (digits < text.size() && text.size() - digits < 4)
        s.index = static_cast<unsigned>(std::stoul(text.substr(digits)));
    return s;
}

struct InterfaceVariable {
    uint32_t storage = 0;
    Semantic semantic;
    bool hasSemantic = false;
    size_t locationWord = 0; // index of the Location decoration's decoration word, 0 if none
};

// glslang maps only SV_Position to the position built-ins; a Direct3D 9 shader writes
// POSITION. The vertex output (and the pixel input) with that semantic becomes
// gl_Position (gl_FragCoord) by turning its Location decoration into a BuiltIn one.
// Also returns every interface variable's semantic for naming.
std::map<uint32_t, InterfaceVariable> FixPositionSemantics(std::vector<uint32_t>& spirv, bool vertexStage)
{
    std::map<uint32_t, InterfaceVariable> vars;
    std::map<uint32_t, size_t> locationWords;
    for (size_t i = 5; i < spirv.size();) {
        const uint32_t op = spirv[i] & 0xFFFF;
        const uint32_t count = spirv[i] >> 16;
        if (count == 0 || i + count > spirv.size())
            break;
        if (op == kOpVariable && count >= 4) {
            vars[spirv[i + 2]].storage = spirv[i + 3];
        } else if (op == kOpDecorate && count == 4 && spirv[i + 2] == kDecorationLocation) {
            locationWords[spirv[i + 1]] = i + 2;
        } else if (op == kOpDecorateString && count >= 4 && spirv[i + 2] == kDecorationUserSemantic) {
            const char* text = reinterpret_cast<const char*>(&spirv[i + 3]);
            const size_t maxLen = (count - 3) * 4;
            InterfaceVariable& v = vars[spirv[i + 1]];
            v.semantic = ParseSemantic(std::string(text, strnlen(text, maxLen)));
            v.hasSemantic = true;
        }
        i += count;
    }
    for (auto& [id, v] : vars) {
        auto loc = locationWords.find(id);
        v.locationWord = loc == locationWords.end() ? 0 : loc->second;
        const bool position = v.hasSemantic && v.semantic.name == "POSITION" && v.semantic.index == 0;
        if (!position || v.locationWord == 0)
            continue;
        if (vertexStage && v.storage == kStorageOutput) {
            spirv[v.locationWord] = kDecorationBuiltIn;
            spirv[v.locationWord + 1] = kBuiltInPosition;
        } else if (!vertexStage && v.storage == kStorageInput) {
            spirv[v.locationWord] = kDecorationBuiltIn;
            spirv[v.locationWord + 1] = kBuiltInFragCoord;
        }
    }
    return vars;
}

bool ParseProfile(const std::string& profile, d3d9::ShaderStage& stage)
{
    static const char* const kVertex[] = {"vs_1_1", "vs_2_0", "vs_2_a", "vs_3_0"};
    static const char* const kPixel[] = {"ps_2_0", "ps_2_a", "ps_2_b", "ps_3_0"};
    for (const char* p : kVertex)
        if (profile == p) {
            stage = d3d9::ShaderStage::Vertex;
            return true;
        }
    for (const char* p : kPixel)
        if (profile == p) {
            stage = d3d9::ShaderStage::Pixel;
            return true;
        }
    return false;
}

void InitGlslangOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { glslang::InitializeProcess(); });
}

// Front end: HLSL text to SPIR-V. False with the compiler's messages on failure.
bool HlslToSpirv(const std::string& text, const std::string& entry, d3d9::ShaderStage stage,
                 std::vector<uint32_t>& spirv, std::string& messages)
{
    const EShLanguage lang = stage == d3d9::ShaderStage::Vertex ? EShLangVertex : EShLangFragment;
    const auto flags = static_cast<EShMessages>(EShMsgReadHlsl | EShMsgHlslDX9Compatible | EShMsgSpvRules |
                                                EShMsgVulkanRules);
    glslang::TShader shader(lang);
    const char* strings[] = {text.c_str()};
    const int lengths[] = {static_cast<int>(text.size())};
    shader.setStringsWithLengths(strings, lengths, 1);
    shader.setEntryPoint(entry.c_str());
    shader.setEnvInput(glslang::EShSourceHlsl, lang, glslang::EShClientVulkan, 100);
    shader.setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
    shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
    shader.setEnvTargetHlslFunctionality1();
    shader.setAutoMapLocations(true);
    shader.setAutoMapBindings(true);
    shader.setHlslIoMapping(true);
    shader.setShiftBinding(glslang::EResUbo, kUboBindingBase);

    const bool parsed = shader.parse(GetDefaultResources(), 100, false, flags);
    messages = shader.getInfoLog();
    if (!parsed)
        return false;
    glslang::TProgram program;
    program.addShader(&shader);
    if (!program.link(flags) || !program.mapIO()) {
        messages += program.getInfoLog();
        return false;
    }
    glslang::SpvOptions options;
    options.disableOptimizer = true;
    glslang::GlslangToSpv(*program.getIntermediate(lang), spirv, &options);
    return !spirv.empty();
}

struct SpvcContextDeleter {
    void operator()(spvc_context c) const { spvc_context_destroy(c); }
};
using SpvcContext = std::unique_ptr<spvc_context_s, SpvcContextDeleter>;

// Constants of the global block, in declaration order, on consecutive registers.
bool ReflectConstants(spvc_compiler compiler, const spvc_reflected_resource& block, d3d9::ShaderStage stage,
                      std::vector<d3d9::ShaderConstant>& out, std::string& messages)
{
    const char* instance = stage == d3d9::ShaderStage::Vertex ? "ge_vc" : "ge_pc";
    spvc_compiler_set_name(compiler, block.id, instance);
    spvc_compiler_set_name(compiler, block.base_type_id,
                           stage == d3d9::ShaderStage::Vertex ? "ge_VSConstants" : "ge_PSConstants");
    spvc_type blockType = spvc_compiler_get_type_handle(compiler, block.base_type_id);
    const unsigned members = spvc_type_get_num_member_types(blockType);
    DWORD nextRegister = 0;
    for (unsigned m = 0; m < members; ++m) {
        spvc_type t = spvc_compiler_get_type_handle(compiler, spvc_type_get_member_type(blockType, m));
        const char* name = spvc_compiler_get_member_name(compiler, block.base_type_id, m);
        d3d9::ShaderConstant c;
        c.name = name ? name : "";
        c.glslName = std::string(instance) + "." + c.name;
        // Integer and boolean registers are not used by the engine's shaders.
        if (spvc_type_get_basetype(t) != SPVC_BASETYPE_FP32) {
            messages += "error: constant '" + c.name + "' is not of a float type\n";
            return false;
        }
        const unsigned dims = spvc_type_get_num_array_dimensions(t);
        if (dims > 1) {
            messages += "error: constant '" + c.name + "' is a multi-dimensional array\n";
            return false;
        }
        c.elements = dims == 1 ? spvc_type_get_array_dimension(t, 0) : 1;
        // The front end stores HLSL floatRxC as a SPIR-V matrix of R columns with C
        // components each.
        const unsigned vec = spvc_type_get_vector_size(t);
        const unsigned cols = spvc_type_get_columns(t);
        if (cols > 1) {
            c.rows = cols;
            c.columns = vec;
            c.parameterClass = D3DXPC_MATRIX_COLUMNS;
        } else {
            c.rows = 1;
            c.columns = vec;
            c.parameterClass = vec > 1 ? D3DXPC_VECTOR : D3DXPC_SCALAR;
        }
        c.parameterType = D3DXPT_FLOAT;
        c.registerSet = d3d9::kRegisterSetFloat4;
        const DWORD perElement = c.parameterClass == D3DXPC_MATRIX_COLUMNS ? c.columns : 1;
        c.registerIndex = nextRegister;
        c.registerCount = perElement * c.elements;
        if (c.elements == 0 || c.registerCount > kMaxFloatRegisters - nextRegister) {
            messages += "error: too many constant registers at '" + c.name + "'\n";
            return false;
        }
        nextRegister += c.registerCount;
        out.push_back(std::move(c));
    }
    return true;
}

bool SpirvToGlsl(std::vector<uint32_t> spirv, d3d9::ShaderStage stage, d3d9::ShaderCode& code,
                 std::string& messages)
{
    const bool vertex = stage == d3d9::ShaderStage::Vertex;
    const std::map<uint32_t, InterfaceVariable> vars = FixPositionSemantics(spirv, vertex);

    spvc_context rawContext = nullptr;
    if (spvc_context_create(&rawContext) != SPVC_SUCCESS) {
        messages += "error: cannot start the shader translator\n";
        return false;
    }
    SpvcContext context(rawContext);
    spvc_parsed_ir ir = nullptr;
    spvc_compiler compiler = nullptr;
    spvc_compiler_options options = nullptr;
    auto fail = [&](const char* what) {
        messages +=
            std::string("error: ") + what + ": " + spvc_context_get_last_error_string(rawContext) + "\n";
        return false;
    };
    if (spvc_context_parse_spirv(rawContext, spirv.data(), spirv.size(), &ir) != SPVC_SUCCESS)
        return fail("SPIR-V parse");
    if (spvc_context_create_compiler(rawContext, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP,
                                     &compiler) != SPVC_SUCCESS)
        return fail("translator");
    spvc_compiler_create_compiler_options(compiler, &options);
    spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 330);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_VULKAN_SEMANTICS, SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_EMIT_UNIFORM_BUFFER_AS_PLAIN_UNIFORMS,
                                   SPVC_TRUE);
    spvc_compiler_install_compiler_options(compiler, options);

    spvc_resources resources = nullptr;
    spvc_compiler_create_shader_resources(compiler, &resources);
    const spvc_reflected_resource* list = nullptr;
    size_t count = 0;

    // Varyings are matched by name, built from the semantic, so the stages link.
    auto nameInterface = [&](spvc_resource_type type, bool input) {
        spvc_resources_get_resource_list_for_type(resources, type, &list, &count);
        for (size_t i = 0; i < count; ++i) {
            auto it = vars.find(list[i].id);
            if (it == vars.end() || !it->second.hasSemantic)
                continue;
            const Semantic& sem = it->second.semantic;
            if (vertex && input) {
                spvc_compiler_set_name(compiler, list[i].id, ("a_" + sem.Full()).c_str());
                const int location = d3d9::AttributeLocation(sem.name, sem.index);
                if (location < 0) {
                    messages += "error: vertex input semantic '" + sem.Full() + "' is not supported\n";
                    return false;
                }
                spvc_compiler_set_decoration(compiler, list[i].id, SpvDecorationLocation,
                                             static_cast<unsigned>(location));
            } else if (!vertex && !input) {
                spvc_compiler_set_name(compiler, list[i].id, ("o_" + sem.Full()).c_str());
                spvc_compiler_set_decoration(compiler, list[i].id, SpvDecorationLocation, sem.index);
            } else {
                spvc_compiler_set_name(compiler, list[i].id, ("v_" + sem.Full()).c_str());
                spvc_compiler_unset_decoration(compiler, list[i].id, SpvDecorationLocation);
            }
        }
        return true;
    };
    if (!nameInterface(SPVC_RESOURCE_TYPE_STAGE_INPUT, true) ||
        !nameInterface(SPVC_RESOURCE_TYPE_STAGE_OUTPUT, false))
        return false;

    spvc_resources_get_resource_list_for_type(resources, SPVC_RESOURCE_TYPE_UNIFORM_BUFFER, &list, &count);
    for (size_t i = 0; i < count; ++i)
        if (!ReflectConstants(compiler, list[i], stage, code.constants, messages))
            return false;

    spvc_resources_get_resource_list_for_type(resources, SPVC_RESOURCE_TYPE_SAMPLED_IMAGE, &list, &count);
    for (size_t i = 0; i < count; ++i) {
        const unsigned binding = spvc_compiler_get_decoration(compiler, list[i].id, SpvDecorationBinding);
        if (binding >= kMaxSamplers) {
            messages += std::string("error: sampler '") + list[i].name + "' is beyond sampler register 15\n";
            return false;
        }
        d3d9::ShaderConstant c;
        c.name = list[i].name;
        c.glslName = c.name;
        c.registerSet = d3d9::kRegisterSetSampler;
        c.registerIndex = binding;
        c.registerCount = 1;
        c.parameterClass = D3DXPC_OBJECT;
        c.parameterType = D3DXPT_SAMPLER2D;
        spvc_compiler_unset_decoration(compiler, list[i].id, SpvDecorationBinding);
        spvc_compiler_unset_decoration(compiler, list[i].id, SpvDecorationDescriptorSet);
        code.constants.push_back(std::move(c));
    }
    for (spvc_resource_type other : {SPVC_RESOURCE_TYPE_SEPARATE_IMAGE, SPVC_RESOURCE_TYPE_SEPARATE_SAMPLERS,
                                     SPVC_RESOURCE_TYPE_STORAGE_BUFFER, SPVC_RESOURCE_TYPE_STORAGE_IMAGE}) {
        spvc_resources_get_resource_list_for_type(resources, other, &list, &count);
        if (count > 0) {
            messages += std::string("error: resource '") + list[0].name + "' is not a Direct3D 9 sampler\n";
            return false;
        }
    }

    const char* glsl = nullptr;
    if (spvc_compiler_compile(compiler, &glsl) != SPVC_SUCCESS)
        return fail("GLSL generation");
    code.glsl = glsl;
    if (vertex) {
        // Direct3D 9 samples pixels at integer positions, OpenGL at half-integers, and
        // their clip-space depth ranges differ; the device supplies the viewport terms.
        // The declaration goes after the leading #version / #extension block, the
        // statements at the end of main, which the translator writes last.
        size_t declarations = 0;
        while (declarations < code.glsl.size() &&
               (code.glsl[declarations] == '#' || code.glsl[declarations] == '\n')) {
            const size_t lineEnd = code.glsl.find('\n', declarations);
            declarations = lineEnd == std::string::npos ? code.glsl.size() : lineEnd + 1;
        }
        const size_t mainEnd = code.glsl.rfind('}');
        if (declarations == 0 || mainEnd == std::string::npos || mainEnd < declarations) {
            messages += "error: unexpected translator output\n";
            return false;
        }
        code.glsl.insert(mainEnd, "    gl_Position.xy += ge_ViewAdjust.xy * gl_Position.w;\n"
                                  "    gl_Position.y *= ge_ViewAdjust.z;\n"
                                  "    gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;\n");
        code.glsl.insert(declarations, "uniform vec4 ge_ViewAdjust;\n");
    }
    return true;
}

} // namespace

CompileResult HlslCompiler::Compile(const std::string& source, const std::string& entryPoint,
                                    const std::string& profile)
{
    CompileResult result;
    if (!ParseProfile(profile, result.code.stage)) {
        result.messages = "error: unsupported profile '" + profile + "'\n";
        return result;
    }
    if (entryPoint.empty()) {
        result.messages = "error: no entry point given\n";
        return result;
    }
    HlslShim shim(source);
    result.samplerStates = shim.SamplerStates();

    InitGlslangOnce();
    // glslang keeps global state while it parses; one compile at a time.
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<uint32_t> spirv;
    if (!HlslToSpirv(shim.Text(), entryPoint, result.code.stage, spirv, result.messages))
        return result;
    result.ok = SpirvToGlsl(std::move(spirv), result.code.stage, result.code, result.messages);
    return result;
}

} // namespace d3dx9
