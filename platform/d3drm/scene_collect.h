// Turns a frame tree into the lit, world-space draw list of one picture:
// back faces culled, render quality resolved against the device, lighting
// done here on the CPU as the old software devices did it.
#pragma once

#include <vector>

#include "platform/d3drm/draw_list.h"
#include "platform/d3drm/geometry.h"
#include "platform/d3drm/objects.h"

namespace plat::rm {

// Each field of the quality is the lesser of the mesh's and the device's.
D3DRMRENDERQUALITY EffectiveQuality(D3DRMRENDERQUALITY mesh, D3DRMRENDERQUALITY device);

class SceneCollector {
public:
    // Fills `out` with the scene below `top`, seen from `eye` (world space).
    void Collect(Frame* top, Vec3 eye, D3DRMRENDERQUALITY deviceQuality, DrawList& out);

private:
    struct DirectionalLight {
        Vec3 towardLight;  // -L, unit
        float r, g, b;
    };
    struct Bucket {
        Primitive primitive;
        TextureImage* texture;
        std::vector<DrawVertex> vertices;
    };

    void GatherLights(Frame* frame, const Placement& world);
    void GatherGeometry(Frame* frame, const Placement& world);
    void AddMesh(MeshBuilder* mesh, const Placement& world);
    std::vector<DrawVertex>& BucketFor(Primitive primitive, TextureImage* texture);
    // Colour of `base` lit for unit normal n, clamped.
    void Lit(D3DCOLOR base, Vec3 n, bool lighting, std::uint8_t rgb[3]) const;

    Vec3 eye_;
    D3DRMRENDERQUALITY deviceQuality_ = D3DRMRENDER_FLAT;
    float ambient_[3] = {0, 0, 0};
    std::vector<DirectionalLight> lights_;
    std::vector<Bucket> buckets_;  // kept between pictures, so no allocation once warm
    std::vector<Vec3> scratchPositions_;
    std::vector<Vec3> scratchNormals_;
};

}  // namespace plat::rm
