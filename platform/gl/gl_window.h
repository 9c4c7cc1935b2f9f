// The window an OpenGL context lives on: an SDL window on Linux, the system's
// own window on Windows. Only the stand-ins' OpenGL files see what it is.
#pragma once

#if defined(_WIN32)
struct HWND__;
namespace plat::gl {
using NativeWindow = HWND__*;
}
#else
struct SDL_Window;
namespace plat::gl {
using NativeWindow = SDL_Window*;
}
#endif
