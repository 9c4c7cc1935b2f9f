// One OpenGL 3.3 core context per top-level window, made on first use and kept
// until the window goes away, so shaders and textures live as long as the window.
// gl_context_sdl.cpp (Linux), gl_context_wgl.cpp (Windows) and gl_context_web.cpp
// (the browser) fill it. In the browser the context is WebGL 2, which is
// OpenGL ES 3.0: the few calls the renderer makes that it lacks are chosen here.
#pragma once

#include <cstdint>
#include <vector>

#if defined(__EMSCRIPTEN__)
#include <GLES3/gl3.h>
#else
#include <epoxy/gl.h>
#endif

#include "platform/com/system_types.h"
#include "platform/gl/gl_window.h"

namespace plat::gl {

#if defined(__EMSCRIPTEN__)
// The first line of every shader; ES asks fragment shaders for a float precision.
inline constexpr const char* kShaderVersion = "#version 300 es\nprecision highp float;\n";
// The window's own colour buffer, as glGetFramebufferAttachmentParameteriv names it.
inline constexpr GLenum kWindowColorBuffer = GL_BACK;
// ES has no sRGB switch: pictures are always stored as drawn.
inline void StorePicturesAsDrawn() {}
inline void ClearDepthTo(float depth) { glClearDepthf(depth); }
// 0x00RRGGBB words as a texture. ES takes no BGRA upload, so the words are
// turned into R, G, B, X bytes in place first.
inline void TexImageXrgb(int width, int height, std::vector<std::uint32_t>& texels) {
    for (std::uint32_t& t : texels) t = ((t >> 16) & 0xFF) | (t & 0xFF00) | ((t & 0xFF) << 16);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
}
#else
inline constexpr const char* kShaderVersion = "#version 330 core\n";
inline constexpr GLenum kWindowColorBuffer = GL_BACK_LEFT;
inline void StorePicturesAsDrawn() { glDisable(GL_FRAMEBUFFER_SRGB); }
inline void ClearDepthTo(float depth) { glClearDepth(depth); }
// 0x00RRGGBB words are B, G, R, X bytes on this little-endian host.
inline void TexImageXrgb(int width, int height, std::vector<std::uint32_t>& texels) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
}
#endif

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
