// On Windows a surface's pixels are a DIB section, so the real GDI draws
// straight into the memory that Lock hands out and textures are made from.
#include <new>

#include "platform/ddraw/display.h"

namespace plat::ddraw {

struct SurfaceMemory {
    HBITMAP bitmap;
    std::uint32_t* pixels;
    HGDIOBJ replaced;  // the memory DC's own bitmap while ours is selected
};

bool OpenDisplay() { return GetSystemMetrics(SM_CXSCREEN) > 0; }

void CloseDisplay() {}

bool GetDesktopMode(DisplayMode& mode) {
    HDC screen = ::GetDC(nullptr);
    if (!screen) return false;
    mode.width = GetDeviceCaps(screen, HORZRES);
    mode.height = GetDeviceCaps(screen, VERTRES);
    mode.refreshRate = GetDeviceCaps(screen, VREFRESH);
    mode.bitsPerPixel = GetDeviceCaps(screen, BITSPIXEL);
    ::ReleaseDC(nullptr, screen);
    return true;
}

SurfaceMemory* AllocateSurfaceMemory(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows from the top, as surfaces have them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    // A new DIB section is zeroed already.
    auto* memory = new (std::nothrow) SurfaceMemory{bitmap, static_cast<std::uint32_t*>(bits), nullptr};
    if (!memory) DeleteObject(bitmap);
    return memory;
}

std::uint32_t* SurfacePixels(SurfaceMemory* memory) { return memory->pixels; }

void FreeSurfaceMemory(SurfaceMemory* memory) {
    if (!memory) return;
    DeleteObject(memory->bitmap);
    delete memory;
}

HDC OpenSurfaceDC(SurfaceMemory* memory) {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    memory->replaced = SelectObject(dc, memory->bitmap);
    if (!memory->replaced) {
        DeleteDC(dc);
        return nullptr;
    }
    return dc;
}

void CloseSurfaceDC(SurfaceMemory* memory, HDC dc) {
    // GDI may batch its drawing; the pixels are read as soon as the DC is gone.
    GdiFlush();
    SelectObject(dc, memory->replaced);
    DeleteDC(dc);
    memory->replaced = nullptr;
}

}  // namespace plat::ddraw
