// What each system's SDL context file gives the contexts of SDL windows
// (gl_windows_sdl.cpp): gl_context_sdl.cpp on Linux, gl_context_web.cpp in the browser.
#pragma once

struct SDL_Window;

namespace plat::gl {

// A new context for the window, left current; null when none can be made.
void* NewContext(SDL_Window* window);

// Loads SDL's OpenGL library and asks every window made after for a context of
// this version and profile (an SDL_GLprofile), 8 bits a colour and a 24-bit
// depth buffer: a device covering the window draws into it directly, with the
// same depth precision as the framebuffer objects of the other devices.
// False when the library cannot be loaded.
bool LoadLibraryAndAsk(int major, int minor, int profile);

}  // namespace plat::gl
