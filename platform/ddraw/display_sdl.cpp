#include <SDL.h>

#include <new>

#include "platform/ddraw/display.h"
#include "platform/gdi/gdi.h"

namespace plat::ddraw {

struct SurfaceMemory {
    std::uint32_t* pixels;
    int width, height;
};

bool OpenDisplay() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    if (SDL_GetNumVideoDisplays() < 1) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return true;
}

void CloseDisplay() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

bool GetDesktopMode(DisplayMode& mode) {
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return false;
    mode.width = desktop.w;
    mode.height = desktop.h;
    mode.refreshRate = desktop.refresh_rate;
    mode.bitsPerPixel = gdi::DesktopBitsPerPixel();
    return true;
}

SurfaceMemory* AllocateSurfaceMemory(int width, int height) {
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    auto* pixels = new (std::nothrow) std::uint32_t[count]();
    if (!pixels) return nullptr;
    auto* memory = new (std::nothrow) SurfaceMemory{pixels, width, height};
    if (!memory) delete[] pixels;
    return memory;
}

std::uint32_t* SurfacePixels(SurfaceMemory* memory) { return memory->pixels; }

void FreeSurfaceMemory(SurfaceMemory* memory) {
    if (!memory) return;
    delete[] memory->pixels;
    delete memory;
}

HDC OpenSurfaceDC(SurfaceMemory* memory) {
    return gdi::CreateMemoryDC(memory->pixels, memory->width, memory->height, memory->width * 4);
}

void CloseSurfaceDC(SurfaceMemory*, HDC dc) { gdi::DeleteMemoryDC(dc); }

}  // namespace plat::ddraw
