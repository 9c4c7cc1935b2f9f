// The DirectDraw object. Its IDirect3D interface lives on the same object, as
// on the old platform, so both share one reference count.
#include <atomic>
#include <cstdint>
#include <new>

#include "platform/ddraw/device_enum.h"
#include "platform/ddraw/display.h"
#include "platform/ddraw/surface.h"

namespace plat {
namespace {

class DirectDraw final : public IDirectDraw2, public IDirect3D {
public:
    // Holds the display open for as long as it lives.
    ~DirectDraw() override { ddraw::CloseDisplay(); }

    HRESULT QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDirectDraw || riid == IID_IDirectDraw2) {
            *out = static_cast<IDirectDraw2*>(this);
        } else if (riid == IID_IDirect3D) {
            *out = static_cast<IDirect3D*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    ULONG AddRef() override { return ++refs_; }

    ULONG Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) override {
        return DirectDrawCreateClipper(flags, clipper, outer);
    }

    HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown* outer) override {
        return ddraw::CreateSurface(desc, surface, outer);
    }

    HRESULT GetDisplayMode(DDSURFACEDESC* desc) override {
        if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
        ddraw::DisplayMode mode;
        if (!ddraw::GetDesktopMode(mode)) return DDERR_GENERIC;
        const int bits = mode.bitsPerPixel;
        *desc = DDSURFACEDESC{};
        desc->dwSize = sizeof(DDSURFACEDESC);
        desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
        desc->dwWidth = static_cast<DWORD>(mode.width);
        desc->dwHeight = static_cast<DWORD>(mode.height);
        desc->lPitch = static_cast<LONG>(mode.width * ((bits + 7) / 8));
        desc->dwRefreshRate = static_cast<DWORD>(mode.refreshRate);
        DDPIXELFORMAT& format = desc->ddpfPixelFormat;
        format.dwSize = sizeof(DDPIXELFORMAT);
        format.dwRGBBitCount = static_cast<DWORD>(bits);
        if (bits == 32 || bits == 24) {
            format.dwFlags = DDPF_RGB;
            format.dwRBitMask = 0x00FF0000;
            format.dwGBitMask = 0x0000FF00;
            format.dwBBitMask = 0x000000FF;
        } else if (bits == 16) {
            format.dwFlags = DDPF_RGB;
            format.dwRBitMask = 0xF800;
            format.dwGBitMask = 0x07E0;
            format.dwBBitMask = 0x001F;
        } else if (bits == 8) {
            format.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
        } else {
            format.dwFlags = DDPF_RGB;
        }
        return DD_OK;
    }

    HRESULT SetCooperativeLevel(HWND, DWORD flags) override {
        const bool normal = flags & DDSCL_NORMAL, exclusive = flags & DDSCL_EXCLUSIVE;
        if (normal == exclusive) return DDERR_INVALIDPARAMS;  // exactly one of them
        // Windowed only: the game draws into its window through OpenGL.
        if (exclusive || (flags & DDSCL_FULLSCREEN)) return DDERR_UNSUPPORTED;
        return DD_OK;
    }

    HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void* context) override {
        return ddraw::EnumerateDevices(callback, context);
    }

private:
    std::atomic<ULONG> refs_{1};
};

}  // namespace

HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** out, IUnknown* outer) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (outer) return DDERR_INVALIDPARAMS;
    // (GUID*)1 and (GUID*)2 ask for hardware or emulation only; both mean the
    // one display driver there is. Any real GUID names a driver we do not have.
    constexpr GUID kDefault{};
    if (reinterpret_cast<std::uintptr_t>(driver) > 2 && *driver != kDefault) return DDERR_INVALIDDIRECTDRAWGUID;
    if (!ddraw::OpenDisplay()) return DDERR_NODIRECTDRAWHW;
    DirectDraw* directDraw = new (std::nothrow) DirectDraw;
    if (!directDraw) {
        ddraw::CloseDisplay();
        return DDERR_OUTOFMEMORY;
    }
    *out = static_cast<IDirectDraw2*>(directDraw);
    return DD_OK;
}

}  // namespace plat
