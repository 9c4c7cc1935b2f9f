#include "platform/ddraw/surface.h"

#include <cstdint>
#include <new>

#include "platform/ddraw/display.h"

namespace plat::ddraw {
namespace {

// What a system-memory surface can be; anything else needs video hardware,
// flipping or attachments that this stand-in does not have.
constexpr DWORD kSupportedCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_TEXTURE |
                                 DDSCAPS_3DDEVICE | DDSCAPS_ALLOCONLOAD | DDSCAPS_WRITEONLY;
// Colour keys are kept by nothing but harmless to ask for.
constexpr DWORD kSupportedFields = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_CKDESTOVERLAY |
                                   DDSD_CKDESTBLT | DDSD_CKSRCOVERLAY | DDSD_CKSRCBLT;

bool IsDisplayFormat(const DDPIXELFORMAT& format) {
    const DDPIXELFORMAT display = DisplayPixelFormat();
    return format.dwSize == sizeof(DDPIXELFORMAT) && format.dwFlags == display.dwFlags &&
           format.dwRGBBitCount == display.dwRGBBitCount && format.dwRBitMask == display.dwRBitMask &&
           format.dwGBitMask == display.dwGBitMask && format.dwBBitMask == display.dwBBitMask &&
           format.dwRGBAlphaBitMask == 0;
}

class Surface final : public RefCounted<IDirectDrawSurface> {
public:
    Surface(SurfaceMemory* memory, DWORD width, DWORD height, DWORD caps)
        : memory_(memory), width_(width), height_(height), caps_(caps) {}

    ~Surface() override {
        if (dc_) CloseSurfaceDC(memory_, dc_);
        FreeSurfaceMemory(memory_);
    }

    HRESULT QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDirectDrawSurface) return E_NOINTERFACE;
        AddRef();
        *out = static_cast<IDirectDrawSurface*>(this);
        return S_OK;
    }

    HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD, HANDLE) override {
        if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
        // One lock at a time, and never while GDI draws into the memory.
        if (locked_ || dc_) return DDERR_SURFACEBUSY;
        unsigned char* bytes = reinterpret_cast<unsigned char*>(SurfacePixels(memory_));
        if (rect) {
            if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
                static_cast<DWORD>(rect->right) > width_ || static_cast<DWORD>(rect->bottom) > height_) {
                return DDERR_INVALIDRECT;
            }
            bytes += static_cast<std::size_t>(rect->top) * Pitch() + static_cast<std::size_t>(rect->left) * 4;
        }
        Describe(desc);
        desc->dwFlags |= DDSD_LPSURFACE;
        desc->lpSurface = bytes;
        locked_ = true;
        lockedAt_ = bytes;
        return DD_OK;
    }

    HRESULT Unlock(void* pointer) override {
        if (!locked_) return DDERR_NOTLOCKED;
        if (pointer && pointer != lockedAt_) return DDERR_INVALIDPARAMS;
        locked_ = false;
        lockedAt_ = nullptr;
        return DD_OK;
    }

    HRESULT GetDC(HDC* dc) override {
        if (!dc) return DDERR_INVALIDPARAMS;
        *dc = nullptr;
        if (dc_) return DDERR_DCALREADYCREATED;
        if (locked_) return DDERR_SURFACEBUSY;
        dc_ = OpenSurfaceDC(memory_);
        if (!dc_) return DDERR_CANTCREATEDC;
        *dc = dc_;
        return DD_OK;
    }

    HRESULT ReleaseDC(HDC dc) override {
        if (!dc_) return DDERR_NODC;
        if (dc != dc_) return DDERR_INVALIDPARAMS;
        CloseSurfaceDC(memory_, dc_);
        dc_ = nullptr;
        return DD_OK;
    }

    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) override {
        if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
        Describe(desc);
        return DD_OK;
    }

private:
    DWORD Pitch() const { return width_ * 4; }

    void Describe(DDSURFACEDESC* desc) const {
        *desc = DDSURFACEDESC{};
        desc->dwSize = sizeof(DDSURFACEDESC);
        desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
        desc->dwWidth = width_;
        desc->dwHeight = height_;
        desc->lPitch = static_cast<LONG>(Pitch());
        desc->ddpfPixelFormat = DisplayPixelFormat();
        desc->ddsCaps.dwCaps = caps_;
    }

    SurfaceMemory* memory_;
    DWORD width_;
    DWORD height_;
    DWORD caps_;
    bool locked_ = false;
    void* lockedAt_ = nullptr;
    HDC dc_ = nullptr;
};

}  // namespace

DDPIXELFORMAT DisplayPixelFormat() {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = 32;
    format.dwRBitMask = 0x00FF0000;
    format.dwGBitMask = 0x0000FF00;
    format.dwBBitMask = 0x000000FF;
    return format;
}

HRESULT CreateSurface(const DDSURFACEDESC* desc, IDirectDrawSurface** out, IUnknown* outer) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!desc || outer || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    const DWORD fields = desc->dwFlags;
    if (fields & ~kSupportedFields) return DDERR_INVALIDPARAMS;
    if (!(fields & DDSD_CAPS) || !(fields & DDSD_WIDTH) || !(fields & DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    const DWORD caps = desc->ddsCaps.dwCaps;
    if (caps & ~kSupportedCaps) return DDERR_INVALIDCAPS;
    if (desc->dwWidth == 0 || desc->dwHeight == 0) return DDERR_INVALIDPARAMS;
    // A negative size arrives as a huge DWORD and ends here too.
    if (desc->dwWidth > kMaxSurfaceSide) return DDERR_TOOBIGWIDTH;
    if (desc->dwHeight > kMaxSurfaceSide) return DDERR_TOOBIGHEIGHT;
    if ((fields & DDSD_PIXELFORMAT) && !IsDisplayFormat(desc->ddpfPixelFormat)) return DDERR_INVALIDPIXELFORMAT;

    // Both sides are at most 2^14, so the sizes fit an int easily.
    SurfaceMemory* memory = AllocateSurfaceMemory(static_cast<int>(desc->dwWidth), static_cast<int>(desc->dwHeight));
    if (!memory) return DDERR_OUTOFMEMORY;
    Surface* surface =
        new (std::nothrow) Surface(memory, desc->dwWidth, desc->dwHeight, caps | DDSCAPS_SYSTEMMEMORY);
    if (!surface) {
        FreeSurfaceMemory(memory);
        return DDERR_OUTOFMEMORY;
    }
    *out = surface;
    return DD_OK;
}

}  // namespace plat::ddraw
