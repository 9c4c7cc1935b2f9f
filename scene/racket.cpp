#include "scene/racket.h"

#include "render/graphics_startup.h"

// The square's front faces -y of the racket's frame; drawn as wireframe it is
// unlit, in its own black.
Racket::Racket(float size) : halfSize(size) {
    const float h = halfSize;
    IDirect3DRMMeshBuilder* mesh = nullptr;
    if (retainedMode && SUCCEEDED(retainedMode->CreateMeshBuilder(&mesh))) {
        IDirect3DRMFace* face = nullptr;
        if (SUCCEEDED(mesh->CreateFace(&face))) {
            face->AddVertex(-h, 0, -h);
            face->AddVertex(h, 0, -h);
            face->AddVertex(h, 0, h);
            face->AddVertex(-h, 0, h);
            face->Release();
        }
        if (frame) frame->AddVisual(mesh);
        mesh->Release();
    }
    SetColor(0xFF000000);
    SetQuality(D3DRMRENDER_WIREFRAME);
}
