#include "Platform/D3D9/GlApi.h"

#include <SDL.h>

#include <cstring>

namespace d3d9 {

bool GlApi::Load()
{
    bool complete = true;
#define GE_GL_LOAD(type, name)                                                                               \
    name = reinterpret_cast<type>(SDL_GL_GetProcAddress("gl" #name));                                        \
    complete = complete && name != nullptr;
    GE_GL_FUNCTIONS(GE_GL_LOAD)
#undef GE_GL_LOAD
    return complete;
}

bool GlApi::HasExtension(const char* name) const
{
    GLint count = 0;
    GetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const auto* ext = reinterpret_cast<const char*>(GetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
        if (ext && std::strcmp(ext, name) == 0)
            return true;
    }
    return false;
}

} // namespace d3d9
