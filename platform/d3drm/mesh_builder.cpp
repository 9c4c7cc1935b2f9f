#include <algorithm>
#include <numeric>

#include "platform/d3drm/objects.h"

namespace plat::rm {

HRESULT Face::AddVertex(D3DVALUE x, D3DVALUE y, D3DVALUE z) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return D3DRMERR_BADVALUE;
    FaceVertex v;
    v.position = {x, y, z};
    vertices_.push_back(v);
    Touch();
    return D3DRM_OK;
}

HRESULT Face::GetVertex(DWORD index, D3DVECTOR* position, D3DVECTOR* normal) {
    if (index >= vertices_.size()) return D3DRMERR_BADVALUE;
    if (position) *position = ToD3D(vertices_[index].position);
    if (normal) *normal = ToD3D(vertices_[index].normal);
    return D3DRM_OK;
}

HRESULT Face::SetTextureCoordinates(DWORD vertex, D3DVALUE u, D3DVALUE v) {
    if (vertex >= vertices_.size()) return D3DRMERR_BADVALUE;
    if (vertices_[vertex].u != u || vertices_[vertex].v != v) Touch();
    vertices_[vertex].u = u;
    vertices_[vertex].v = v;
    return D3DRM_OK;
}

HRESULT Face::GetTextureCoordinates(DWORD vertex, D3DVALUE* u, D3DVALUE* v) {
    if (vertex >= vertices_.size() || !u || !v) return D3DRMERR_BADVALUE;
    *u = vertices_[vertex].u;
    *v = vertices_[vertex].v;
    return D3DRM_OK;
}

void Face::Touch() {
    if (owner_) {
        owner_->Touch();
    } else {
        NoteChange();
    }
}

Vec3 Face::FaceNormal() const {
    Vec3 n;
    std::size_t count = vertices_.size();
    for (std::size_t i = 0; i < count; ++i) {
        n = n + Cross(vertices_[i].position, vertices_[(i + 1) % count].position);
    }
    float len = Length(n);
    return len > 0 ? n * (1.0f / len) : Vec3{};
}

HRESULT Face::GetNormal(D3DVECTOR* normal) {
    if (!normal) return D3DRMERR_BADVALUE;
    *normal = ToD3D(FaceNormal());
    return D3DRM_OK;
}

HRESULT Face::SetColor(D3DCOLOR color) {
    if (color != color_) Touch();
    color_ = color;
    return D3DRM_OK;
}

MeshBuilder::~MeshBuilder() {
    for (Face* face : faces_) {
        face->owner_ = nullptr;
        face->Release();
    }
    if (texture_) texture_->Release();
}

HRESULT MeshBuilder::CreateFace(IDirect3DRMFace** out) {
    if (!out) return D3DRMERR_BADVALUE;
    auto* face = new Face;
    face->color_ = color_;
    face->owner_ = this;
    faces_.push_back(face);  // the creation reference goes to the mesh
    face->AddRef();
    Touch();
    *out = face;
    return D3DRM_OK;
}

HRESULT MeshBuilder::AddFace(IDirect3DRMFace* faceInterface) {
    auto* face = dynamic_cast<Face*>(faceInterface);
    if (!face) return D3DRMERR_BADOBJECT;
    if (face->owner_) return D3DRMERR_FACEUSED;
    face->owner_ = this;
    face->AddRef();
    faces_.push_back(face);
    Touch();
    return D3DRM_OK;
}

HRESULT MeshBuilder::SetColor(D3DCOLOR color) {
    color_ = color;
    for (Face* face : faces_) face->SetColor(color);
    return D3DRM_OK;
}

HRESULT MeshBuilder::SetQuality(D3DRMRENDERQUALITY quality) {
    // Only the documented fields; anything else would not name a quality.
    if (quality & ~(D3DRMSHADE_MASK | D3DRMLIGHT_MASK | D3DRMFILL_MASK)) return D3DRMERR_BADVALUE;
    if (quality != quality_) Touch();
    quality_ = quality;
    return D3DRM_OK;
}

HRESULT MeshBuilder::SetTexture(IDirect3DRMTexture* textureInterface) {
    auto* texture = dynamic_cast<Texture*>(textureInterface);
    if (textureInterface && !texture) return D3DRMERR_BADOBJECT;
    if (texture != texture_) Touch();
    if (texture) texture->AddRef();
    if (texture_) texture_->Release();
    texture_ = texture;
    return D3DRM_OK;
}

