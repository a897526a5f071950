// Preloaded into a program whose start-up is measured: stamps the monotonic clock
// at the calls that mark each start-up step, and ends the process right after the
// first frame has been presented. The stamps go to the file named by
// GE_STARTUP_PROBE_OUT, one "name nanoseconds" line each.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <unistd.h>

namespace {

struct Stamp {
    const char* name;
    long long ns;
};

Stamp gStamps[16];
int gCount = 0;

long long Now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

void Mark(const char* name)
{
    if (gCount < 16)
        gStamps[gCount++] = {name, Now()};
}

// Each step is stamped at its first call only.
template <class F> F Next(const char* symbol)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, symbol));
}

bool gInit = false, gWindow = false, gContext = false;

__attribute__((constructor)) void Loaded()
{
    Mark("loaded");
}

} // namespace

extern "C" {

// The first SDL start, by either entry point.
int SDL_Init(Uint32 flags)
{
    if (!gInit) {
        gInit = true;
        Mark("sdl_init");
    }
    static auto next = Next<int (*)(Uint32)>("SDL_Init");
    return next(flags);
}

int SDL_InitSubSystem(Uint32 flags)
{
    if (!gInit) {
        gInit = true;
        Mark("sdl_init");
    }
    static auto next = Next<int (*)(Uint32)>("SDL_InitSubSystem");
    return next(flags);
}

SDL_Window* SDL_CreateWindow(const char* title, int x, int y, int w, int h, Uint32 flags)
{
    const bool first = !gWindow;
    gWindow = true;
    if (first)
        Mark("window_begin");
    static auto next = Next<SDL_Window* (*)(const char*, int, int, int, int, Uint32)>("SDL_CreateWindow");
    SDL_Window* window = next(title, x, y, w, h, flags);
    if (first)
        Mark("window_end");
    return window;
}

SDL_GLContext SDL_GL_CreateContext(SDL_Window* window)
{
    const bool first = !gContext;
    gContext = true;
    if (first)
        Mark("context_begin");
    static auto next = Next<SDL_GLContext (*)(SDL_Window*)>("SDL_GL_CreateContext");
    SDL_GLContext context = next(window);
    if (first)
        Mark("context_end");
    return context;
}

void SDL_GL_SwapWindow(SDL_Window* window)
{
    Mark("present_begin");
    static auto next = Next<void (*)(SDL_Window*)>("SDL_GL_SwapWindow");
    next(window);
    Mark("present_end");
    if (const char* out = std::getenv("GE_STARTUP_PROBE_OUT")) {
        if (std::FILE* f = std::fopen(out, "w")) {
            for (int i = 0; i < gCount; ++i)
                std::fprintf(f, "%s %lld\n", gStamps[i].name, gStamps[i].ns);
            std::fclose(f);
        }
    }
    _exit(0);
}

} // extern "C"
