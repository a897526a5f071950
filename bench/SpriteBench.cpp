// Textured sprites per frame, alpha blended, two textures alternating in runs:
// through render::Graphics, the command buffer and the Direct3D 9 layer, against a
// minimal OpenGL program that writes the same quads into one vertex buffer and
// draws each texture run with one call. Both run headless on the same driver, each
// in a window and context of its own; every frame ends with a present and a
// glFinish, so a frame's time includes the driver's work. Besides the frame time each
// side reports its main thread's CPU time per frame and the vertex and index bytes it
// hands the driver per frame (the engine's as the device stand-in counts them).
#include "Core/App/Win32/WindowWin32.h"
#include "Core/App/Window.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/ImageData.h"
#include "Core/Render/RenderInitParam.h"
#include "Core/Render/Texture.h"
#include "Platform/D3D9/D3D9TestHooks.h"
#include "Platform/Win32/Windows.h"
#include "bench/BenchRatio.h"
#include "bench/SpriteBaseline.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace bench;

// ---------------------------------------------------------------- engine side

class BenchWindow : public app::Window, public app::WindowWin32 {
public:
    BenchWindow(int w, int h) : app::WindowWin32(nullptr)
    {
        static const wchar_t* kClass = L"SpriteBenchWindow";
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = kClass;
        RegisterClassExW(&wc);
        const std::wstring title = L"sprite bench " + std::to_wstring(getpid());
        hwnd = CreateWindowExW(0, kClass, title.c_str(), 0, 0, 0, w, h, nullptr, nullptr, nullptr, nullptr);
    }
    HWND GetHandle() const override { return hwnd; }
};

// ---------------------------------------------------------------- the two, side by side

class Engine {
public:
    bool Init()
    {
        window = std::make_unique<BenchWindow>(kWidth, kHeight);
        if (!window->hwnd)
            return false;
        renderer = std::make_unique<render::RenderDX9>();
        render::RenderInitParam param;
        param.width = kWidth;
        param.height = kHeight;
        param.windowed = 1;
        if (renderer->InitRender(window.get(), param) != GE_OK)
            return false;
        // The device's context is current now; kept to switch back to it.
        sdlWindow = SDL_GL_GetCurrentWindow();
        context = SDL_GL_GetCurrentContext();
        finish = reinterpret_cast<decltype(&glFinish)>(SDL_GL_GetProcAddress("glFinish"));
        for (int i = 0; i < 2; ++i) {
            TexelImage pixels(DiscTexels(kColors[i]));
            render::Texture* texture = nullptr;
            if (renderer->CreateTexture(&texture) != GE_OK || texture->CreateFromImage(pixels) != GE_OK)
                return false;
            images[i] = std::make_unique<render::Image>(texture);
        }
        return sdlWindow && context && finish;
    }

    bool Frame(const std::vector<Sprite>& sprites)
    {
        SDL_GL_MakeCurrent(sdlWindow, context);
        static const float kClear[4] = {0.0f, 0.0f, 0.2f, 1.0f};
        if (renderer->BeginScene() != GE_OK)
            return false;
        {
            render::Graphics g(renderer.get(),
                               {renderer->GetGeomShader(), renderer->GetMultShader(), renderer->GetTintShader()});
            g.Clear(kClear, 0.0f);
            const int count = static_cast<int>(sprites.size());
            for (int i = 0; i < count; ++i)
                g.DrawImage(images[(i / kRun) & 1].get()).Translate(sprites[i].x, sprites[i].y);
        }
        const bool ok = renderer->EndScene() == GE_OK && renderer->Present() == GE_OK &&
                        renderer->ExecuteCommands() == GE_OK;
        finish();
        return ok;
    }

    bool ReadBack(std::vector<u32>& pixels) { return D3D9Test_ReadSurface(renderer->GetBackBuffer(), pixels); }
    D3D9TestCounters Counters() const { return D3D9Test_Counters(renderer->GetDevice()); }

