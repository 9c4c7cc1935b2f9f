// The program's first presented picture. Work the court does not need, such as
// reading the synthesiser's sound font, waits for it, so that the player sees
// the court as early as a bare OpenGL program would show it.
#pragma once

#include <chrono>
#include <functional>

namespace plat {

// Called by the OpenGL context after each present; costs nothing after the first.
void NoteFirstPicture();

// Returns once the first picture was presented (true), `stop` says so, or
// `atMost` passed. WakeFirstPictureWaiters makes waiters look at `stop` again.
bool WaitForFirstPicture(std::chrono::milliseconds atMost, const std::function<bool()>& stop);
void WakeFirstPictureWaiters();

}  // namespace plat
