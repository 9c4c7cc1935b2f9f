// Shared set-up for the scene object tests: a real Retained Mode object as the
// process-wide `retainedMode`, and ways to look at the meshes objects build.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/view_manager.h"
#include "platform/d3drm/d3drm_testing.h"
#include "render/graphics_startup.h"
#include "tests/d3drm/rm_helpers.h"
#include "tests/support/vector_near.h"

namespace scenetest {

using rmtest::Ref;

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Direct3DRMCreate(&retainedMode), D3DRM_OK);
        ASSERT_EQ(retainedMode->CreateFrame(nullptr, world.out()), D3DRM_OK);
        viewManager.sceneChanged = false;
    }
    void TearDown() override {
        world.reset();
        retainedMode->Release();
        retainedMode = nullptr;
        viewManager.sceneChanged = false;
    }

    Ref<IDirect3DRMFrame> world;
};

// Visual `index` of a frame as a mesh builder, referenced; null if it is none.
inline IDirect3DRMMeshBuilder* MeshOf(IDirect3DRMFrame* frame, DWORD index = 0) {
    Ref<IDirect3DRMVisualArray> visuals;
    if (!frame || FAILED(frame->GetVisuals(visuals.out())) || index >= visuals->GetSize()) return nullptr;
    Ref<IDirect3DRMVisual> visual;
    visuals->GetElement(index, visual.out());
    IDirect3DRMMeshBuilder* mesh = nullptr;
    visual->QueryInterface(IID_IDirect3DRMMeshBuilder, reinterpret_cast<void**>(&mesh));
    return mesh;
}

// One face as plain numbers.
struct FaceData {
    std::vector<D3DVECTOR> vertices;
    std::vector<D3DVECTOR> normals;
    std::vector<std::pair<float, float>> uv;
    D3DVECTOR normal{};
    D3DCOLOR color = 0;

    D3DVECTOR Centre() const {
        D3DVECTOR c{0, 0, 0};
        for (const D3DVECTOR& v : vertices) c = {c.x + v.x, c.y + v.y, c.z + v.z};
        float n = vertices.empty() ? 1.0f : static_cast<float>(vertices.size());
        return {c.x / n, c.y / n, c.z / n};
    }
};

inline std::vector<FaceData> FacesOf(IDirect3DRMMeshBuilder* mesh) {
    std::vector<FaceData> faces;
    for (DWORD i = 0;; ++i) {
        Ref<IDirect3DRMFace> face;
        if (!mesh || FAILED(GetMeshFace(mesh, i, face.out()))) break;
        FaceData data;
        for (DWORD v = 0; v < static_cast<DWORD>(face->GetVertexCount()); ++v) {
            D3DVECTOR p{}, n{};
            float u = 0, t = 0;
            face->GetVertex(v, &p, &n);
            face->GetTextureCoordinates(v, &u, &t);
            data.vertices.push_back(p);
            data.normals.push_back(n);
            data.uv.push_back({u, t});
        }
        face->GetNormal(&data.normal);
        data.color = face->GetColor();
        faces.push_back(data);
    }
    return faces;
}

inline float Dot(D3DVECTOR a, D3DVECTOR b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline D3DVECTOR Minus(D3DVECTOR a, D3DVECTOR b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

using testsupport::Near;

}  // namespace scenetest
