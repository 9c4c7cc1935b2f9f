// The browser's contexts. SDL's Emscripten backend makes every window on the
// page's one canvas, so there is one WebGL 2 context at a time, asked for as
// OpenGL ES 3.0, and no hidden window to probe with: a window made for the
// probe would take the canvas from the game's.
#include "platform/gl/gl_context.h"

#include <SDL.h>
#include <emscripten/emscripten.h>

#include "platform/gl/gl_windows_sdl.h"
#include "platform/gl/gl_probe.h"

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

bool PrepareForWindows() {
    // Keys reach the game only while the canvas has the focus, as a desktop
    // window's do, and never while someone types into the page elsewhere.
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_KEYBOARD_ELEMENT, "#canvas");
    return LoadLibraryAndAsk(3, 0, SDL_GL_CONTEXT_PROFILE_ES);
}

// A hidden window draws off the page, where pictures can be read back, as a
// hidden window on Windows does.
bool ShowsPictures(NativeWindow window) { return !(SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN); }

// No swap interval is set: the browser has no main loop of ours to pace, and
// presenting never waits for the display anyway. SDL gives the browser its
// turn at each swap (Asyncify), which shows the picture.
void* NewContext(SDL_Window* window) { return SDL_GL_CreateContext(window); }

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
