// GDI stand-in: device contexts on 32-bit pixel memory, solid brushes and pens,
// flood fill and lines, and the desktop's depth.
#pragma once

#include "platform/win/win_types.h"

namespace plat {

constexpr int BITSPIXEL = 12;
constexpr int PS_SOLID = 0;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;  // GetPixel off the picture or on a bad context

HBRUSH CreateSolidBrush(COLORREF color);
HPEN CreatePen(int style, int width, COLORREF color);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);

// GetDC(nullptr) is the desktop's context; a window's context answers
// GetDeviceCaps but draws nowhere (windows are drawn by OpenGL or the dialogs).
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
int GetDeviceCaps(HDC dc, int index);

BOOL FloodFill(HDC dc, int x, int y, COLORREF border);
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL LineTo(HDC dc, int x, int y);
COLORREF GetPixel(HDC dc, int x, int y);

}  // namespace plat

// What the other stand-ins need of GDI's objects.
namespace plat::gdi {

// The colour of a brush made by CreateSolidBrush; false for any other handle.
bool BrushColor(HBRUSH brush, COLORREF* color);

// A context drawing into 32-bit pixels 0x00RRGGBB (the display format), rows
// pitchBytes apart; DirectDraw surfaces hand these out from GetDC.
HDC CreateMemoryDC(std::uint32_t* pixels, int width, int height, int pitchBytes);
void DeleteMemoryDC(HDC dc);

// Bits per pixel of the desktop: 32 for any true-colour display, as the old
// platform reported; the depth that device enumeration matches against.
int DesktopBitsPerPixel();

}  // namespace plat::gdi
