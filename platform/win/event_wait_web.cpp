// In the browser SDL has nothing to block on: its wait sleeps a millisecond
// at a time and looks again, a few hundred wake-ups a second, each winding
// the whole call stack back through Asyncify. Here the program sleeps until
// an event is pushed or the next timer is due, so a game with nothing to do
// costs the browser nothing, as on the desktop.
#include <emscripten/emscripten.h>

#include "platform/win/event_wait.h"

namespace {

// The page's event handlers push events from inside the program, which
// cannot be woken there; the wake-up runs once they have returned.
EM_JS(void, KestrovaWakeWaiter, (), {
    if (Module.kestrovaWake) Promise.resolve().then(Module.kestrovaWake);
});

EM_ASYNC_JS(void, KestrovaSleepUntilEvent, (int timeout), {
    await new Promise(function (resolve) {
        var timer = timeout >= 0 ? setTimeout(wake, timeout) : 0;
        function wake() {
            clearTimeout(timer);
            Module.kestrovaWake = null;
            resolve();
        }
        Module.kestrovaWake = wake;
    });
});

int WakeOnEvent(void*, SDL_Event*) {
    KestrovaWakeWaiter();
    return 0;
}

}  // namespace

namespace plat::win {

bool WaitForEvent(SDL_Event* event, int timeout) {
    if (SDL_PollEvent(event)) return true;
    if (timeout == 0) return false;
    // SDL forgets its watchers whenever its event loop stops.
    SDL_DelEventWatch(WakeOnEvent, nullptr);
    SDL_AddEventWatch(WakeOnEvent, nullptr);
    KestrovaSleepUntilEvent(timeout);
    return SDL_PollEvent(event) == 1;
}

}  // namespace plat::win
