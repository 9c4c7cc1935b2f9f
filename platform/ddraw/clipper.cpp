// The clipper only names the window a Retained Mode device draws into; the
// window system and OpenGL do the actual clipping.
#include <new>

#include "platform/ddraw/ddraw.h"

namespace plat {
namespace {

class Clipper final : public RefCounted<IDirectDrawClipper> {
public:
    HRESULT QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDirectDrawClipper) return E_NOINTERFACE;
        AddRef();
        *out = static_cast<IDirectDrawClipper*>(this);
        return S_OK;
    }

    HRESULT SetHWnd(DWORD flags, HWND window) override {
        if (flags != 0) return DDERR_INVALIDPARAMS;
        window_ = window;
        return DD_OK;
    }

    HRESULT GetHWnd(HWND* window) override {
        if (!window) return DDERR_INVALIDPARAMS;
        *window = window_;
        return DD_OK;
    }

private:
    HWND window_ = nullptr;
};

}  // namespace

HRESULT DirectDrawCreateClipper(DWORD flags, IDirectDrawClipper** out, IUnknown* outer) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (flags != 0 || outer) return DDERR_INVALIDPARAMS;
    Clipper* clipper = new (std::nothrow) Clipper;
    if (!clipper) return DDERR_OUTOFMEMORY;
    *out = clipper;
    return DD_OK;
}

}  // namespace plat
