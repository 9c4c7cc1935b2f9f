// What DirectDraw needs of the system it runs on: the display, and pixel
// memory that GDI can draw into. display_sdl.cpp (Linux, on SDL and our GDI)
// and display_win32.cpp (Windows, on the system's own GDI) fill it.
#pragma once

#include <cstdint>

#include "platform/com/system_types.h"

namespace plat::ddraw {

// Held open for as long as a DirectDraw object lives; false without a display.
bool OpenDisplay();
void CloseDisplay();

struct DisplayMode {
    int width = 0, height = 0, refreshRate = 0, bitsPerPixel = 0;
};
bool GetDesktopMode(DisplayMode& mode);

// The pixels of one system-memory surface: zeroed, 32 bits a pixel as
// 0x00RRGGBB, rows from the top, width * 4 bytes a row.
struct SurfaceMemory;
SurfaceMemory* AllocateSurfaceMemory(int width, int height);
std::uint32_t* SurfacePixels(SurfaceMemory* memory);
void FreeSurfaceMemory(SurfaceMemory* memory);

// A device context that draws into the memory; null when none can be made.
// GDI's drawing has reached the pixels once the context is closed.
HDC OpenSurfaceDC(SurfaceMemory* memory);
void CloseSurfaceDC(SurfaceMemory* memory, HDC dc);

}  // namespace plat::ddraw
