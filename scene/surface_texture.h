// An off-screen DirectDraw surface of a given size, to be painted and then
// turned into a texture.
#pragma once

#include "app/platform_calls.h"

class SurfaceTexture {
public:
    SurfaceTexture();
    virtual ~SurfaceTexture();

    bool Create(int width, int height);
    void* Lock();
    bool Unlock();

    IDirectDrawSurface* surface;
    void* bits;
    bool locked;
    int width;
    int height;
};
