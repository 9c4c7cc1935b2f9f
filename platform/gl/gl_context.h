// One OpenGL 3.3 core context per top-level window, made on first use and kept
// until the window goes away, so shaders and textures live as long as the window.
// gl_context_sdl.cpp (Linux) and gl_context_wgl.cpp (Windows) fill it.
#pragma once

#include <cstdint>

#include <epoxy/gl.h>

#include "platform/com/system_types.h"
#include "platform/gl/gl_window.h"

namespace plat::gl {

// Loads the OpenGL library and sets the context attributes that windows must be
// created with. False when no OpenGL can be loaded at all; windows are then plain.
// Our Linux window system's alone: Windows' own windows need no preparing.
bool PrepareForWindows();

// The window a window handle draws through, or null when there is none.
NativeWindow NativeOf(HWND window);

// Makes the window's context current, creating it on first use.
// False when the window cannot carry an OpenGL 3.3 core context.
bool MakeCurrent(NativeWindow window);

// Whether the window already has a context (made by an earlier MakeCurrent).
bool HasContext(NativeWindow window);

// The context current on this thread, to tell a new context from a kept one.
void* CurrentContext();

// Deletes the window's context; called just before the native window is destroyed.
void ReleaseWindow(NativeWindow window);

// A key for the window that a later window never shares while this one
// lives, and whether the window of that key is still there.
std::uintptr_t WindowKey(NativeWindow window);
bool WindowAlive(NativeWindow window, std::uintptr_t key);

// The size of the window's drawable in pixels.
void DrawableSize(NativeWindow window, int& width, int& height);

// Presents the back buffer of the window's current context.
void Present(NativeWindow window);

// Whether pictures drawn into the window's back buffer are shown at all:
// SDL's offscreen driver has no window to show, nor has a hidden window on
// Windows, and tests read their pictures back.
bool ShowsPictures(NativeWindow window);

// Fills the whole drawable with one colour: the class brush of a window, as our
// Linux window system paints it. The colour is presented by PresentPending at
// the end of the paint, unless the paint presented a picture of its own, which
// covers it: a first picture need not wait for a green one before it.
bool PaintSolid(NativeWindow window, std::uint8_t r, std::uint8_t g, std::uint8_t b);
void PresentPending(NativeWindow window);

}  // namespace plat::gl
