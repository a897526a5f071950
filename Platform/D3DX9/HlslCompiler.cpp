#include "Platform/D3DX9/HlslCompiler.h"
#include "Platform/D3DX9/D3DX9.h"
#include "Platform/D3DX9/D3DX9TestHooks.h"

#include <SDL.h>
#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <spirv_cross_c.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define GE_HLSL_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define GE_HLSL_SANITIZED 1
#endif
#ifdef GE_HLSL_SANITIZED
#include <sanitizer/common_interface_defs.h>
#endif

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

// ---- The front end's own process ----
// glslang's HLSL front end reads through null pointers on some malformed texts, and a
// shader file is content. So the front end runs in a child process, forked at the first
// compile and kept for the program's life (it shares the initialised glslang and builds
// the built-in symbol tables once): a crash there fails one compile, and the next
// compile starts a new child.
//
// Over a socket pair, one request at a time:
//   request: u32 stage (0 vertex, 1 pixel), u32 entry bytes, u32 text bytes, entry, text
//   reply:   u32 ok (0/1), u32 message bytes, u32 SPIR-V words, messages, words

constexpr uint32_t kSpirvMagic = 0x07230203;
constexpr uint32_t kMaxEntryBytes = 1024;
constexpr uint32_t kMaxTextBytes = 64u << 20;
constexpr uint32_t kMaxMessageBytes = 1u << 20;
constexpr uint32_t kMaxSpirvWords = 4u << 20;
constexpr uint32_t kMinSpirvWords = 5; // the module header
constexpr int kServeFd = 3;
constexpr int kSanitizerExit = 86;
constexpr auto kReapGrace = std::chrono::seconds(2);

using Clock = std::chrono::steady_clock;

// ---- child side ----

