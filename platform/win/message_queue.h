// The queue's side that SDL event translation feeds.
#pragma once

#include <cstdint>

#include "platform/win/window_system.h"

union SDL_Event;

namespace plat::win {

// Appends an input message; a newer WM_MOUSEMOVE replaces a pending one of the
// same window that is last in line, so moving the mouse never floods the queue.
// A message stamped with the current time.
MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void QueueInput(const MSG& msg);

// Turns one SDL event into queued input, sent window messages or paint.
void TranslateSdlEvent(const SDL_Event& event);

// Mouse input at a point of the window's client area (SDL's window id), sent
// to the child under it: `buttons` are the MK_ button flags held.
void QueueMouseInput(std::uint32_t windowId, int x, int y, UINT message, WPARAM buttons, int clicks);

// Finger events as mouse input (touch_translation.cpp).
void TranslateTouch(const SDL_Event& event);

// GetKeyState follows the key messages as they are taken from the queue.
void NoteRetrievedKey(const MSG& msg);

// The wake event posted by PostMessageA has been taken from SDL's queue.
void NoteWoken();

}  // namespace plat::win
