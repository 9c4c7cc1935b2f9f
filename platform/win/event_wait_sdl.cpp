#include "platform/win/event_wait.h"

namespace plat::win {

bool WaitForEvent(SDL_Event* event, int timeout) { return SDL_WaitEventTimeout(event, timeout) == 1; }

}  // namespace plat::win
