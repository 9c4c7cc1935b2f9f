#include "platform/gl/gl_probe.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cctype>
#include <mutex>

#include "platform/gl/gl_context.h"

namespace plat::gl {
namespace {

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string GlString(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

RendererInfo Probe() {
    RendererInfo info;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return info;  // no display: no OpenGL
    if (PrepareForWindows()) {
        // Creating a context makes it current; give the caller its own back.
        SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
        SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
        SDL_Window* window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1,
                                              SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window) {
            if (SDL_GLContext context = SDL_GL_CreateContext(window)) {
                info.renderer = GlString(GL_RENDERER);
                info.vendor = GlString(GL_VENDOR);
                info.version = GlString(GL_VERSION);
                info.available = !info.renderer.empty();
                info.software = IsSoftwareRenderer(info.renderer);
                SDL_GL_MakeCurrent(window, nullptr);
                SDL_GL_DeleteContext(context);
            }
            SDL_DestroyWindow(window);
        }
        if (previousContext) SDL_GL_MakeCurrent(previousWindow, previousContext);
    }
    // Video stays initialised: quitting it would unload the OpenGL library and
    // reset the context attributes that PrepareForWindows set once for all windows.
    return info;
}

}  // namespace

bool IsSoftwareRenderer(const std::string& renderer) {
    const std::string name = Lowered(renderer);
    for (const char* word : {"llvmpipe", "softpipe", "swrast", "software"}) {
        if (name.find(word) != std::string::npos) return true;
    }
    return false;
}

const RendererInfo& ProbeRenderer() {
    static std::once_flag once;
    static RendererInfo info;
    std::call_once(once, [] { info = Probe(); });
    return info;
}

}  // namespace plat::gl
