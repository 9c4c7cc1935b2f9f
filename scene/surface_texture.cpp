#include "scene/surface_texture.h"

#include <cstring>

#include "app/view_manager.h"

SurfaceTexture::SurfaceTexture() : surface(nullptr), bits(nullptr), locked(false), width(0), height(0) {}

SurfaceTexture::~SurfaceTexture() {
    if (surface) surface->Release();
}

namespace {

void ZeroDescription(DDSURFACEDESC& desc) {
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
}

}  // namespace

// No pixel format is asked for: the surface takes the display's.
bool SurfaceTexture::Create(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    // A second Create replaces the surface rather than losing the first.
    if (surface) {
        surface->Release();
        surface = nullptr;
    }
    if (!viewManager.directDraw) return false;
    DDSURFACEDESC desc;
    ZeroDescription(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwHeight = static_cast<DWORD>(height);
    desc.dwWidth = static_cast<DWORD>(width);
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    if (FAILED(viewManager.directDraw->CreateSurface(&desc, &surface, nullptr))) {
        surface = nullptr;
        return false;
    }
    // A trial lock proves the memory is there before anybody paints.
    if (!Lock() || !Unlock()) {
        surface->Release();
        surface = nullptr;
        return false;
    }
    return true;
}

void* SurfaceTexture::Lock() {
    if (!surface) return nullptr;
    DDSURFACEDESC desc;
    ZeroDescription(desc);
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return nullptr;
    bits = desc.lpSurface;
    locked = bits != nullptr;
    return bits;
}

bool SurfaceTexture::Unlock() { return surface && SUCCEEDED(surface->Unlock(nullptr)); }
