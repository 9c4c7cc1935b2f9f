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

// Whether the window manager keeps a destroyed window's native window, which
// must then not be destroyed. Only the browser does: there the main window is
// the canvas, which SDL would empty, and the page shows the game's last
// picture until the next game (the program's end lets go of the rest).
bool KeepsLastPicture(SDL_Window* window);

// Keeps the program alive when an event sent to one of its windows finds the
// window already destroyed, as SDL's wake-ups from other threads can. Call
// once SDL's video is up; does nothing where its driver is not x11.
void SurviveSendsToWindowsGone();

}  // namespace plat::win
