// The play area: a box seen from inside, open towards the camera, whose floor,
// ceiling and side walls reach forward past the racket plane.
#pragma once

#include "scene/scene_object.h"

class Court : public SceneObject {
public:
    Court(const D3DVECTOR& minCorner, const D3DVECTOR& maxCorner);

    D3DVECTOR minCorner;
    D3DVECTOR maxCorner;

private:
    IDirect3DRMTexture* PaintWallTexture(class TextureRef*& textureRef, class SurfaceTexture*& surfaceTexture);
};
