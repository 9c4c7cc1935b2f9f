// What each system's SDL context file gives the contexts of SDL windows
// (gl_windows_sdl.cpp): gl_context_sdl.cpp on Linux, gl_context_web.cpp in the browser.
#pragma once

struct SDL_Window;

namespace plat::gl {

// A new context for the window, left current; null when none can be made.
void* NewContext(SDL_Window* window);

}  // namespace plat::gl