    ~Engine()
    {
        for (auto& image : images)
            image.reset();
        renderer.reset();
        window.reset();
    }

private:
    std::unique_ptr<BenchWindow> window;
    std::unique_ptr<render::RenderDX9> renderer;
    std::unique_ptr<render::Image> images[2];
    SDL_Window* sdlWindow = nullptr;
    SDL_GLContext context = nullptr;
    decltype(&glFinish) finish = nullptr;
};

struct Programs {
    Engine engine;
    Baseline baseline;
    bool ready = false;
};

// Made once and kept to the end of the process, so that no window or context is
// torn down between benchmarks.
Programs* TheSetUp()
{
    static Programs* programs = [] {
        auto* p = new Programs;
        p->ready = p->engine.Init() && p->baseline.Init();
        return p;
    }();
    return programs;
}

void BM_Sprites(benchmark::State& state)
{
    Programs* p = TheSetUp();
    if (!p->ready) {
        state.SkipWithError("no OpenGL 3.3 window (set SDL_VIDEODRIVER=offscreen)");
        return;
    }
    const std::vector<Sprite> sprites = Layout(static_cast<int>(state.range(0)));
    p->baseline.Prepare(static_cast<int>(sprites.size()));
    // One frame of each first: buffers grow and shaders settle outside the timing.
    if (!p->engine.Frame(sprites)) {
        state.SkipWithError("engine frame failed");
        return;
    }
    // Both must have drawn the same picture, or the comparison means nothing: the
    // count of covered pixels may differ only by edge pixels.
    std::vector<u32> enginePixels, baselinePixels;
    p->baseline.Frame(sprites, &baselinePixels);
    if (!p->engine.ReadBack(enginePixels)) {
        state.SkipWithError("the engine's frame cannot be read back");
        return;
    }
    auto covered = [](const std::vector<u32>& pixels) {
        size_t n = 0;
        for (u32 argb : pixels)
            n += (argb & 0xFFFF00u) != 0; // anything but the dark blue clear colour
        return double(n);
    };
    const double engineCovered = covered(enginePixels), baselineCovered = covered(baselinePixels);
    if (baselineCovered == 0.0 || std::abs(engineCovered - baselineCovered) > 0.02 * baselineCovered) {
        state.SkipWithError("the engine's frame differs from the baseline's");
        return;
    }

    bench::RatioTimer timer;
    bool ok = true;
    const D3D9TestCounters engineBefore = p->engine.Counters();
    const std::uint64_t baselineBytes = p->baseline.uploadedBytes, baselineUploads = p->baseline.uploads,
                        baselineDraws = p->baseline.draws;
    for (auto _ : state)
        timer.Iteration(state, [&] { ok = p->engine.Frame(sprites) && ok; }, [&] { p->baseline.Frame(sprites); });
    if (!ok) {
        state.SkipWithError("engine frame failed");
        return;
    }
    timer.Report(state);
    timer.ReportCpu(state);
    const double frames = static_cast<double>(state.iterations());
    const D3D9TestCounters engine = p->engine.Counters();
    const double engineBytes = double(engine.bufferBytes - engineBefore.bufferBytes) / frames;
    const double baselineBytesPerFrame = double(p->baseline.uploadedBytes - baselineBytes) / frames;
    state.counters["engine_bytes"] = engineBytes;
    state.counters["baseline_bytes"] = baselineBytesPerFrame;
    state.counters["bytes_ratio"] = baselineBytesPerFrame > 0 ? engineBytes / baselineBytesPerFrame : 0.0;
    state.counters["engine_uploads"] = double(engine.bufferUploads - engineBefore.bufferUploads) / frames;
    state.counters["baseline_uploads"] = double(p->baseline.uploads - baselineUploads) / frames;
    state.counters["engine_draws"] = double(engine.draws - engineBefore.draws) / frames;
    state.counters["baseline_draws"] = double(p->baseline.draws - baselineDraws) / frames;
}

} // namespace

BENCHMARK(BM_Sprites)->Arg(1000)->Arg(10000)->Arg(50000)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    // Headless unless the caller chose a driver.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
