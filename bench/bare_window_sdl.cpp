#include <SDL.h>

#include "bench/bare_window.h"
#include "platform/gl/gl_context.h"

namespace bench {
namespace {

SDL_Window* Sdl(void* window) { return static_cast<SDL_Window*>(window); }
SDL_GLContext Context(std::intptr_t context) { return reinterpret_cast<SDL_GLContext>(context); }

}  // namespace

bool BareWindow::Open(int width, int height, int x, int y) {
    Close();
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    window_ = SDL_CreateWindow("bare OpenGL", x, y, width, height, SDL_WINDOW_OPENGL);
    context_ = window_ ? reinterpret_cast<std::intptr_t>(SDL_GL_CreateContext(Sdl(window_))) : 0;
    // Back to what the platform asks of its windows.
    SDL_GL_ResetAttributes();
    plat::gl::PrepareForWindows();
    if (!context_) {
        Close();
        return false;
    }
    SDL_GL_SetSwapInterval(0);
    return true;
}

void BareWindow::Close() {
    if (context_) {
        SDL_GL_MakeCurrent(Sdl(window_), nullptr);
        SDL_GL_DeleteContext(Context(context_));
    }
    if (window_) SDL_DestroyWindow(Sdl(window_));
    window_ = nullptr;
    context_ = 0;
}

bool BareWindow::IsOpen() const { return context_ != 0; }

void BareWindow::MakeCurrent() { SDL_GL_MakeCurrent(Sdl(window_), Context(context_)); }

void BareWindow::Present() { SDL_GL_SwapWindow(Sdl(window_)); }

void BareWindow::DrawableSize(int& width, int& height) const { SDL_GL_GetDrawableSize(Sdl(window_), &width, &height); }

}  // namespace bench
