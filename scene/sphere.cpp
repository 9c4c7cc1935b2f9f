// The sphere mesh of the ball, an operation every scene object has.
#include <cmath>

#include "render/graphics_startup.h"
#include "scene/scene_object.h"

namespace {

D3DVECTOR SpherePoint(float r, float step, int j, int i) {
    return D3DVECTOR{r * std::sin(j * step) * std::cos(2 * i * step), r * std::sin(j * step) * std::sin(2 * i * step),
                     r * std::cos(j * step)};
}

void AddVertex(IDirect3DRMFace* face, D3DVECTOR p) { face->AddVertex(p.x, p.y, p.z); }

}  // namespace

// Faces run from pole to pole one meridian strip at a time; the last strip
// ends at an angle of 2 pi, computed rather than wrapped to the first one,
// so the mesh builder's normals must join points that are only nearly equal.
void SceneObject::AddSphere(float radius, int segments) {
    if (!retainedMode || !frame || segments < 2) return;
    const float step = 3.1415927f / segments;
    const D3DVECTOR north{0, 0, radius}, south{0, 0, -radius};
    IDirect3DRMMeshBuilder* mesh = nullptr;
    if (FAILED(retainedMode->CreateMeshBuilder(&mesh))) return;
    for (int i = 0; i < segments; ++i) {
        IDirect3DRMFace* face = nullptr;
        if (SUCCEEDED(mesh->CreateFace(&face))) {
            AddVertex(face, north);
            AddVertex(face, SpherePoint(radius, step, 1, i));
            AddVertex(face, SpherePoint(radius, step, 1, i + 1));
            face->Release();
        }
        for (int j = 1; j <= segments - 2; ++j) {
            if (FAILED(mesh->CreateFace(&face))) continue;
            AddVertex(face, SpherePoint(radius, step, j, i + 1));
            AddVertex(face, SpherePoint(radius, step, j, i));
            AddVertex(face, SpherePoint(radius, step, j + 1, i));
            AddVertex(face, SpherePoint(radius, step, j + 1, i + 1));
            face->Release();
        }
        if (SUCCEEDED(mesh->CreateFace(&face))) {
            AddVertex(face, SpherePoint(radius, step, segments - 1, i + 1));
            AddVertex(face, SpherePoint(radius, step, segments - 1, i));
            AddVertex(face, south);
            face->Release();
        }
    }
    mesh->GenerateNormals();
    mesh->SetQuality(D3DRMRENDER_GOURAUD);
    frame->AddVisual(mesh);
    mesh->Release();
    BindAppData();
}
