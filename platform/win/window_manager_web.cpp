// The browser has no window manager to tell anything: the game's window is
// the page's canvas, and no event can reach a window that is gone.
#include "platform/win/window_manager.h"

namespace plat::win {

void TellWindowManager(SDL_Window*, DWORD) {}

void SurviveSendsToWindowsGone() {}

}  // namespace plat::win
