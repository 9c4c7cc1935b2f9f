#include "platform/d3drm/scene_collect.h"

#include <algorithm>
#include <cstring>

namespace plat::rm {
namespace {

bool Same(const Placement& a, const Placement& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

D3DRMRENDERQUALITY EffectiveQuality(D3DRMRENDERQUALITY mesh, D3DRMRENDERQUALITY device) {
    return std::min(mesh & D3DRMSHADE_MASK, device & D3DRMSHADE_MASK) |
           std::min(mesh & D3DRMLIGHT_MASK, device & D3DRMLIGHT_MASK) |
           std::min(mesh & D3DRMFILL_MASK, device & D3DRMFILL_MASK);
}

void SceneCollector::Collect(Frame* top, Vec3 eye, D3DRMRENDERQUALITY deviceQuality, DrawList& out) {
    // Nothing anywhere changed since this list was brought up to date: not
    // even the walk is needed (a paint, or a device drawn by other hands).
    if (list_ == &out && top == top_ && collectedAt_ == ChangeCount() && deviceQuality == deviceQuality_ &&
        eyeKnown_ && eye.x == eye_.x && eye.y == eye_.y && eye.z == eye_.z) {
        return;
    }
    top_ = top;
    collectedAt_ = ChangeCount();
    deviceQuality_ = deviceQuality;
    ambient_[0] = ambient_[1] = ambient_[2] = 0;
    lights_.clear();
    seen_.clear();
    Walk(top, top->World());

    // Lights touch every lit colour; they seldom change.
    const bool relight = std::memcmp(ambient_, litAmbient_, sizeof ambient_) != 0 || lights_ != litWith_;
    std::memcpy(litAmbient_, ambient_, sizeof ambient_);
    litWith_ = lights_;
    const bool eyeMoved = !eyeKnown_ || eye.x != eye_.x || eye.y != eye_.y || eye.z != eye_.z;
    eye_ = eye;
    eyeKnown_ = true;
    if (!Update(out, relight)) {
        Rebuild(out);
    } else if (eyeMoved) {
        for (const Instance& in : instances_) {
            if (in.live) Index(in, out);
        }
    }

    out.batches.clear();
    for (const Bucket& b : buckets_) {
        // A bucket of holes alone may name a texture that is gone.
        if (b.count > b.holes) out.batches.push_back({b.primitive, b.texture, b.indexFirst, b.indexCount});
    }
}

void SceneCollector::Walk(Frame* frame, const Placement& world) {
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
    for (MeshBuilder* mesh : frame->meshes_) seen_.push_back({frame, mesh, world});
    for (Frame* child : frame->children_) Walk(child, child->local_.Within(world));
}

namespace {

std::uint32_t IndexRoom(Primitive primitive, std::uint32_t corners) {
    return primitive == Primitive::Triangles ? 3 * (corners - 2) : primitive == Primitive::Lines ? 2 * corners : corners;
}

}  // namespace

void SceneCollector::Index(const Instance& in, DrawList& out) {
    const Primitive primitive = buckets_[in.bucket].primitive;
    std::uint32_t* at = out.indices.data() + in.indexFirst;
    for (std::uint32_t f = in.faceFirst; f < in.faceFirst + in.faceCount; ++f) {
        const FaceSpan& face = faces_[f];
        if (!FacesEye(out.vertices[face.vertex], eye_.x, eye_.y, eye_.z)) continue;
        const std::uint32_t v = face.vertex, c = face.corners;
        if (primitive == Primitive::Triangles) {
            for (std::uint32_t i = 2; i < c; ++i) {
                *at++ = v;
                *at++ = v + i - 1;
                *at++ = v + i;
            }
        } else if (primitive == Primitive::Lines) {
            for (std::uint32_t i = 0; i < c; ++i) {
                *at++ = v + i;
                *at++ = v + (i + 1) % c;
            }
        } else {
            for (std::uint32_t i = 0; i < c; ++i) *at++ = v + i;
        }
    }
    std::fill(at, out.indices.data() + in.indexFirst + in.indexCount, 0u);
    out.indexChanges.Add(in.indexFirst, in.indexCount);
}

// Redoes in place what changed and leaves holes where meshes went; false when
// the scene's shape changed otherwise (a mesh added, moved in the tree, grown
// or changed primitive, texture or faces) or holes outweigh what is left.
bool SceneCollector::Update(DrawList& out, bool relight) {
    if (list_ != &out) return false;
    std::size_t j = 0;
    auto punch = [&](Instance& gone) {
        std::fill_n(out.indices.begin() + gone.indexFirst, gone.indexCount, 0u);
        out.indexChanges.Add(gone.indexFirst, gone.indexCount);
        buckets_[gone.bucket].holes += gone.count;
        gone.live = false;
    };
    for (const Seen& s : seen_) {
        while (j < instances_.size() &&
               !(instances_[j].frame == s.frame->serial_ && instances_[j].mesh == s.mesh->serial_)) {
            if (instances_[j].live) punch(instances_[j]);
            ++j;
        }
        if (j == instances_.size()) return false;
        Instance& in = instances_[j++];
        if (!in.live) return false;
        D3DRMRENDERQUALITY quality = EffectiveQuality(s.mesh->quality_, deviceQuality_);
        if (!relight && in.meshVersion == s.mesh->version_ && in.quality == quality && Same(in.world, s.world)) {
            continue;
        }
        Primitive primitive;
        TextureImage* texture;
        Make(s, primitive, texture, quality);
        const Bucket& b = buckets_[in.bucket];
        if (primitive != b.primitive || texture != b.texture || made_.size() != in.count ||
            madeFaces_.size() != in.faceCount) {
            return false;
        }
        for (std::uint32_t f = 0; f < in.faceCount; ++f) {
            if (faces_[in.faceFirst + f].corners != madeFaces_[f].corners) return false;
        }
        std::copy(made_.begin(), made_.end(), out.vertices.begin() + in.first);
        out.vertexChanges.Add(in.first, in.count);
        in.meshVersion = s.mesh->version_;
        in.quality = quality;
        in.world = s.world;
        Index(in, out);
    }
    for (; j < instances_.size(); ++j) {
        if (instances_[j].live) punch(instances_[j]);
    }
    std::size_t holes = 0;
    for (const Bucket& b : buckets_) holes += b.holes;
    return holes * 2 <= out.vertices.size();
}

void SceneCollector::Rebuild(DrawList& out) {
    list_ = &out;
    instances_.clear();
    buckets_.clear();
    faces_.clear();
    std::vector<std::vector<DrawVertex>> held;
    std::vector<std::vector<std::size_t>> members;  // instances of each bucket
    for (const Seen& s : seen_) {
        Primitive primitive;
        TextureImage* texture;
        D3DRMRENDERQUALITY quality;
        Make(s, primitive, texture, quality);
        std::size_t b = 0;
        while (b < buckets_.size() && !(buckets_[b].primitive == primitive && buckets_[b].texture == texture)) ++b;
        if (b == buckets_.size()) {
            buckets_.push_back({primitive, texture, 0, 0, 0, 0, 0});
            held.emplace_back();
            members.emplace_back();
        }
        std::uint32_t room = 0;
        for (const FaceSpan& f : madeFaces_) room += IndexRoom(primitive, f.corners);
        Instance in{s.frame->serial_, s.mesh->serial_, s.mesh->version_, quality, s.world, b,
                    static_cast<std::uint32_t>(held[b].size()), static_cast<std::uint32_t>(made_.size()),
                    static_cast<std::uint32_t>(faces_.size()), static_cast<std::uint32_t>(madeFaces_.size()),
                    0, room, true};
        members[b].push_back(instances_.size());
        instances_.push_back(in);
        faces_.insert(faces_.end(), madeFaces_.begin(), madeFaces_.end());
        held[b].insert(held[b].end(), made_.begin(), made_.end());
    }
    DrawVertex nowhere{};
    nowhere.d = 1;
    out.vertices.assign(1, nowhere);
    std::uint32_t indexCount = 0;
    for (std::size_t b = 0; b < buckets_.size(); ++b) {
        buckets_[b].first = static_cast<std::uint32_t>(out.vertices.size());
        buckets_[b].count = static_cast<std::uint32_t>(held[b].size());
        out.vertices.insert(out.vertices.end(), held[b].begin(), held[b].end());
        buckets_[b].indexFirst = indexCount;
        for (std::size_t i : members[b]) {
            instances_[i].indexFirst = indexCount;
            indexCount += instances_[i].indexCount;
        }
        buckets_[b].indexCount = indexCount - buckets_[b].indexFirst;
    }
    out.indices.assign(indexCount, 0);
    for (Instance& in : instances_) {
        in.first += buckets_[in.bucket].first;
        for (std::uint32_t f = in.faceFirst; f < in.faceFirst + in.faceCount; ++f) faces_[f].vertex += in.first;
        Index(in, out);
    }
    out.vertexChanges = Changes{};
    out.indexChanges = Changes{};
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

void SceneCollector::Make(const Seen& seen, Primitive& primitive, TextureImage*& texture,
                          D3DRMRENDERQUALITY& quality) {
    const MeshBuilder* mesh = seen.mesh;
    const Placement& world = seen.world;
    quality = EffectiveQuality(mesh->quality_, deviceQuality_);
    DWORD fill = quality & D3DRMFILL_MASK;
    bool lighting = (quality & D3DRMLIGHT_MASK) != 0;
    bool gouraud = (quality & D3DRMSHADE_MASK) != D3DRMSHADE_FLAT;
    // Lines and points show the plain mesh colour, untextured.
    texture = fill == D3DRMFILL_SOLID ? mesh->texture_ : nullptr;
    primitive = fill == D3DRMFILL_SOLID       ? Primitive::Triangles
                : fill == D3DRMFILL_WIREFRAME ? Primitive::Lines
                                              : Primitive::Points;
    made_.clear();
    madeFaces_.clear();

    for (const Face* face : mesh->faces_) {
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
        const float d = Dot(n, scratchPositions_[0]);

        std::uint8_t faceRgb[3];
        Lit(face->color_, n, lighting, faceRgb);
        auto vertex = [&](std::size_t i) {
            const FaceVertex& src = face->vertices_[i];
            const Vec3& p = scratchPositions_[i];
            DrawVertex v{p.x, p.y, p.z, faceRgb[0], faceRgb[1], faceRgb[2], 255, src.u, src.v, n.x, n.y, n.z, d};
            if (gouraud && lighting) {
                Vec3 vn = (src.normal.x != 0 || src.normal.y != 0 || src.normal.z != 0) ? world.Rotate(src.normal) : n;
                std::uint8_t rgb[3];
                Lit(face->color_, vn, true, rgb);
                v.r = rgb[0];
                v.g = rgb[1];
                v.b = rgb[2];
            }
            return v;
        };
        madeFaces_.push_back({static_cast<std::uint32_t>(made_.size()), static_cast<std::uint32_t>(count)});
        for (std::size_t i = 0; i < count; ++i) made_.push_back(vertex(i));
    }
}

}  // namespace plat::rm
