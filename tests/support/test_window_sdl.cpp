#include <SDL.h>

#include <cstdio>

#include "platform/gl/gl_context.h"
#include "tests/support/test_window.h"

namespace testsupport {

plat::gl::NativeWindow CreateHiddenGlWindow(int width, int height) {
    // Video stays up for the whole run, as in the program: shutting the
    // offscreen driver down and up again between tests only churns EGL.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0 || !plat::gl::PrepareForWindows()) {
        std::fprintf(stderr, "no video: %s\n", SDL_GetError());
        return nullptr;
    }
    SDL_Window* window = SDL_CreateWindow("test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) std::fprintf(stderr, "no window: %s\n", SDL_GetError());
    return window;
}

void ResizeHiddenGlWindow(plat::gl::NativeWindow window, int width, int height) {
    SDL_SetWindowSize(window, width, height);
}

void DestroyHiddenGlWindow(plat::gl::NativeWindow window) {
    if (!window) return;
    plat::gl::ReleaseWindow(window);
    SDL_DestroyWindow(window);
}

}  // namespace testsupport
