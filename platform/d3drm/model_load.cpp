// Frame::Load: the options, reading the file apart from the game, and the
// frames and mesh builders made from what was read.
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/d3drm/model.h"
#include "platform/d3drm/model_apart.h"
#include "platform/d3drm/objects.h"

namespace plat::rm {
namespace {

constexpr DWORD kSourceFlags = D3DRMLOAD_FROMRESOURCE | D3DRMLOAD_FROMMEMORY | D3DRMLOAD_FROMSTREAM;
constexpr DWORD kIdentifierFlags = D3DRMLOAD_BYNAME | D3DRMLOAD_BYPOSITION | D3DRMLOAD_BYGUID | D3DRMLOAD_FIRST;
constexpr DWORD kInstanceFlags = D3DRMLOAD_INSTANCEBYREFERENCE | D3DRMLOAD_INSTANCEBYCOPYING;

HRESULT CheckOptions(void* source, void* objectId, D3DRMLOADOPTIONS options) {
    if (!source) return D3DRMERR_BADVALUE;
    if (options & ~(kSourceFlags | kIdentifierFlags | kInstanceFlags)) return D3DRMERR_BADVALUE;
    // Only files are read; resources, memory and streams have no meaning here.
    if (options & kSourceFlags) return D3DRMERR_BADVALUE;
    const DWORD identifier = options & kIdentifierFlags;
    if (identifier != 0 && identifier != D3DRMLOAD_FIRST && identifier != D3DRMLOAD_BYNAME) return D3DRMERR_BADVALUE;
    if (identifier == D3DRMLOAD_BYNAME && !objectId) return D3DRMERR_BADVALUE;
    // The instance flags would share an object already loaded under the same
    // name; a fresh copy looks the same, so they are taken and load anew.
    return D3DRM_OK;
}

// A linear map with an offset: columns x, y, z and the origin t.
struct Affine {
    Vec3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1}, t;

