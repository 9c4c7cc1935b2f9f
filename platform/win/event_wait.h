// How the message loop waits for SDL's next event.
#pragma once

#include <SDL.h>

namespace plat::win {

// The next event within `timeout` ms (-1: however long it takes), into `event`.
// False when none came; the caller looks at its timers and asks again.
bool WaitForEvent(SDL_Event* event, int timeout);

}  // namespace plat::win