HRESULT MeshBuilder::GetTexture(IDirect3DRMTexture** out) {
    if (!out) return D3DRMERR_BADVALUE;
    *out = texture_;
    if (texture_) texture_->AddRef();
    return D3DRM_OK;
}

int MeshBuilder::GetVertexCount() {
    int count = 0;
    for (Face* face : faces_) count += face->GetVertexCount();
    return count;
}

HRESULT MeshBuilder::Scale(D3DVALUE sx, D3DVALUE sy, D3DVALUE sz) {
    if (sx != 1 || sy != 1 || sz != 1) Touch();
    for (Face* face : faces_) {
        for (FaceVertex& v : face->vertices_) v.position = {v.position.x * sx, v.position.y * sy, v.position.z * sz};
    }
    return D3DRM_OK;
}

HRESULT MeshBuilder::Translate(D3DVALUE tx, D3DVALUE ty, D3DVALUE tz) {
    if (tx != 0 || ty != 0 || tz != 0) Touch();
    for (Face* face : faces_) {
        for (FaceVertex& v : face->vertices_) v.position = v.position + Vec3{tx, ty, tz};
    }
    return D3DRM_OK;
}

HRESULT MeshBuilder::GenerateNormals() {
    // Every face corner, with its face's normal.
    struct Corner {
        FaceVertex* vertex;
        Vec3 faceNormal;
        std::size_t group;
    };
    std::vector<Corner> corners;
    Vec3 lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
    for (Face* face : faces_) {
        Vec3 n = face->FaceNormal();
        for (FaceVertex& v : face->vertices_) {
            corners.push_back({&v, n, corners.size()});
            lo = {std::min(lo.x, v.position.x), std::min(lo.y, v.position.y), std::min(lo.z, v.position.z)};
            hi = {std::max(hi.x, v.position.x), std::max(hi.y, v.position.y), std::max(hi.z, v.position.z)};
        }
    }
    if (corners.empty()) return D3DRM_OK;
    Touch();
    // Positions equal within a small share of the mesh's size are one point,
    // so a seam built from separately computed angles still shades smoothly.
    float tolerance = std::max(Length(hi - lo) * 1e-5f, 1e-6f);
    std::vector<std::size_t> order(corners.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return corners[a].vertex->position.x < corners[b].vertex->position.x;
    });
    auto find = [&](std::size_t i) {
        while (corners[i].group != i) i = corners[i].group = corners[corners[i].group].group;
        return i;
    };
    for (std::size_t a = 0; a < order.size(); ++a) {
        Vec3 pa = corners[order[a]].vertex->position;
        for (std::size_t b = a + 1; b < order.size(); ++b) {
            Vec3 pb = corners[order[b]].vertex->position;
            if (pb.x - pa.x > tolerance) break;
            Vec3 d = pb - pa;
            if (Dot(d, d) <= tolerance * tolerance) {
                std::size_t ra = find(order[a]), rb = find(order[b]);
                if (ra != rb) corners[rb].group = ra;
            }
        }
    }
    std::vector<Vec3> sums(corners.size());
    for (std::size_t i = 0; i < corners.size(); ++i) {
        std::size_t g = find(i);
        sums[g] = sums[g] + corners[i].faceNormal;
    }
    for (std::size_t i = 0; i < corners.size(); ++i) {
        Vec3 s = sums[find(i)];
        float len = Length(s);
        corners[i].vertex->normal = len > 1e-6f ? s * (1.0f / len) : corners[i].faceNormal;
    }
    return D3DRM_OK;
}

HRESULT Light::SetType(D3DRMLIGHTTYPE type) {
    if (type > D3DRMLIGHT_PARALLELPOINT) return D3DRMERR_BADVALUE;
    if (type != type_) NoteChange();
    type_ = type;
    return D3DRM_OK;
}

HRESULT Light::SetColor(D3DCOLOR color) {
    return SetColorRGB(D3DRMColorGetRed(color), D3DRMColorGetGreen(color), D3DRMColorGetBlue(color));
}

HRESULT Light::SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b) {
    r = Intensity(r);
    g = Intensity(g);
    b = Intensity(b);
    if (r != r_ || g != g_ || b != b_) NoteChange();
    r_ = r;
    g_ = g;
    b_ = b;
    return D3DRM_OK;
}

}  // namespace plat::rm