// Repeats `step` (a read or a send of what is left) until all `size` bytes went through;
// false when the other end is gone or the call fails.
template <class Byte, class Step> bool TransferAll(Byte* p, size_t size, Step step)
{
    while (size > 0) {
        const ssize_t n = step(p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReadFull(int fd, void* data, size_t size)
{
    return TransferAll(static_cast<char*>(data), size,
                       [fd](char* p, size_t left) { return read(fd, p, left); });
}

bool WriteFull(int fd, const void* data, size_t size)
{
    return TransferAll(static_cast<const char*>(data), size,
                       [fd](const char* p, size_t left) { return send(fd, p, left, MSG_NOSIGNAL); });
}

void AppendWords(std::string& out, const uint32_t* words, size_t count)
{
    out.append(reinterpret_cast<const char*>(words), count * sizeof(uint32_t));
}

[[noreturn]] void ServeRequests(int fd)
{
    for (;;) {
        uint32_t header[3];
        // End of the request stream: the program is gone or closed its end.
        if (!ReadFull(fd, header, sizeof header))
            _exit(0);
        if (header[0] > 1 || header[1] > kMaxEntryBytes || header[2] > kMaxTextBytes)
            _exit(2);
        std::string entry(header[1], '\0');
        std::string text(header[2], '\0');
        if (!ReadFull(fd, entry.data(), entry.size()) || !ReadFull(fd, text.data(), text.size()))
            _exit(0);

        std::vector<uint32_t> spirv;
        std::string messages;
        const d3d9::ShaderStage stage = header[0] == 0 ? d3d9::ShaderStage::Vertex : d3d9::ShaderStage::Pixel;
        bool ok = HlslToSpirv(text, entry, stage, spirv, messages);
        if (ok && (spirv.size() < kMinSpirvWords || spirv.size() > kMaxSpirvWords)) {
            ok = false;
            messages += "error: the front end's SPIR-V module has an unusable size\n";
        }
        if (!ok)
            spirv.clear();
        if (messages.size() > kMaxMessageBytes)
            messages.resize(kMaxMessageBytes);
        const uint32_t replyHeader[3] = {ok ? 1u : 0u, static_cast<uint32_t>(messages.size()),
                                         static_cast<uint32_t>(spirv.size())};
        std::string reply;
        reply.reserve(sizeof replyHeader + messages.size() + spirv.size() * sizeof(uint32_t));
        AppendWords(reply, replyHeader, 3);
        reply += messages;
        AppendWords(reply, spirv.data(), spirv.size());
        if (!WriteFull(fd, reply.data(), reply.size()))
            _exit(0);
    }
}

#ifdef GE_HLSL_SANITIZED
// A sanitizer report in the child ends it here, before the hooks a fuzzer sets for its
// own process (which write a crash file for the input) can run.
void EndChildAfterReport()
{
    _exit(kSanitizerExit);
}
#endif

// Runs in the forked child: no SDL, no GL, only glslang and the request loop.
[[noreturn]] void RunFrontEndChild(int fd, int parentEnd, pid_t parent)
{
    // Crash signals end the child quietly, without the sanitizers' or a fuzzer's
    // handlers; terminal signals are the program's to handle, the child goes with it.
    struct sigaction quiet {};
    quiet.sa_handler = SIG_DFL;
    sigemptyset(&quiet.sa_mask);
    for (int s :
         {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS, SIGTERM, SIGALRM, SIGUSR1, SIGUSR2})
        sigaction(s, &quiet, nullptr);
    quiet.sa_handler = SIG_IGN;
    for (int s : {SIGINT, SIGQUIT, SIGHUP, SIGPIPE})
        sigaction(s, &quiet, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
#ifdef GE_HLSL_SANITIZED
    __sanitizer_set_death_callback(EndChildAfterReport);
#endif
    // A parent killed outright takes the child with it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(0);
    // A crash here is expected of bad input and reported by the program: no core file.
    prctl(PR_SET_DUMPABLE, 0);

    // Keep only the socket: an inherited descriptor (a single-instance lock, a pipe a
    // test reads to its end) must not outlive the program in this child.
    if (parentEnd != kServeFd)
        close(parentEnd);
    if (fd != kServeFd && dup2(fd, kServeFd) < 0)
        _exit(3);
    if (close_range(kServeFd + 1, ~0u, 0) != 0) {
        const long limit = sysconf(_SC_OPEN_MAX);
        for (long other = kServeFd + 1; other < (limit > 0 ? limit : 1024); ++other)
            close(static_cast<int>(other));
    }
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        if (fd == STDERR_FILENO || parentEnd == STDERR_FILENO)
            dup2(devNull, STDERR_FILENO);
        if (devNull > STDERR_FILENO)
            close(devNull);
    }
    ServeRequests(kServeFd);
}

// ---- program side ----

enum class Io { Ok, Closed, TimedOut };

Io WaitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return Io::TimedOut;
        pollfd p{fd, events, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
        if (ready > 0)
            return Io::Ok; // a hang-up or error shows in the following send or recv
        if (ready < 0 && errno != EINTR)
            return Io::Closed;
    }
}

// Waits for `events` and repeats `step` (a non-blocking send or receive of what is left)
// until all `size` bytes went through, the other end is gone or the deadline passed.
template <class Byte, class Step>
Io TransferBefore(int fd, short events, Byte* p, size_t size, Clock::time_point deadline, Step step)
{
    while (size > 0) {
        const Io ready = WaitFor(fd, events, deadline);
        if (ready != Io::Ok)
            return ready;
        const ssize_t n = step(p, size);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (n <= 0)
            return Io::Closed;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return Io::Ok;
}

Io SendAll(int fd, const std::string& data, Clock::time_point deadline)
{
    // MSG_NOSIGNAL: a child that has ended must not take the program down by SIGPIPE.
    return TransferBefore(fd, POLLOUT, data.data(), data.size(), deadline, [fd](const char* p, size_t left) {
        return send(fd, p, left, MSG_NOSIGNAL | MSG_DONTWAIT);
    });
}

Io RecvAll(int fd, void* data, size_t size, Clock::time_point deadline)
{
    return TransferBefore(fd, POLLIN, static_cast<char*>(data), size, deadline,
                          [fd](char* p, size_t left) { return recv(fd, p, left, MSG_DONTWAIT); });
}

std::string DescribeStatus(int status)
{
    if (WIFSIGNALED(status))
        return "signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")";
    if (WIFEXITED(status))
        return "exit status " + std::to_string(WEXITSTATUS(status));
    return "an unknown status";
}

const char* StageName(d3d9::ShaderStage stage)
{
    return stage == d3d9::ShaderStage::Vertex ? "vertex" : "pixel";
}

class FrontEndProcess {
public:
    // The front end's work on one text in the child; false with the reason in messages.
    bool Compile(const std::string& text, const std::string& entry, d3d9::ShaderStage stage,
                 std::vector<uint32_t>& spirv, std::string& messages)
    {
        // A fork of the program (without exec) inherits the socket of its parent's child;
        // it talks to a child of its own.
        if (owner_ != 0 && owner_ != getpid()) {
            close(fd_);
            pid_ = -1;
            fd_ = -1;
            owner_ = 0;
        }
        std::string request;
        const uint32_t header[3] = {stage == d3d9::ShaderStage::Vertex ? 0u : 1u,
                                    static_cast<uint32_t>(entry.size()), static_cast<uint32_t>(text.size())};
        AppendWords(request, header, 3);
        request += entry;
        request += text;

        for (int attempt = 0;; ++attempt) {
            if (pid_ < 0 && !Start())
                return HlslToSpirv(text, entry, stage, spirv, messages);
            bool ok = false;
            const Outcome outcome = Ask(request, ok, spirv, messages);
            if (outcome == Outcome::Replied)
                return ok;
            const pid_t pid = pid_;
            const int status = Reap(outcome != Outcome::Ended);
            // Killed from outside (an exiting thread that forked it, the OOM killer, a
            // user): not this shader's doing, so it gets one more try in a new child.
            const bool killed =
                WIFSIGNALED(status) && (WTERMSIG(status) == SIGKILL || WTERMSIG(status) == SIGTERM);
            if (outcome == Outcome::Ended && killed && attempt == 0) {
                SDL_LogWarn(
                    SDL_LOG_CATEGORY_APPLICATION,
                    "HLSL front end: the compiler process %d was ended from outside (%s); starting another",
                    static_cast<int>(pid), DescribeStatus(status).c_str());
                continue;
            }
            spirv.clear();
            if (outcome == Outcome::Hung) {
                const std::string limit = limit_.count() % 1000 == 0
                                              ? std::to_string(limit_.count() / 1000) + " s"
                                              : std::to_string(limit_.count()) + " ms";
                messages = "error: the HLSL front end did not finish this shader within " + limit + "\n";
                SDL_LogError(SDL_LOG_CATEGORY_APPLICATION,
                             "HLSL front end: no answer within %s on a %s shader (entry point %s); the "
                             "compile fails and the compiler process %d is ended",
                             limit.c_str(), StageName(stage), entry.c_str(), static_cast<int>(pid));
            } else {
                messages = "error: the HLSL front end ended abnormally on this shader\n";
                SDL_LogError(
                    SDL_LOG_CATEGORY_APPLICATION,
                    "HLSL front end: the compiler process %d %s on a %s shader (entry point %s); the "
                    "compile fails and the next one starts a new process",
                    static_cast<int>(pid),
                    outcome == Outcome::Malformed ? "sent a malformed reply"
                                                  : ("ended with " + DescribeStatus(status)).c_str(),
                    StageName(stage), entry.c_str());
            }
            return false;
        }
    }

    pid_t Pid() const { return owner_ == getpid() ? pid_ : 0; }
    void SetTimeLimit(std::chrono::milliseconds limit) { limit_ = limit; }

private:
    enum class Outcome { Replied, Ended, Malformed, Hung };

    bool Start()
    {
        // glslang builds its built-in symbol tables (one per stage) at the first parse
        // and keeps them: built here from known-good texts, every child inherits them,
        // and one started after a crash serves at once.
        if (!warmed_) {
            warmed_ = true;
            std::vector<uint32_t> unused;
            std::string log;
            HlslToSpirv("float4 vertex_shader(float4 p : POSITION) : POSITION { return p; }", "vertex_shader",
                        d3d9::ShaderStage::Vertex, unused, log);
            HlslToSpirv("float4 pixel_shader() : COLOR0 { return 1; }", "pixel_shader",
                        d3d9::ShaderStage::Pixel, unused, log);
        }
        int fds[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
            RefusedOnce("socketpair");
            return false;
        }
        const pid_t parent = getpid();
        const pid_t child = fork();
        if (child < 0) {
            const int error = errno;
            close(fds[0]);
            close(fds[1]);
            errno = error;
            RefusedOnce("fork");
            return false;
        }
        if (child == 0)
            RunFrontEndChild(fds[1], fds[0], parent);
        close(fds[1]);
        pid_ = child;
        fd_ = fds[0];
        owner_ = parent;
        return true;
    }

    void RefusedOnce(const char* call)
    {
        if (refusedLogged_)
            return;
        refusedLogged_ = true;
        SDL_LogError(SDL_LOG_CATEGORY_APPLICATION,
                     "HLSL front end: no compiler process (%s: %s); shaders compile in this process, where a "
                     "malformed one can end the program",
                     call, std::strerror(errno));
    }

    // Every length is checked against its bound and every byte against what arrived
    // before the reply is believed.
    Outcome Ask(const std::string& request, bool& ok, std::vector<uint32_t>& spirv, std::string& messages)
    {
        const Clock::time_point deadline = Clock::now() + limit_;
        auto failed = [](Io io) { return io == Io::TimedOut ? Outcome::Hung : Outcome::Ended; };
        Io io = SendAll(fd_, request, deadline);
        if (io != Io::Ok)
            return failed(io);
        uint32_t header[3];
        if ((io = RecvAll(fd_, header, sizeof header, deadline)) != Io::Ok)
            return failed(io);
        const uint32_t flag = header[0], messageBytes = header[1], words = header[2];
        if (flag > 1 || messageBytes > kMaxMessageBytes || words > kMaxSpirvWords ||
            (flag == 1 ? words < kMinSpirvWords : words != 0))
            return Outcome::Malformed;
        std::string text(messageBytes, '\0');
        std::vector<uint32_t> code(words);
        if ((io = RecvAll(fd_, text.data(), text.size(), deadline)) != Io::Ok ||
            (io = RecvAll(fd_, code.data(), code.size() * sizeof(uint32_t), deadline)) != Io::Ok)
            return failed(io);
        if (flag == 1 && code[0] != kSpirvMagic)
            return Outcome::Malformed;
        char extra = 0;
        if (recv(fd_, &extra, 1, MSG_DONTWAIT | MSG_PEEK) > 0)
            return Outcome::Malformed; // more than one reply to one request
        ok = flag == 1;
        messages = std::move(text);
        spirv = std::move(code);
        return Outcome::Replied;
    }

    // Ends (if asked) and waits for the child; its wait status, 0 if none was had.
    int Reap(bool end)
    {
        int status = 0;
        pid_t done = 0;
        if (!end) {
            // It closed its end, so it is on its way out: give it a moment to say how.
            const Clock::time_point deadline = Clock::now() + kReapGrace;
            while ((done = waitpid(pid_, &status, WNOHANG)) == 0 && Clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (done == 0 && pid_ > 0) {
            kill(pid_, SIGKILL);
            while ((done = waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
            }
        }
        if (done < 0)
            status = 0;
        close(fd_);
        pid_ = -1;
        fd_ = -1;
        owner_ = 0;
        return status;
    }

    pid_t pid_ = -1;
    int fd_ = -1;
    pid_t owner_ = 0; // the process that started the child
    bool refusedLogged_ = false;
    bool warmed_ = false;
    std::chrono::milliseconds limit_{std::chrono::seconds(20)};
};

// glslang keeps global state while it parses, and the child serves one request at a
// time: one compile at a time.
std::mutex gCompileMutex;
FrontEndProcess gFrontEnd;

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

    if (entryPoint.size() > kMaxEntryBytes || shim.Text().size() > kMaxTextBytes) {
        result.messages = "error: the entry point or the shader text is too long\n";
        return result;
    }

    // Initialised before the compiler process is forked, which inherits it.
    InitGlslangOnce();
    std::lock_guard<std::mutex> lock(gCompileMutex);
    std::vector<uint32_t> spirv;
    if (!gFrontEnd.Compile(shim.Text(), entryPoint, result.code.stage, spirv, result.messages))
        return result;
    result.ok = SpirvToGlsl(std::move(spirv), result.code.stage, result.code, result.messages);
    return result;
}

} // namespace d3dx9

int D3DX9Test_FrontEndProcess()
{
    std::lock_guard<std::mutex> lock(d3dx9::gCompileMutex);
    return static_cast<int>(d3dx9::gFrontEnd.Pid());
}

void D3DX9Test_SetFrontEndTimeLimit(std::chrono::milliseconds limit)
{
    std::lock_guard<std::mutex> lock(d3dx9::gCompileMutex);
    d3dx9::gFrontEnd.SetTimeLimit(limit);
}
