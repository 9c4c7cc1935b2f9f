#include <algorithm>

#include "platform/d3drm/objects.h"
#include "platform/d3drm/scene_collect.h"
#include "platform/ddraw/ddraw.h"
#include "platform/gl/rm_renderer.h"

namespace plat::rm {

Device::Device(RetainedMode* root, gl::DeviceTarget* target, int width, int height)
    : target_(target), width_(width), height_(height), collector_(new SceneCollector), root_(root) {
    root_->AddRef();
    root_->Register(this);
}

Device::~Device() {
    gl::DestroyDeviceTarget(target_);
    if (clipper_) clipper_->Release();
    delete collector_;
    root_->Unregister(this);
    root_->Release();
}

HRESULT Device::SetQuality(D3DRMRENDERQUALITY quality) {
    if (quality & ~(D3DRMSHADE_MASK | D3DRMLIGHT_MASK | D3DRMFILL_MASK)) return D3DRMERR_BADVALUE;
    if (quality != quality_) NoteChange();
    quality_ = quality;
    return D3DRM_OK;
}

HRESULT Device::SetTextureQuality(D3DRMTEXTUREQUALITY quality) {
    if (quality > D3DRMTEXTURE_LINEARMIPLINEAR) return D3DRMERR_BADVALUE;
    if (quality != textureQuality_) NoteChange();
    textureQuality_ = quality;
    return D3DRM_OK;
}

HRESULT Device::SetShades(DWORD shades) {
    // Only the old palette ramp used the count; true colour keeps it as given.
    if (shades == 0) return D3DRMERR_BADVALUE;
    if (shades != shades_) NoteChange();
    shades_ = shades;
    return D3DRM_OK;
}

HRESULT Device::Update() { return gl::PresentDevice(target_) ? D3DRM_OK : D3DRMERR_BADDEVICE; }

Viewport::Viewport(Device* device, Frame* camera, LONG x, LONG y, DWORD width, DWORD height)
    : camera_(camera), device_(device), x_(x), y_(y), width_(width), height_(height) {
    device_->AddRef();
    camera_->AddRef();
    device_->viewports_.push_back(this);
    NoteChange();
}

Viewport::~Viewport() {
    auto& list = device_->viewports_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    NoteChange();
    camera_->Release();
    device_->Release();
}

Projection Viewport::CurrentProjection() const {
    Projection p;
    p.camera = camera_->World();
    p.left = x_;
    p.top = y_;
    p.width = width_;
    p.height = height_;
    p.front = front_;
    p.back = back_;
    p.field = field_;
    return p;
}

HRESULT Viewport::Clear() {
    device_->pictureCurrent_ = false;
    D3DCOLOR background = camera_->Root()->background_;
    return gl::ClearViewport(device_->target_, x_, y_, static_cast<int>(width_), static_cast<int>(height_),
                             background & 0xFFFFFF)
               ? D3DRM_OK
               : D3DRMERR_BADDEVICE;
}

HRESULT Viewport::Render(IDirect3DRMFrame* frameInterface) {
    Frame* frame = AsFrame(frameInterface);
    if (!frame) return D3DRMERR_BADOBJECT;
    device_->pictureCurrent_ = false;
    Projection projection = CurrentProjection();
    const Vec3 eye = projection.camera.origin;
    device_->collector_->Collect(frame, eye, device_->quality_, device_->drawList_);
    float clip[16];
    projection.ClipMatrix(clip);
    const float eyeAt[3] = {eye.x, eye.y, eye.z};
    bool linear = device_->textureQuality_ != D3DRMTEXTURE_NEAREST && device_->textureQuality_ != D3DRMTEXTURE_MIPNEAREST;
    return gl::DrawViewport(device_->target_, x_, y_, static_cast<int>(width_), static_cast<int>(height_), clip,
                            eyeAt, device_->drawList_, linear)
               ? D3DRM_OK
               : D3DRMERR_BADDEVICE;
}

HRESULT Viewport::SetFront(D3DVALUE front) {
    if (!(front > 0) || !(front < back_) || !std::isfinite(front)) return D3DRMERR_BADVALUE;
    if (front != front_) NoteChange();
    front_ = front;
    return D3DRM_OK;
}

HRESULT Viewport::SetBack(D3DVALUE back) {
    if (!(back > front_) || !std::isfinite(back)) return D3DRMERR_BADVALUE;
    if (back != back_) NoteChange();
    back_ = back;
    return D3DRM_OK;
}

HRESULT Viewport::SetField(D3DVALUE field) {
    if (!(field > 0) || !std::isfinite(field)) return D3DRMERR_BADVALUE;
    if (field != field_) NoteChange();
    field_ = field;
    return D3DRM_OK;
}

HRESULT Viewport::SetCamera(IDirect3DRMFrame* cameraInterface) {
    Frame* camera = AsFrame(cameraInterface);
    if (!camera) return D3DRMERR_BADOBJECT;
    if (camera != camera_) NoteChange();
    camera->AddRef();
    camera_->Release();
    camera_ = camera;
    return D3DRM_OK;
}

HRESULT Viewport::GetCamera(IDirect3DRMFrame** out) {
    if (!out) return D3DRMERR_BADVALUE;
    *out = camera_;
    camera_->AddRef();
    return D3DRM_OK;
}

HRESULT Viewport::GetDevice(IDirect3DRMDevice** out) {
    if (!out) return D3DRMERR_BADVALUE;
    *out = device_;
    device_->AddRef();
    return D3DRM_OK;
}

HRESULT Viewport::Transform(D3DRMVECTOR4D* out, D3DVECTOR* in) {
    if (!out || !in) return D3DRMERR_BADVALUE;
    *out = CurrentProjection().Transform(ToVec(*in));
    return D3DRM_OK;
}

HRESULT Viewport::InverseTransform(D3DVECTOR* out, D3DRMVECTOR4D* in) {
    if (!out || !in) return D3DRMERR_BADVALUE;
    Vec3 world;
    if (!CurrentProjection().InverseTransform(*in, world)) return D3DRMERR_BADVALUE;
    *out = ToD3D(world);
    return D3DRM_OK;
}

}  // namespace plat::rm
