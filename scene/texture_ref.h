// Holds one Retained Mode texture made from a painted surface; a mesh given
// the texture keeps its own reference, so the holder can go first.
#pragma once

#include "app/platform_calls.h"

class SurfaceTexture;

class TextureRef {
public:
    TextureRef();
    virtual ~TextureRef();

    void CreateFromSurface(SurfaceTexture* surfaceTexture);

    IDirect3DRMTexture* texture;
};
