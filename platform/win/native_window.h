// How the other stand-ins reach the SDL window behind a window handle.
// Only platform code includes this; the game never sees SDL.
#pragma once

#include "platform/win/win_types.h"

struct SDL_Window;

namespace plat {

// The SDL window of a top-level window, or null for a child window or a handle
// that names no live window.
SDL_Window* NativeWindowOf(HWND window);

// The window handle of an SDL window made by the window system, or null.
HWND WindowFromNative(SDL_Window* native);

}  // namespace plat
