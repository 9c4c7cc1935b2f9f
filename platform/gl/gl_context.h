// One OpenGL 3.3 core context per top-level window, made on first use and kept
// until the window goes away, so shaders and textures live as long as the window.
#pragma once

#include <cstdint>

struct SDL_Window;

namespace plat::gl {

// Loads the OpenGL library and sets the context attributes that windows must be
// created with. False when no OpenGL can be loaded at all; windows are then plain.
bool PrepareForWindows();

// Makes the window's context current, creating it on first use.
// False when the window cannot carry an OpenGL 3.3 core context.
bool MakeCurrent(SDL_Window* window);

// Whether the window already has a context (made by an earlier MakeCurrent).
bool HasContext(SDL_Window* window);

// Deletes the window's context; called just before the native window is destroyed.
void ReleaseWindow(SDL_Window* window);

// Fills the whole drawable with one colour and presents it: the class brush of a
// window that nothing else draws into.
bool PaintSolid(SDL_Window* window, std::uint8_t r, std::uint8_t g, std::uint8_t b);

}  // namespace plat::gl
