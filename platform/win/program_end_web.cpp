// The end of the game's program in the page, as a process ends on the desktop:
// what it left behind in the page goes with it, so that the page can start
// the next game as a fresh program beside nothing of the last.
#include <emscripten/emscripten.h>

#include <cstdio>

#include "platform/win/host.h"

namespace {

// Each part that listens to the page or holds on to its sound adds its own
// farewell to Module.kestrovaAtEnd; the page runs them too if the program
// aborts.
EM_JS(void, KestrovaRunEndHooks, (), {
    (Module.kestrovaAtEnd || []).forEach(function (hook) {
        try {
            hook();
        } catch (error) {
            console.error(error);
        }
    });
    Module.kestrovaAtEnd = [];
});

}  // namespace

namespace plat {

int EndProgram(int exitCode) {
    std::fflush(stdout);
    std::fflush(stderr);
    KestrovaRunEndHooks();
    // Ends the runtime however many timers are still set, and calls the
    // page's Module.onExit with the code.
    emscripten_force_exit(exitCode);
    return exitCode;
}

}  // namespace plat
