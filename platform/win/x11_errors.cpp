// Xlib's own answer to any X error is to end the program. SDL wakes a waiting
// GetMessage from other threads (a posted message, a MIDI buffer done) by
// sending an event to its newest window; when the main thread destroys that
// window at the same moment (the "Game Over!" box closed with Enter), the
// server may see the destroy first and answer the send with BadWindow. The
// wake-up was for a window that is gone, so nothing is lost by dropping it;
// every other error still goes where it went before.
#include "platform/win/window_manager.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <cstring>

namespace plat::win {
namespace {

XErrorHandler earlierHandler = nullptr;

int OnXError(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
    return earlierHandler ? earlierHandler(display, error) : 0;
}

}  // namespace

void SurviveSendsToWindowsGone() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "x11") != 0) return;
    XErrorHandler current = XSetErrorHandler(OnXError);
    // Called again after SDL was shut down and started anew: keep the chain.
    if (current != OnXError) earlierHandler = current;
}

}  // namespace plat::win
