#include "platform/d3drm/d3drm_testing.h"

#include "platform/d3drm/objects.h"
#include "platform/d3drm/scene_collect.h"
#include "platform/gl/rm_renderer.h"

namespace plat {

HRESULT CreateDeviceOnNativeWindow(IDirect3DRM* rm, gl::NativeWindow window, int width, int height,
                                   IDirect3DRMDevice** out) {
    auto* root = dynamic_cast<rm::RetainedMode*>(rm);
    if (!root) return D3DRMERR_BADOBJECT;
    return root->CreateDeviceOnWindow(window, width, height, out);
}

bool ReadDevicePixels(IDirect3DRMDevice* device, int x, int y, std::uint32_t& rgb) {
    auto* d = dynamic_cast<rm::Device*>(device);
    return d && gl::ReadDevicePixel(d->target_, x, y, rgb);
}

bool ReadDeviceImage(IDirect3DRMDevice* device, std::vector<std::uint32_t>& pixels) {
    auto* d = dynamic_cast<rm::Device*>(device);
    return d && gl::ReadDeviceImage(d->target_, pixels);
}

bool DeviceDrawsToWindow(IDirect3DRMDevice* device) {
    auto* d = dynamic_cast<rm::Device*>(device);
    return d && gl::DrawsToWindow(d->target_);
}

std::uint64_t TickPictureCount(IDirect3DRMDevice* device) {
    auto* d = dynamic_cast<rm::Device*>(device);
    return d ? d->tickPictures_ : 0;
}

void ForgetKeptScene(IDirect3DRMDevice* device) {
    auto* d = dynamic_cast<rm::Device*>(device);
    if (!d) return;
    delete d->collector_;
    d->collector_ = new rm::SceneCollector;
    d->drawList_ = rm::DrawList{};
}

DWORD DefaultTextureColors(IDirect3DRM* rm) {
    auto* root = dynamic_cast<rm::RetainedMode*>(rm);
    return root ? root->TextureColors() : 0;
}

DWORD DefaultTextureShades(IDirect3DRM* rm) {
    auto* root = dynamic_cast<rm::RetainedMode*>(rm);
    return root ? root->TextureShades() : 0;
}

bool ReadTexturePixels(IDirect3DRMTexture* texture, std::vector<std::uint32_t>& texels, int& width, int& height) {
    auto* t = dynamic_cast<rm::Texture*>(texture);
    return t && t->CopyPixels(texels, width, height);
}

HRESULT GetMeshFace(IDirect3DRMMeshBuilder* mesh, DWORD index, IDirect3DRMFace** out) {
    auto* builder = dynamic_cast<rm::MeshBuilder*>(mesh);
    if (!builder || !out) return D3DRMERR_BADOBJECT;
    if (index >= builder->faces_.size()) return E_INVALIDARG;
    *out = builder->faces_[index];
    (*out)->AddRef();
    return D3DRM_OK;
}

}  // namespace plat
