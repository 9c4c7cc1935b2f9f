// The browser has no window manager to tell anything: the game's window is
// the page's canvas, and no event can reach a window that is gone. What the
// desktop's window manager does for the window, the page does here: it sizes
// the window to the browser's, and takes the focus from it.
#include "platform/win/window_manager.h"

#include <SDL.h>
#include <emscripten/emscripten.h>

namespace {

// SDL's id of the window on the canvas; 0 before there is one.
Uint32 canvasWindow = 0;

}  // namespace

// The window's size is the canvas's drawing buffer in device pixels, as a
// desktop window's is in the screen's pixels: the game lays out, draws and
// reads the mouse in one unit, and the picture is as sharp as the screen.
// SDL scales the mouse to the window's size; its own resize, which comes
// first, sizes the buffer in CSS pixels, and this puts it right.
extern "C" EMSCRIPTEN_KEEPALIVE void KestrovaFitCanvas(int width, int height) {
    SDL_Window* window = SDL_GetWindowFromID(canvasWindow);
    if (window && width > 0 && height > 0) SDL_SetWindowSize(window, width, height);
}

// Whether the canvas has the focus, as a window manager's focus events say
// it: queued, so the game hears it in its own loop as on the desktop.
extern "C" EMSCRIPTEN_KEEPALIVE void KestrovaCanvasFocus(int focused) {
    if (!SDL_GetWindowFromID(canvasWindow)) return;
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.timestamp = SDL_GetTicks();
    event.window.windowID = canvasWindow;
    event.window.event = focused ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&event);
}

// Listeners of our own, not emscripten_set_*_callback: SDL removes every
// callback of a kind when it destroys a window.
EM_JS(void, KestrovaWatchCanvas, (), {
    var canvas = Module.canvas;
    function fit() {
        var box = canvas.getBoundingClientRect();
        var ratio = window.devicePixelRatio || 1;
        _KestrovaFitCanvas(Math.round(box.width * ratio), Math.round(box.height * ratio));
    }
    // Everything here is let go of when the program ends (program_end_web.cpp).
    var watching = Module.kestrovaCanvasWatch;
    var fresh = !watching;
    if (fresh) {
        watching = Module.kestrovaCanvasWatch = new AbortController();
        Module.kestrovaAtEnd = (Module.kestrovaAtEnd || []).concat(function () {
            watching.abort();
            // SDL's listeners, on the canvas and the page. SDL_Quit would take
            // them too, but it also empties the canvas, which keeps the
            // game's last picture until the next game.
            JSEvents.removeAllEventListeners();
        });
    }
    var own = { signal: watching.signal };
    // Browser zoom resizes the window too; a move to a screen of another
    // density may change nothing else. The query is kept: one let go of
    // may be collected with its listener.
    function watchRatio() {
        Module.kestrovaRatioQuery = matchMedia('(resolution: ' + (window.devicePixelRatio || 1) + 'dppx)');
        Module.kestrovaRatioQuery.addEventListener('change', function () { fit(); watchRatio(); },
                                                   { once: true, signal: watching.signal });
    }
    // The game has the focus while the page is shown, the browser's window
    // has the focus and the canvas has it within the page. Judged once each
    // event has settled (a blur comes before the next element's focus), and
    // after SDL's own word on the browser's window, which this overrides.
    function judge() {
        if (watching.signal.aborted) return;
        _KestrovaCanvasFocus(!document.hidden && document.hasFocus() && document.activeElement === canvas ? 1 : 0);
    }
    function judgeLater() { setTimeout(judge, 0); }
    if (fresh) {
        window.addEventListener('resize', fit, own);
        watchRatio();
        canvas.addEventListener('focus', judgeLater, own);
        canvas.addEventListener('blur', judgeLater, own);
        window.addEventListener('focus', judgeLater, own);
        window.addEventListener('blur', judgeLater, own);
        document.addEventListener('visibilitychange', judgeLater, own);
        // A finger on the canvas gives it the keys as a click does: SDL stops
        // the touch's own mouse events, and with them the browser's focus.
        canvas.addEventListener('touchstart', function () { canvas.focus(); }, { passive: true, signal: watching.signal });
        // A long press or right-button drag turns the camera, never opens a menu.
        canvas.addEventListener('contextmenu', function (event) { event.preventDefault(); }, own);
    }
    fit();
    judgeLater();
});

namespace plat::win {

// The window the game may resize is its main window, which takes the canvas.
void TellWindowManager(SDL_Window* window, DWORD) {
    if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE)) return;
    canvasWindow = SDL_GetWindowID(window);
    KestrovaWatchCanvas();
}

bool KeepsLastPicture(SDL_Window* window) {
    if (!window || SDL_GetWindowID(window) != canvasWindow) return false;
    canvasWindow = 0;
    return true;
}

void SurviveSendsToWindowsGone() {}

}  // namespace plat::win
