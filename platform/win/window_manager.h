// What the desktop's window manager is told about a top-level window beyond
// what SDL says for every driver (title, size, owner, task-bar entry).
#pragma once

#include "platform/win/win_types.h"

struct SDL_Window;

namespace plat::win {

// The program's window class, which docks match against the menu entry's
// StartupWMClass to group the running game with its launcher.
inline constexpr const char* kWindowClassName = "Kestrova";

// Call while the window is hidden: window managers read these when it is
// mapped. A captioned popup is a dialog; the frame offers the minimise and
// maximise buttons only for WS_MINIMIZEBOX and WS_MAXIMIZEBOX. Does nothing
// where SDL's video driver is not x11.
void TellWindowManager(SDL_Window* window, DWORD style);

}  // namespace plat::win
