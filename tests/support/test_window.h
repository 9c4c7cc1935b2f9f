// A hidden window that can carry an OpenGL context, for tests that draw
// without the window system: on SDL's offscreen driver on Linux, a hidden
// top-level window on Windows.
#pragma once

#include "app/platform_calls.h"
#include "platform/gl/gl_window.h"

namespace testsupport {

// Null when no such window can be made; the reason goes to stderr.
plat::gl::NativeWindow CreateHiddenGlWindow(int width, int height);
// Gives the window's drawable a new size.
void ResizeHiddenGlWindow(plat::gl::NativeWindow window, int width, int height);
// Releases the window's context with it.
void DestroyHiddenGlWindow(plat::gl::NativeWindow window);

// Shows a window of the window system as tests see it on Linux, where SDL's
// offscreen driver shows nothing: on Windows and in the browser it stays
// hidden, so its pictures can be read back and no other test's window takes
// its focus away.
void ShowForTest(HWND window);

}  // namespace testsupport
