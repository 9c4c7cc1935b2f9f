#include "scene/brick.h"

#include "render/graphics_startup.h"

namespace {

struct Corner {
    float x, y, z;
};

}  // namespace

SceneObject* CreateBrick(float halfSize, D3DCOLOR color) {
    auto* brick = new SceneObject;
    const float a = halfSize;
    // Every face's vertices run clockwise seen from outside the cube.
    const Corner faces[6][4] = {
        {{-a, -a, a}, {a, -a, a}, {a, a, a}, {-a, a, a}},          // top
        {{-a, -a, -a}, {-a, a, -a}, {a, a, -a}, {a, -a, -a}},      // bottom
        {{-a, -a, -a}, {-a, -a, a}, {-a, a, a}, {-a, a, -a}},      // side x = -a
        {{a, -a, -a}, {a, a, -a}, {a, a, a}, {a, -a, a}},          // side x = +a
        {{-a, -a, -a}, {a, -a, -a}, {a, -a, a}, {-a, -a, a}},      // front, towards the camera
        {{-a, a, -a}, {-a, a, a}, {a, a, a}, {a, a, -a}},          // back
    };
    IDirect3DRMMeshBuilder* mesh = nullptr;
    if (!retainedMode || FAILED(retainedMode->CreateMeshBuilder(&mesh))) return brick;
    for (const auto& corners : faces) {
        IDirect3DRMFace* face = nullptr;
        if (FAILED(mesh->CreateFace(&face))) continue;
        for (const Corner& c : corners) face->AddVertex(c.x, c.y, c.z);
        face->Release();
    }
    mesh->SetColor(color);
    if (brick->frame) brick->frame->AddVisual(mesh);
    mesh->Release();
    return brick;
}