    Vec3 Rotate(Vec3 v) const { return x * v.x + y * v.y + z * v.z; }
    Vec3 Apply(Vec3 p) const { return Rotate(p) + t; }
    // This map after `inner`.
    Affine After(const Affine& inner) const {
        return {Rotate(inner.x), Rotate(inner.y), Rotate(inner.z), Apply(inner.t)};
    }
};

bool Finite(Vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
bool Finite(const Affine& a) { return Finite(a.x) && Finite(a.y) && Finite(a.z) && Finite(a.t); }

Affine FromRows(const float m[12]) {
    return {{m[0], m[4], m[8]}, {m[1], m[5], m[9]}, {m[2], m[6], m[10]}, {m[3], m[7], m[11]}};
}

bool ToColor(const float rgba[4], D3DCOLOR& out) {
    for (int c = 0; c < 4; ++c) {
        if (!std::isfinite(rgba[c])) return false;
    }
    out = D3DRGBA(rgba[0], rgba[1], rgba[2], rgba[3]);
    return true;
}

// Our frames are rigid placements, so a frame takes the rotation (its axes
// made orthonormal) and the origin; what is left (scale, shear, a mirror)
// goes into what hangs below it, its vertices and its children's places,
// and the picture stays as the file has it.
void Split(const Affine& a, Placement& rigid, Affine& rest) {
    OrientAxes(a.z, a.y, Placement{}, rigid.x, rigid.y, rigid.z);
    rigid.origin = a.t;
    rest = {rigid.InverseRotate(a.x), rigid.InverseRotate(a.y), rigid.InverseRotate(a.z), {}};
}

class Builder {
public:
    Builder(const Model& model, RetainedMode* root, D3DRMLOADTEXTURECALLBACK textureCallback, void* callbackArg)
        : model_(model), root_(root), textureCallback_(textureCallback), callbackArg_(callbackArg),
          children_(model.nodes.size()) {
        for (std::size_t i = 1; i < model.nodes.size(); ++i) {
            children_[static_cast<std::size_t>(model.nodes[i].parent)].push_back(i);
        }
    }

    const std::vector<std::size_t>& Children(std::size_t node) const { return children_[node]; }

    // A new frame for the node, placed by its matrix after `outer`, with
    // everything below it; null for a number that is no number.
    Frame* BuildFrame(std::size_t index, const Affine& outer) {
        const ModelNode& node = model_.nodes[index];
        const Affine local = outer.After(FromRows(node.matrix));
        if (!Finite(local)) return nullptr;
        IDirect3DRMFrame* created = nullptr;
        if (FAILED(root_->CreateFrame(nullptr, &created))) return nullptr;
        Frame* frame = AsFrame(created);
        if (!node.name.empty()) frame->SetName(node.name.c_str());
        Affine rest;
        Split(local, frame->local_, rest);
        std::vector<MeshBuilder*> meshes;
        bool ok = BuildMeshes(index, nullptr, rest, meshes);
        for (MeshBuilder* mesh : meshes) {
            frame->AddVisual(mesh);
            mesh->Release();
        }
        for (std::size_t i = 0; ok && i < children_[index].size(); ++i) {
            Frame* child = BuildFrame(children_[index][i], rest);
            ok = child != nullptr;
            if (child) {
                frame->AddChild(child);
                child->Release();
            }
        }
        if (!ok) {
            frame->Release();
            return nullptr;
        }
        return frame;
    }

    // Mesh builders for the node's parts (only those of the given name, if
    // one is given), vertices through `k`: one builder a name and texture.
    bool BuildMeshes(std::size_t index, const std::string* name, const Affine& k, std::vector<MeshBuilder*>& out) {
        std::vector<std::vector<std::uint32_t>> groups;
        for (std::uint32_t p : model_.nodes[index].parts) {
            const ModelPart& part = model_.parts[p];
            if (name && part.name != *name) continue;
            auto same = std::find_if(groups.begin(), groups.end(), [&](const std::vector<std::uint32_t>& g) {
                const ModelPart& first = model_.parts[g.front()];
                return first.name == part.name && first.texture == part.texture;
            });
            if (same == groups.end()) {
                groups.push_back({p});
            } else {
                same->push_back(p);
            }
        }
        for (const std::vector<std::uint32_t>& group : groups) {
            MeshBuilder* mesh = BuildMesh(group, k);
            if (!mesh) return false;
            out.push_back(mesh);
        }
        return true;
    }

private:
    MeshBuilder* BuildMesh(const std::vector<std::uint32_t>& parts, const Affine& k) {
        IDirect3DRMMeshBuilder* created = nullptr;
        if (FAILED(root_->CreateMeshBuilder(&created))) return nullptr;
        auto* mesh = static_cast<MeshBuilder*>(created);
        const ModelPart& first = model_.parts[parts.front()];
        if (!first.name.empty()) mesh->SetName(first.name.c_str());
        bool ok = ToColor(first.color, mesh->color_);
        // Normals go through the inverse transpose, here the cofactor matrix
        // (the same up to the determinant's sign). Corners keep the file's
        // order even under a mirror: they lie where the file's own transform
        // puts them, so the side seen is the one the file shows.
        const float sign = Dot(k.x, Cross(k.y, k.z)) < 0 ? -1.0f : 1.0f;
        const Affine cofactor{Cross(k.y, k.z) * sign, Cross(k.z, k.x) * sign, Cross(k.x, k.y) * sign, {}};
        for (std::size_t p = 0; ok && p < parts.size(); ++p) ok = AddFaces(model_.parts[parts[p]], k, cofactor, *mesh);
        if (ok && !first.texture.empty() && textureCallback_) {
            std::string file = first.texture;
            IDirect3DRMTexture* texture = nullptr;
            // A picture that cannot be had leaves the mesh untextured rather
            // than the model unloaded.
            if (SUCCEEDED(textureCallback_(file.data(), callbackArg_, &texture)) && texture) {
                mesh->SetTexture(texture);
                texture->Release();
            }
        }
        if (!ok) {
            mesh->Release();
            return nullptr;
        }
        return mesh;
    }

    // False for a number that is no number: a file with NaN or infinite
    // values is damaged, and half of it would look wrong in ways hard to trace.
    static bool AddFaces(const ModelPart& part, const Affine& k, const Affine& cofactor, MeshBuilder& mesh) {
        D3DCOLOR partColor = 0;
        if (!ToColor(part.color, partColor)) return false;
        std::size_t at = 0;
        for (std::uint32_t size : part.faceSizes) {
            const std::size_t begin = at;
            at += size;
            if (size < 3) continue;
            IDirect3DRMFace* created = nullptr;
            if (FAILED(mesh.CreateFace(&created))) return false;
            auto* face = static_cast<Face*>(created);
            face->Release();  // the mesh holds it
            float sum[4] = {0, 0, 0, 0};
            for (std::uint32_t c = 0; c < size; ++c) {
                const std::uint32_t v = part.indices[begin + c];
                FaceVertex corner;
                corner.position = k.Apply(part.positions[v]);
                if (!Finite(corner.position)) return false;
                if (!part.normals.empty()) {
                    const Vec3 n = cofactor.Rotate(part.normals[v]);
                    if (!Finite(n)) return false;
                    const float length = Length(n);
                    corner.normal = length > 0 && std::isfinite(length) ? n * (1.0f / length) : Vec3{};
                }
                if (!part.uvs.empty()) {
                    corner.u = part.uvs[2 * v];
                    corner.v = part.uvs[2 * v + 1];
                    if (!std::isfinite(corner.u) || !std::isfinite(corner.v)) return false;
                }
                for (int i = 0; i < 4 && !part.colors.empty(); ++i) sum[i] += part.colors[4 * v + i];
                face->vertices_.push_back(corner);
            }
            face->color_ = partColor;
            if (!part.colors.empty()) {
                // A face has one colour: its corners' average.
                for (float& s : sum) s /= static_cast<float>(size);
                if (!ToColor(sum, face->color_)) return false;
            }
        }
        return true;
    }

    const Model& model_;
    RetainedMode* root_;
    D3DRMLOADTEXTURECALLBACK textureCallback_;
    void* callbackArg_;
    std::vector<std::vector<std::size_t>> children_;
};

}  // namespace

HRESULT LoadModel(Frame* into, RetainedMode* root, void* source, void* objectId, D3DRMLOADOPTIONS options,
                  D3DRMLOADTEXTURECALLBACK textureCallback, void* callbackArg) {
    if (HRESULT checked = CheckOptions(source, objectId, options); FAILED(checked)) return checked;
    const char* path = static_cast<const char*>(source);
    std::size_t fileSize = 0;
    if (HRESULT found = CheckFile(path, fileSize); FAILED(found)) return found;
    Model model;
    if (HRESULT read = ReadModelApart(path, fileSize, model); FAILED(read)) return read;

    // Everything is built first and hung below `into` only once all of it
    // was made, so a load that fails leaves the frame as it was.
    Builder builder(model, root, textureCallback, callbackArg);
    const Affine file = FromRows(model.nodes[0].matrix);
    Frame* frame = nullptr;
    std::vector<MeshBuilder*> meshes;
    bool picked = false, built = false;
    if ((options & kIdentifierFlags) == D3DRMLOAD_BYNAME) {
        // An object by name is loaded alone: in its own coordinates, without
        // the frames that held it in the file. Assimp names a .x mesh after
        // its frame (and one outside any frame not at all), so in a .x file
        // the names found are the frames'.
        const std::string name = static_cast<const char*>(objectId);
        for (std::size_t i = 0; i < model.nodes.size() && !picked; ++i) {
            const ModelNode& node = model.nodes[i];
            if (i > 0 && node.name == name) {
                picked = true;
                frame = builder.BuildFrame(i, node.parent == 0 ? file : Affine{});
                built = frame != nullptr;
            } else if (std::any_of(node.parts.begin(), node.parts.end(),
                                   [&](std::uint32_t p) { return model.parts[p].name == name; })) {
                picked = true;
                built = builder.BuildMeshes(i, &name, i == 0 ? file : Affine{}, meshes);
            }
        }
    } else if (!builder.Children(0).empty()) {
        // The first top-level object, a frame first, as this is a frame's Load.
        picked = true;
        frame = builder.BuildFrame(builder.Children(0).front(), file);
        built = frame != nullptr;
    } else if (!model.nodes[0].parts.empty()) {
        picked = true;
        const std::string& name = model.parts[model.nodes[0].parts.front()].name;
        built = builder.BuildMeshes(0, &name, file, meshes);
    }

    if (built) {
        if (frame) into->AddChild(frame);
        for (MeshBuilder* mesh : meshes) into->AddVisual(mesh);
    }
    if (frame) frame->Release();
    for (MeshBuilder* mesh : meshes) mesh->Release();
    if (!picked) return D3DRMERR_NOTFOUND;
    return built ? D3DRM_OK : D3DRMERR_BADFILE;
}

}  // namespace plat::rm
