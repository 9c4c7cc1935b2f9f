#include "platform/gl/gl_context.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/gl/gl_probe.h"
#include "platform/win/first_picture.h"
#include "platform/win/native_window.h"

namespace plat::gl {
namespace {

std::unordered_map<SDL_Window*, SDL_GLContext>& Contexts() {
    static std::unordered_map<SDL_Window*, SDL_GLContext> contexts;
    return contexts;
}

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

// Windows whose back buffer holds a solid paint not yet presented.
std::unordered_set<SDL_Window*>& Unpresented() {
    static std::unordered_set<SDL_Window*> windows;
    return windows;
}

}  // namespace

bool PrepareForWindows() {
    // Done on every call: SDL forgets the library and the attributes whenever
    // its video subsystem is shut down and started again. Loading an already
    // loaded library only counts a reference.
    if (SDL_GL_LoadLibrary(nullptr) != 0) return false;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    // A device covering the window draws into it directly, with the same
    // depth precision as the framebuffer objects of the other devices.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    return true;
}

NativeWindow NativeOf(HWND window) { return NativeWindowOf(window); }

void* CurrentContext() { return SDL_GL_GetCurrentContext(); }

std::uintptr_t WindowKey(NativeWindow window) { return window ? SDL_GetWindowID(window) : 0; }

bool WindowAlive(NativeWindow window, std::uintptr_t key) {
    return window && SDL_GetWindowFromID(static_cast<Uint32>(key)) == window;
}

void DrawableSize(NativeWindow window, int& width, int& height) { SDL_GL_GetDrawableSize(window, &width, &height); }

void Present(NativeWindow window) {
    SDL_GL_SwapWindow(window);
    Unpresented().erase(window);
    NoteFirstPicture();
}

bool ShowsPictures(NativeWindow) {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && SDL_strcmp(driver, "offscreen") != 0;
}

bool HasContext(NativeWindow window) { return Contexts().count(window) != 0; }

bool MakeCurrent(NativeWindow window) {
    if (!window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) return false;
    auto& contexts = Contexts();
    auto it = contexts.find(window);
    if (it == contexts.end()) {
        SDL_GLContext context = AdoptSpare(window);
        if (!context) context = SDL_GL_CreateContext(window);
        if (!context) return false;
        // Presenting must never wait for a display refresh: the game paces itself.
        SDL_GL_SetSwapInterval(0);
        it = contexts.emplace(window, context).first;
        return true;  // SDL_GL_CreateContext leaves the new context current
    }
    return SDL_GL_MakeCurrent(window, it->second) == 0;
}

void ReleaseWindow(NativeWindow window) {
    auto& contexts = Contexts();
    auto it = contexts.find(window);
    if (it == contexts.end()) return;
    if (SDL_GL_GetCurrentContext() == it->second) SDL_GL_MakeCurrent(window, nullptr);
    SDL_GL_DeleteContext(it->second);
    contexts.erase(it);
    Unpresented().erase(window);
}

bool PaintSolid(NativeWindow window, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    if (!MakeCurrent(window)) return false;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window, &w, &h);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, w, h);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    Unpresented().insert(window);
    return true;
}

void PresentPending(NativeWindow window) {
    if (Unpresented().erase(window) == 0 || !MakeCurrent(window)) return;
    SDL_GL_SwapWindow(window);
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
