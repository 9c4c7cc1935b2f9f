// Linux's OpenGL: 3.3 core contexts through SDL, and the probe whose context the
// first window takes over.
#include "platform/gl/gl_context.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <string>

#include "platform/gl/gl_windows_sdl.h"
#include "platform/gl/gl_probe.h"

namespace plat::gl {
namespace {

// The probe's context, kept for the first window that needs one: making a
// context costs as much as a bare program's whole start-up spends on it.
struct Spare {
    SDL_Window* window = nullptr;  // hidden, 1 x 1; the context was made on it
    Uint32 windowId = 0;
    SDL_GLContext context = nullptr;
};
Spare& SpareContext() {
    static Spare spare;
    return spare;
}

// Gives `window` the probe's context when its pixel format suits it.
SDL_GLContext AdoptSpare(SDL_Window* window) {
    Spare& spare = SpareContext();
    // Gone with the video subsystem, which the probe's hold on it should prevent.
    if (!spare.context || SDL_GetWindowFromID(spare.windowId) != spare.window) return nullptr;
    SDL_GLContext context = spare.context;
    if (SDL_GL_MakeCurrent(window, context) != 0) return nullptr;
    SDL_DestroyWindow(spare.window);
    spare = Spare{};
    return context;
}

}  // namespace

bool PrepareForWindows() {
    // Done on every call: SDL forgets the library and the attributes whenever
    // its video subsystem is shut down and started again. Loading an already
    // loaded library only counts a reference.
    return LoadLibraryAndAsk(3, 3, SDL_GL_CONTEXT_PROFILE_CORE);
}

bool ShowsPictures(NativeWindow) {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && SDL_strcmp(driver, "offscreen") != 0;
}

void* NewContext(SDL_Window* window) {
    SDL_GLContext context = AdoptSpare(window);
    if (!context) context = SDL_GL_CreateContext(window);
    // Presenting must never wait for a display refresh: the game paces itself.
    if (context) SDL_GL_SetSwapInterval(0);
    return context;
}

RendererInfo ProbeWithFirstContext() {
    RendererInfo info;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return info;  // no display: no OpenGL
    if (PrepareForWindows()) {
        // Creating a context makes it current; give the caller its own back.
        SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
        SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
        SDL_Window* window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1,
                                              SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
        if (context) {
            info = ReadCurrentRenderer();
            SDL_GL_MakeCurrent(window, nullptr);
            Spare& spare = SpareContext();
            if (!spare.context && info.available) {
                spare = {window, SDL_GetWindowID(window), context};  // the first window's, when it comes
            } else {
                SDL_GL_DeleteContext(context);
                SDL_DestroyWindow(window);
            }
        } else if (window) {
            SDL_DestroyWindow(window);
        }
        if (previousContext) SDL_GL_MakeCurrent(previousWindow, previousContext);
    }
    // Video stays initialised: quitting it would unload the OpenGL library and
    // reset the context attributes that PrepareForWindows set once for all windows.
    return info;
}

}  // namespace plat::gl
