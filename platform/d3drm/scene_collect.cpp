#include "platform/d3drm/scene_collect.h"

#include <algorithm>

namespace plat::rm {

D3DRMRENDERQUALITY EffectiveQuality(D3DRMRENDERQUALITY mesh, D3DRMRENDERQUALITY device) {
    return std::min(mesh & D3DRMSHADE_MASK, device & D3DRMSHADE_MASK) |
           std::min(mesh & D3DRMLIGHT_MASK, device & D3DRMLIGHT_MASK) |
           std::min(mesh & D3DRMFILL_MASK, device & D3DRMFILL_MASK);
}

void SceneCollector::Collect(Frame* top, Vec3 eye, D3DRMRENDERQUALITY deviceQuality, DrawList& out) {
    eye_ = eye;
    deviceQuality_ = deviceQuality;
    ambient_[0] = ambient_[1] = ambient_[2] = 0;
    lights_.clear();
    for (Bucket& b : buckets_) b.vertices.clear();

    Placement world = top->World();
    GatherLights(top, world);
    GatherGeometry(top, world);

    out.Clear();
    for (Bucket& b : buckets_) {
        if (b.vertices.empty()) continue;
        out.batches.push_back({b.primitive, b.texture, static_cast<std::uint32_t>(out.vertices.size()),
                               static_cast<std::uint32_t>(b.vertices.size())});
        out.vertices.insert(out.vertices.end(), b.vertices.begin(), b.vertices.end());
    }
    // Buckets of textures that drew nothing this time may name textures that
    // are gone by the next picture.
    buckets_.erase(std::remove_if(buckets_.begin(), buckets_.end(),
                                  [](const Bucket& b) { return b.texture && b.vertices.empty(); }),
                   buckets_.end());
}

void SceneCollector::GatherLights(Frame* frame, const Placement& world) {
    for (Light* light : frame->lights_) {
        if (light->type_ == D3DRMLIGHT_AMBIENT) {
            ambient_[0] += light->r_;
            ambient_[1] += light->g_;
            ambient_[2] += light->b_;
        } else if (light->type_ == D3DRMLIGHT_DIRECTIONAL) {
            // A directional light shines along its frame's +z.
            lights_.push_back({world.z * -1.0f, light->r_, light->g_, light->b_});
        }
    }
    for (Frame* child : frame->children_) GatherLights(child, child->local_.Within(world));
}

void SceneCollector::GatherGeometry(Frame* frame, const Placement& world) {
    for (MeshBuilder* mesh : frame->meshes_) AddMesh(mesh, world);
    for (Frame* child : frame->children_) GatherGeometry(child, child->local_.Within(world));
}

std::vector<DrawVertex>& SceneCollector::BucketFor(Primitive primitive, TextureImage* texture) {
    for (Bucket& b : buckets_) {
        if (b.primitive == primitive && b.texture == texture) return b.vertices;
    }
    buckets_.push_back({primitive, texture, {}});
    return buckets_.back().vertices;
}

void SceneCollector::Lit(D3DCOLOR base, Vec3 n, bool lighting, std::uint8_t rgb[3]) const {
    float k[3] = {1, 1, 1};
    if (lighting) {
        for (int c = 0; c < 3; ++c) k[c] = ambient_[c];
        for (const DirectionalLight& l : lights_) {
            float f = std::max(0.0f, Dot(n, l.towardLight));
            k[0] += f * l.r;
            k[1] += f * l.g;
            k[2] += f * l.b;
        }
    }
    const DWORD channels[3] = {RGBA_GETRED(base), RGBA_GETGREEN(base), RGBA_GETBLUE(base)};
    for (int c = 0; c < 3; ++c) {
        float v = static_cast<float>(channels[c]) * std::min(k[c], 1.0f);
        rgb[c] = static_cast<std::uint8_t>(std::clamp(v + 0.5f, 0.0f, 255.0f));
    }
}

void SceneCollector::AddMesh(MeshBuilder* mesh, const Placement& world) {
    D3DRMRENDERQUALITY q = EffectiveQuality(mesh->quality_, deviceQuality_);
    DWORD fill = q & D3DRMFILL_MASK;
    bool lighting = (q & D3DRMLIGHT_MASK) != 0;
    bool gouraud = (q & D3DRMSHADE_MASK) != D3DRMSHADE_FLAT;
    // Lines and points show the plain mesh colour, untextured.
    TextureImage* texture = fill == D3DRMFILL_SOLID ? mesh->texture_ : nullptr;
    Primitive primitive = fill == D3DRMFILL_SOLID       ? Primitive::Triangles
                          : fill == D3DRMFILL_WIREFRAME ? Primitive::Lines
                                                        : Primitive::Points;
    std::vector<DrawVertex>& out = BucketFor(primitive, texture);

    for (Face* face : mesh->faces_) {
        const std::size_t count = face->vertices_.size();
        if (count < 3) continue;
        scratchPositions_.clear();
        for (const FaceVertex& v : face->vertices_) scratchPositions_.push_back(world.Apply(v.position));
        // Newell's normal of the world-space polygon: out of its front.
        Vec3 n;
        for (std::size_t i = 0; i < count; ++i) n = n + Cross(scratchPositions_[i], scratchPositions_[(i + 1) % count]);
        float len = Length(n);
        if (!(len > 0)) continue;
        n = n * (1.0f / len);
        // Back faces are never drawn, in any quality.
        if (Dot(n, eye_ - scratchPositions_[0]) <= 0) continue;

        std::uint8_t faceRgb[3];
        Lit(face->color_, n, lighting, faceRgb);
        auto vertex = [&](std::size_t i) {
            const FaceVertex& src = face->vertices_[i];
            const Vec3& p = scratchPositions_[i];
            DrawVertex d{p.x, p.y, p.z, faceRgb[0], faceRgb[1], faceRgb[2], 255, src.u, src.v};
            if (gouraud && lighting) {
                Vec3 vn = (src.normal.x != 0 || src.normal.y != 0 || src.normal.z != 0) ? world.Rotate(src.normal) : n;
                std::uint8_t rgb[3];
                Lit(face->color_, vn, true, rgb);
                d.r = rgb[0];
                d.g = rgb[1];
                d.b = rgb[2];
            }
            return d;
        };
        if (primitive == Primitive::Triangles) {
            DrawVertex first = vertex(0);
            DrawVertex prev = vertex(1);
            for (std::size_t i = 2; i < count; ++i) {
                DrawVertex next = vertex(i);
                out.push_back(first);
                out.push_back(prev);
                out.push_back(next);
                prev = next;
            }
        } else if (primitive == Primitive::Lines) {
            for (std::size_t i = 0; i < count; ++i) {
                out.push_back(vertex(i));
                out.push_back(vertex((i + 1) % count));
            }
        } else {
            for (std::size_t i = 0; i < count; ++i) out.push_back(vertex(i));
        }
    }
}

}  // namespace plat::rm
