#include <algorithm>

#include "platform/d3drm/objects.h"
#include "platform/ddraw/ddraw.h"
#include "platform/gl/rm_renderer.h"
#include "platform/gl/gl_context.h"

namespace plat {

HRESULT Direct3DRMCreate(IDirect3DRM** out) {
    if (!out) return D3DRMERR_BADVALUE;
    *out = new rm::RetainedMode;
    return D3DRM_OK;
}

}  // namespace plat

namespace plat::rm {
namespace {

std::uint64_t changeCount = 0;
std::uint64_t serialCount = 0;

}  // namespace

void NoteChange() { ++changeCount; }
std::uint64_t ChangeCount() { return changeCount; }
std::uint64_t NextSerial() { return ++serialCount; }

HRESULT RetainedMode::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirect3DRM) {
        *out = static_cast<IDirect3DRM*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

void RetainedMode::Register(Frame* frame) {
    frame->registryIndex_ = frames_.size();
    frames_.push_back(frame);
}

void RetainedMode::Unregister(Frame* frame) {
    std::size_t i = frame->registryIndex_;
    if (i >= frames_.size() || frames_[i] != frame) return;
    frames_[i] = frames_.back();
    frames_[i]->registryIndex_ = i;
    frames_.pop_back();
}

void RetainedMode::Unregister(Device* device) {
    devices_.erase(std::remove(devices_.begin(), devices_.end(), device), devices_.end());
}

HRESULT RetainedMode::CreateFrame(IDirect3DRMFrame* parentInterface, IDirect3DRMFrame** out) {
    if (!out) return D3DRMERR_BADVALUE;
    Frame* parent = AsFrame(parentInterface);
    if (parentInterface && !parent) return D3DRMERR_BADOBJECT;
    auto* frame = new Frame(this);
    if (parent) parent->AddChild(frame);
    *out = frame;
    return D3DRM_OK;
}

HRESULT RetainedMode::CreateMeshBuilder(IDirect3DRMMeshBuilder** out) {
    if (!out) return D3DRMERR_BADVALUE;
    *out = new MeshBuilder;
    return D3DRM_OK;
}

HRESULT RetainedMode::CreateFace(IDirect3DRMFace** out) {
    if (!out) return D3DRMERR_BADVALUE;
    *out = new Face;
    return D3DRM_OK;
}

HRESULT RetainedMode::CreateLight(D3DRMLIGHTTYPE type, D3DCOLOR color, IDirect3DRMLight** out) {
    return CreateLightRGB(type, D3DRMColorGetRed(color), D3DRMColorGetGreen(color), D3DRMColorGetBlue(color), out);
}

HRESULT RetainedMode::CreateLightRGB(D3DRMLIGHTTYPE type, D3DVALUE r, D3DVALUE g, D3DVALUE b, IDirect3DRMLight** out) {
    if (!out) return D3DRMERR_BADVALUE;
    *out = nullptr;
    if (type > D3DRMLIGHT_PARALLELPOINT) return D3DRMERR_BADVALUE;
    *out = new Light(type, r, g, b);
    return D3DRM_OK;
}

HRESULT RetainedMode::CreateTextureFromSurface(IDirectDrawSurface* surface, IDirect3DRMTexture** out) {
    if (!out) return D3DRMERR_BADVALUE;
    *out = nullptr;
    if (!surface) return D3DRMERR_BADOBJECT;
    *out = new Texture(surface);
    return D3DRM_OK;
}

HRESULT RetainedMode::CreateDeviceFromClipper(IDirectDrawClipper* clipper, LPGUID guid, int width, int height,
                                              IDirect3DRMDevice** out) {
    if (!out) return D3DRMERR_BADVALUE;
    *out = nullptr;
    if (!clipper || width <= 0 || height <= 0) return D3DRMERR_BADVALUE;
    // Both kinds of device draw through the window's OpenGL context.
    if (guid && *guid != IID_IDirect3DHALDevice && *guid != IID_IDirect3DRGBDevice) return D3DRMERR_BADDEVICE;
    HWND window = nullptr;
    if (FAILED(clipper->GetHWnd(&window)) || !window) return D3DRMERR_BADOBJECT;
    HRESULT made = CreateDeviceOnWindow(gl::NativeOf(window), width, height, out);
    if (SUCCEEDED(made)) {
        clipper->AddRef();
        static_cast<Device*>(*out)->clipper_ = clipper;
    }
    return made;
}

HRESULT RetainedMode::CreateDeviceOnWindow(gl::NativeWindow window, int width, int height, IDirect3DRMDevice** out) {
    if (!out) return D3DRMERR_BADVALUE;
    *out = nullptr;
    if (!window) return D3DRMERR_BADOBJECT;
    if (width <= 0 || height <= 0) return D3DRMERR_BADVALUE;
    gl::DeviceTarget* target = gl::CreateDeviceTarget(window, width, height);
    if (!target) return D3DRMERR_BADDEVICE;
    *out = new Device(this, target, width, height);
    // Another device on the same window may have had to give up drawing
    // there directly, and with it its picture.
    NoteChange();
    return D3DRM_OK;
}

HRESULT RetainedMode::CreateViewport(IDirect3DRMDevice* deviceInterface, IDirect3DRMFrame* cameraInterface, DWORD x,
                                     DWORD y, DWORD width, DWORD height, IDirect3DRMViewport** out) {
    if (!out) return D3DRMERR_BADVALUE;
    *out = nullptr;
    auto* device = dynamic_cast<Device*>(deviceInterface);
    Frame* camera = AsFrame(cameraInterface);
    if (!device || !camera) return D3DRMERR_BADOBJECT;
    if (width == 0 || height == 0 || x + width > device->GetWidth() || y + height > device->GetHeight()) {
        return D3DRMERR_BADVALUE;
    }
    *out = new Viewport(device, camera, static_cast<LONG>(x), static_cast<LONG>(y), width, height);
    return D3DRM_OK;
}

HRESULT RetainedMode::SetDefaultTextureColors(DWORD colors) {
    if (colors == 0) return D3DRMERR_BADVALUE;
    if (colors != textureColors_) NoteChange();
    textureColors_ = colors;
    return D3DRM_OK;
}

HRESULT RetainedMode::SetDefaultTextureShades(DWORD shades) {
    if (shades == 0) return D3DRMERR_BADVALUE;
    if (shades != textureShades_) NoteChange();
    textureShades_ = shades;
    return D3DRM_OK;
}

HRESULT RetainedMode::Tick(D3DVALUE seconds) {
    if (!std::isfinite(seconds)) return D3DRMERR_BADVALUE;
    for (Frame* frame : frames_) frame->Advance(seconds);
    const std::uint64_t now = ChangeCount();
    HRESULT result = D3DRM_OK;
    // By index: a picture creates no objects, and each device and viewport is
    // held while it draws, so the lists stay as they are; no copies per frame.
    for (std::size_t d = 0; d < devices_.size(); ++d) {
        Device* device = devices_[d];
        // Nothing it shows has changed: its window still shows this picture.
        if (device->pictureCurrent_ && device->pictureAt_ == now) continue;
        device->AddRef();
        bool drawn = true;
        for (std::size_t v = 0; v < device->viewports_.size(); ++v) {
            Viewport* viewport = device->viewports_[v];
            viewport->AddRef();
            if (FAILED(viewport->Clear()) || FAILED(viewport->Render(viewport->camera_->Root()))) drawn = false;
            viewport->Release();
        }
        if (FAILED(device->Update())) drawn = false;
        if (!drawn) result = D3DRMERR_BADDEVICE;
        // A failed picture is tried again on the next Tick.
        device->pictureCurrent_ = drawn;
        device->pictureAt_ = now;
        ++device->tickPictures_;
        device->Release();
    }
    return result;
}

}  // namespace plat::rm
