#include "scene/texture_ref.h"

#include "render/graphics_startup.h"
#include "scene/surface_texture.h"

TextureRef::TextureRef() : texture(nullptr) {}

TextureRef::~TextureRef() {
    if (texture) texture->Release();
    texture = nullptr;
}

void TextureRef::CreateFromSurface(SurfaceTexture* surfaceTexture) {
    if (texture) {
        texture->Release();
        texture = nullptr;
    }
    if (retainedMode && surfaceTexture) {
        retainedMode->CreateTextureFromSurface(surfaceTexture->surface, &texture);
    }
}
