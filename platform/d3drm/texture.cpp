#include <atomic>
#include <cstring>

#include "platform/d3drm/objects.h"
#include "platform/ddraw/ddraw.h"
#include "platform/gl/rm_renderer.h"

namespace plat::rm {
namespace {

std::uint64_t NextTextureId() {
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

}  // namespace

Texture::Texture(IDirectDrawSurface* surface) : surface_(surface), id_(NextTextureId()) {
    if (surface_) surface_->AddRef();
}

Texture::~Texture() {
    gl::ForgetTexture(id_);
    if (surface_) surface_->Release();
}

HRESULT Texture::Changed(BOOL pixels, BOOL palette) {
    if (pixels) ++version_;
    if (pixels || palette) NoteChange();
    return D3DRM_OK;
}

bool Texture::CopyPixels(std::vector<std::uint32_t>& texels, int& width, int& height) {
    if (!surface_) return false;
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    if (FAILED(surface_->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return false;
    bool ok = desc.lpSurface && desc.dwWidth > 0 && desc.dwHeight > 0 &&
              desc.lPitch >= static_cast<LONG>(desc.dwWidth * 4);
    if (ok) {
        width = static_cast<int>(desc.dwWidth);
        height = static_cast<int>(desc.dwHeight);
        texels.resize(static_cast<std::size_t>(width) * height);
        const auto* base = static_cast<const unsigned char*>(desc.lpSurface);
        for (int row = 0; row < height; ++row) {
            std::memcpy(&texels[static_cast<std::size_t>(row) * width], base + static_cast<std::size_t>(row) * desc.lPitch,
                        static_cast<std::size_t>(width) * 4);
        }
    }
    surface_->Unlock(desc.lpSurface);
    return ok;
}

}  // namespace plat::rm
