// The least a program on this stack does before its first frame: start SDL, open a
// window with an OpenGL 3.3 context, clear it and present it.
#include <SDL.h>
#include <SDL_opengl.h>

int main(int, char**)
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_Window* window = SDL_CreateWindow("start-up baseline", 0, 0, 1024, 768, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window)
        return 1;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context)
        return 1;
    auto clearColor = reinterpret_cast<decltype(&glClearColor)>(SDL_GL_GetProcAddress("glClearColor"));
    auto clear = reinterpret_cast<decltype(&glClear)>(SDL_GL_GetProcAddress("glClear"));
    clearColor(0.0f, 0.0f, 0.0f, 1.0f);
    clear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(window);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
