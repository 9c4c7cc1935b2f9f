// The contexts of SDL windows, on Linux and in the browser alike: one per
// top-level window, made on first use by the system's file (NewContext).
#include "platform/gl/gl_context.h"

#include <SDL.h>

#include <unordered_map>
#include <unordered_set>

#include "platform/gl/gl_windows_sdl.h"
#include "platform/win/first_picture.h"
#include "platform/win/native_window.h"

namespace plat::gl {
namespace {

std::unordered_map<SDL_Window*, SDL_GLContext>& Contexts() {
    static std::unordered_map<SDL_Window*, SDL_GLContext> contexts;
    return contexts;
}

// Windows whose back buffer holds a solid paint not yet presented.
std::unordered_set<SDL_Window*>& Unpresented() {
    static std::unordered_set<SDL_Window*> windows;
    return windows;
}

}  // namespace

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

bool HasContext(NativeWindow window) { return Contexts().count(window) != 0; }

bool MakeCurrent(NativeWindow window) {
    if (!window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) return false;
    auto& contexts = Contexts();
    auto it = contexts.find(window);
    if (it == contexts.end()) {
        SDL_GLContext context = NewContext(window);
        if (!context) return false;
        contexts.emplace(window, context);
        return true;  // a new context is left current
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

bool LoadLibraryAndAsk(int major, int minor, int profile) {
    if (SDL_GL_LoadLibrary(nullptr) != 0) return false;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, major);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, minor);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, profile);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    return true;
}

}  // namespace plat::gl
