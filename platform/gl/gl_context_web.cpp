// The browser's contexts. SDL's Emscripten backend makes every window on the
// page's one canvas, so there is one WebGL 2 context at a time, asked for as
// OpenGL ES 3.0, and no hidden window to probe with: a window made for the
// probe would take the canvas from the game's.
#include "platform/gl/gl_context.h"

#include <SDL.h>
#include <emscripten/emscripten.h>

#include <unordered_map>
#include <unordered_set>

#include "platform/gl/gl_probe.h"
#include "platform/win/first_picture.h"
#include "platform/win/native_window.h"

// What the browser says of its WebGL 2, from a canvas of the probe's own that
// is let go at once. 0 when the browser has no WebGL 2.
EM_JS(int, KestrovaProbeWebGl2, (char* renderer, char* vendor, char* version, int size), {
    var gl = document.createElement('canvas').getContext('webgl2');
    if (!gl) return 0;
    // The real names when the browser tells them, else its generic ones.
    var names = gl.getExtension('WEBGL_debug_renderer_info');
    stringToUTF8(String(gl.getParameter(names ? names.UNMASKED_RENDERER_WEBGL : gl.RENDERER)), renderer, size);
    stringToUTF8(String(gl.getParameter(names ? names.UNMASKED_VENDOR_WEBGL : gl.VENDOR)), vendor, size);
    stringToUTF8(String(gl.getParameter(gl.VERSION)), version, size);
    var lose = gl.getExtension('WEBGL_lose_context');
    if (lose) lose.loseContext();
    return 1;
});

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

bool PrepareForWindows() {
    if (SDL_GL_LoadLibrary(nullptr) != 0) return false;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
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

// SDL gives the browser its turn here (Asyncify), which shows the picture.
void Present(NativeWindow window) {
    SDL_GL_SwapWindow(window);
    Unpresented().erase(window);
    NoteFirstPicture();
}

bool ShowsPictures(NativeWindow) { return true; }

bool HasContext(NativeWindow window) { return Contexts().count(window) != 0; }

// No swap interval is set: the browser has no main loop of ours to pace, and
// presenting never waits for the display anyway.
bool MakeCurrent(NativeWindow window) {
    if (!window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) return false;
    auto& contexts = Contexts();
    auto it = contexts.find(window);
    if (it == contexts.end()) {
        SDL_GLContext context = SDL_GL_CreateContext(window);
        if (!context) return false;
        contexts.emplace(window, context);
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
    char renderer[256] = {}, vendor[256] = {}, version[256] = {};
    if (!KestrovaProbeWebGl2(renderer, vendor, version, sizeof renderer)) return info;
    info.renderer = renderer;
    info.vendor = vendor;
    info.version = version;
    info.available = !info.renderer.empty();
    info.software = IsSoftwareRenderer(info.renderer);
    return info;
}

}  // namespace plat::gl
