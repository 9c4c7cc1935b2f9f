// The bare program's drawable in the browser: a canvas of its own beside the
// game's, with a WebGL 2 context asked for as the game's window asks for its
// own (no alpha, a depth buffer, no stencil, no multisampling). SDL makes
// every window on the one canvas the game draws on, so this owes SDL nothing.
#include <SDL.h>
#include <emscripten/em_js.h>
#include <emscripten/html5.h>

#include "bench/bare_window.h"

namespace {

constexpr const char* kCanvas = "#bare";

// The canvas is placed and sized in CSS pixels of a page at one device pixel
// a CSS pixel, the drawing buffer to match; made on first use.
EM_JS(void, KestrovaPlaceBareCanvas, (int width, int height, int x, int y), {
    var canvas = document.getElementById('bare');
    if (!canvas) {
        canvas = document.createElement('canvas');
        canvas.id = 'bare';
        canvas.style.position = 'absolute';
        document.body.appendChild(canvas);
    }
    canvas.style.left = x + 'px';
    canvas.style.top = y + 'px';
    canvas.style.width = width + 'px';
    canvas.style.height = height + 'px';
    canvas.width = width;
    canvas.height = height;
    canvas.hidden = false;
});

EM_JS(void, KestrovaHideBareCanvas, (), {
    var canvas = document.getElementById('bare');
    if (canvas) canvas.hidden = true;
});

}  // namespace

namespace bench {

bool BareWindow::Open(int width, int height, int x, int y) {
    Close();
    KestrovaPlaceBareCanvas(width, height, x, y);
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(kCanvas, &attributes);
    if (context <= 0) {
        KestrovaHideBareCanvas();
        return false;
    }
    context_ = context;
    MakeCurrent();
    return true;
}

void BareWindow::Close() {
    if (context_) {
        if (emscripten_webgl_get_current_context() == context_) emscripten_webgl_make_context_current(0);
        emscripten_webgl_destroy_context(static_cast<EMSCRIPTEN_WEBGL_CONTEXT_HANDLE>(context_));
        KestrovaHideBareCanvas();
    }
    window_ = nullptr;
    context_ = 0;
}

bool BareWindow::IsOpen() const { return context_ != 0; }

// SDL keeps its own word on which context is current and makes the game's
// current again only when it thinks another is: it is told none is.
void BareWindow::MakeCurrent() {
    SDL_GL_MakeCurrent(nullptr, nullptr);
    emscripten_webgl_make_context_current(static_cast<EMSCRIPTEN_WEBGL_CONTEXT_HANDLE>(context_));
}

// The browser shows the canvas when the page next has its turn, which the
// benchmark gives it between frames, as it does the game's (whose swap is
// told not to: SDL_HINT_EMSCRIPTEN_ASYNCIFY).
void BareWindow::Present() {}

void BareWindow::DrawableSize(int& width, int& height) const {
    emscripten_webgl_get_drawing_buffer_size(static_cast<EMSCRIPTEN_WEBGL_CONTEXT_HANDLE>(context_), &width, &height);
}

}  // namespace bench
