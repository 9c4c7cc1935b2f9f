// Turns a frame tree into the lit, world-space draw list of one picture:
// render quality resolved against the device, lighting done here on the CPU
// as the old software devices did it, back faces left out. Each mesh on each
// frame keeps its vertices from one picture to the next and is redone only
// when its mesh, its frame's place in the world, its quality or the lights
// changed; when the eye moves, only the lists of faces seen are redone.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3drm/draw_list.h"
#include "platform/d3drm/geometry.h"
#include "platform/d3drm/objects.h"

namespace plat::rm {

// Each field of the quality is the lesser of the mesh's and the device's.
D3DRMRENDERQUALITY EffectiveQuality(D3DRMRENDERQUALITY mesh, D3DRMRENDERQUALITY device);

class SceneCollector {
public:
    // Brings `out` up to date with the scene below `top` seen from `eye`
    // (world space), marking what changed.
    void Collect(Frame* top, Vec3 eye, D3DRMRENDERQUALITY deviceQuality, DrawList& out);

private:
    struct DirectionalLight {
        Vec3 towardLight;  // -L, unit
        float r, g, b;
        bool operator==(const DirectionalLight& o) const {
            return towardLight.x == o.towardLight.x && towardLight.y == o.towardLight.y &&
                   towardLight.z == o.towardLight.z && r == o.r && g == o.g && b == o.b;
        }
    };
    // A mesh as one frame carries it.
    struct Seen {
        Frame* frame;
        MeshBuilder* mesh;
        Placement world;
    };
    // Its vertices, faces and room for indices in the list.
    struct Instance {
        std::uint64_t frame, mesh;  // serials: an address may come back for another object
        std::uint64_t meshVersion;
        D3DRMRENDERQUALITY quality;
        Placement world;
        std::size_t bucket;
        std::uint32_t first, count;            // vertices
        std::uint32_t faceFirst, faceCount;    // in faces_
        std::uint32_t indexFirst, indexCount;  // room for every face seen
        bool live;
    };
    // One face's corners, one vertex each, from `vertex` on.
    struct FaceSpan {
        std::uint32_t vertex, corners;
    };
    struct Bucket {
        Primitive primitive;
        TextureImage* texture;
        std::uint32_t first, count, holes;  // vertices in the list
        std::uint32_t indexFirst, indexCount;
    };

    void Walk(Frame* frame, const Placement& world);
    bool Update(DrawList& out, bool relight);
    void Rebuild(DrawList& out);
    // Lists the indices of the instance's faces the eye sees, the rest of its
    // room pointing at vertex 0.
    void Index(const Instance& in, DrawList& out);
    // Fills made_ with the mesh's vertices as `seen` carries it.
    void Make(const Seen& seen, Primitive& primitive, TextureImage*& texture, D3DRMRENDERQUALITY& quality);
    void Lit(D3DCOLOR base, Vec3 n, bool lighting, std::uint8_t rgb[3]) const;

    Vec3 eye_;
    bool eyeKnown_ = false;
    D3DRMRENDERQUALITY deviceQuality_ = D3DRMRENDER_FLAT;
    float ambient_[3] = {0, 0, 0};
    std::vector<DirectionalLight> lights_, litWith_;
    float litAmbient_[3] = {-1, -1, -1};
    std::vector<Seen> seen_;
    std::vector<Instance> instances_;  // in the order of the tree
    std::vector<Bucket> buckets_;
    const DrawList* list_ = nullptr;  // the list the instances describe
    const Frame* top_ = nullptr;
    std::uint64_t collectedAt_ = 0;   // the change count it was brought up to date at
    std::vector<FaceSpan> faces_;     // of every instance, in its order
    std::vector<DrawVertex> made_;    // kept between pictures, so no allocation once warm
    std::vector<FaceSpan> madeFaces_; // vertex offsets within made_
    std::vector<Vec3> scratchPositions_;
};

}  // namespace plat::rm
