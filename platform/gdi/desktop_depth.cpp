// The desktop's colour depth as GetDeviceCaps(BITSPIXEL) reports it.
#include <SDL.h>

#include <cstdlib>

#include "platform/gdi/gdi.h"

namespace plat::gdi {

int DesktopBitsPerPixel() {
    // KESTROVA_DESKTOP_BPP=16 (or 8, 24, ...) pretends the desktop has that depth:
    // for trying the game at other depths, and at one no device renders at.
    if (const char* forced = std::getenv("KESTROVA_DESKTOP_BPP")) {
        char* end = nullptr;
        long bits = std::strtol(forced, &end, 10);
        if (end != forced && *end == '\0' && bits >= 1 && bits <= 64) return static_cast<int>(bits);
    }
    const bool ownVideo = SDL_WasInit(SDL_INIT_VIDEO) == 0;
    if (ownVideo && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return 0;  // no display to ask
    int bits = 0;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        // Storage, not significant bits: SDL calls XRGB8888 24 bits, but each
        // pixel takes 32, which is what the old platform reported.
        bits = SDL_BYTESPERPIXEL(mode.format) * 8;
    }
    if (ownVideo) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return bits;
}

}  // namespace plat::gdi
