// The only file that knows Assimp: a model file into a Model. Numbers are
// taken as they are; the loader checks every one it uses.
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cstdio>
#include <cstring>

#include "platform/d3drm/assimp_calls.h"
#include "platform/d3drm/model.h"

namespace plat::rm {
namespace {

bool IsXFile(const char* path) {
    char head[4] = {};
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    return got == sizeof head && std::memcmp(head, "xof ", 4) == 0;
}

void CopyMatrix(const aiMatrix4x4& m, float out[12]) {
    const ai_real rows[12] = {m.a1, m.a2, m.a3, m.a4, m.b1, m.b2, m.b3, m.b4, m.c1, m.c2, m.c3, m.c4};
    for (int i = 0; i < 12; ++i) out[i] = static_cast<float>(rows[i]);
}

Vec3 ToVec3(const aiVector3D& v) { return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)}; }

bool ConvertPart(const aiScene& scene, const aiMesh& mesh, ModelPart& part) {
    const unsigned count = mesh.mNumVertices;
    if (count > 0 && !mesh.mVertices) return false;
    part.name = mesh.mName.C_Str();
    part.positions.reserve(count);
    for (unsigned i = 0; i < count; ++i) part.positions.push_back(ToVec3(mesh.mVertices[i]));
    if (mesh.mNormals) {
        part.normals.reserve(count);
        for (unsigned i = 0; i < count; ++i) part.normals.push_back(ToVec3(mesh.mNormals[i]));
    }
    if (const aiVector3D* uv = mesh.mTextureCoords[0]) {
        part.uvs.reserve(2 * std::size_t{count});
        for (unsigned i = 0; i < count; ++i) {
            part.uvs.push_back(static_cast<float>(uv[i].x));
            part.uvs.push_back(static_cast<float>(uv[i].y));
        }
    }
    if (const aiColor4D* c = mesh.mColors[0]) {
        part.colors.reserve(4 * std::size_t{count});
        for (unsigned i = 0; i < count; ++i) part.colors.insert(part.colors.end(), {c[i].r, c[i].g, c[i].b, c[i].a});
    }
    if (mesh.mNumFaces > 0 && !mesh.mFaces) return false;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        // Points and lines, which some formats carry, are no faces.
        if (face.mNumIndices < 3) continue;
        for (unsigned i = 0; i < face.mNumIndices; ++i) {
            if (face.mIndices[i] >= count) return false;
            part.indices.push_back(face.mIndices[i]);
        }
        part.faceSizes.push_back(face.mNumIndices);
    }
    if (mesh.mMaterialIndex < scene.mNumMaterials && scene.mMaterials[mesh.mMaterialIndex]) {
        const aiMaterial& material = *scene.mMaterials[mesh.mMaterialIndex];
        aiColor4D diffuse;
        if (Assimp()->aiGetMaterialColor(&material, AI_MATKEY_COLOR_DIFFUSE, &diffuse) == AI_SUCCESS) {
            part.color[0] = diffuse.r;
            part.color[1] = diffuse.g;
            part.color[2] = diffuse.b;
            part.color[3] = diffuse.a;
        }
        aiString texture;
        if (Assimp()->aiGetMaterialTexture(&material, aiTextureType_DIFFUSE, 0, &texture, nullptr, nullptr, nullptr,
                                           nullptr, nullptr, nullptr) == AI_SUCCESS) {
            part.texture = texture.C_Str();
        }
    }
    return true;
}

class Reader {
public:
    Reader(const aiScene& scene, Model& out) : scene_(scene), out_(out), partOf_(scene.mNumMeshes, -1) {}

    bool AddParts(const aiNode& from, std::size_t node) {
        if (from.mNumMeshes > 0 && !from.mMeshes) return false;
        for (unsigned i = 0; i < from.mNumMeshes; ++i) {
            const unsigned mesh = from.mMeshes[i];
            if (mesh >= scene_.mNumMeshes || !scene_.mMeshes || !scene_.mMeshes[mesh]) return false;
            // A mesh that several nodes show is converted once.
            if (partOf_[mesh] < 0) {
                ModelPart part;
                if (!ConvertPart(scene_, *scene_.mMeshes[mesh], part)) return false;
                partOf_[mesh] = static_cast<std::int32_t>(out_.parts.size());
                out_.parts.push_back(std::move(part));
            }
            out_.nodes[node].parts.push_back(static_cast<std::uint32_t>(partOf_[mesh]));
        }
        return true;
    }

private:
    const aiScene& scene_;
    Model& out_;
    std::vector<std::int32_t> partOf_;
};

}  // namespace

HRESULT ReadModel(const char* path, Model& out) {
    out = Model{};
    const AssimpCalls* assimp = Assimp();
    if (!assimp) return D3DRMERR_BADFILE;
    // Assimp hands every format over right-handed, counter-clockwise and
    // with v running up; the platform is left-handed, clockwise, v down.
    // Converting back gives a .x file its own numbers and vertex order.
    const aiScene* scene =
        assimp->aiImportFile(path, aiProcess_MakeLeftHanded | aiProcess_FlipWindingOrder | aiProcess_FlipUVs);
    // The scene is Assimp's until released, on every way out.
    struct Release {
        const AssimpCalls* assimp;
        const aiScene* scene;
        ~Release() {
            if (scene) assimp->aiReleaseImport(scene);
        }
    } release{assimp, scene};
    if (!scene || !scene->mRootNode || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE)) return D3DRMERR_BADFILE;

    Reader reader(*scene, out);
    out.nodes.emplace_back();  // the file
    struct Pending {
        const aiNode* node;
        std::int32_t parent;
        int depth;
    };
    std::vector<Pending> pending;
    const aiNode& root = *scene->mRootNode;
    // The .x reader makes a file's only top-level frame the root, and adds a
    // "$dummy" root only for several of them or for meshes outside any frame.
    // Every other format's root stands for the file.
    if (IsXFile(path) && std::strncmp(root.mName.C_Str(), "$dummy", 6) != 0) {
        pending.push_back({&root, 0, 1});
    } else {
        CopyMatrix(root.mTransformation, out.nodes[0].matrix);
        if (!reader.AddParts(root, 0)) return D3DRMERR_BADFILE;
        for (unsigned c = root.mNumChildren; c-- > 0;) pending.push_back({root.mChildren[c], 0, 1});
    }
    // By hand rather than by recursion: the depth is the file's to choose.
    while (!pending.empty()) {
        const Pending next = pending.back();
        pending.pop_back();
        if (!next.node || next.depth > kMaxModelDepth) return D3DRMERR_BADFILE;
        const std::size_t index = out.nodes.size();
        ModelNode& node = out.nodes.emplace_back();
        node.name = next.node->mName.C_Str();
        node.parent = next.parent;
        CopyMatrix(next.node->mTransformation, node.matrix);
        if (!reader.AddParts(*next.node, index)) return D3DRMERR_BADFILE;
        if (next.node->mNumChildren > 0 && !next.node->mChildren) return D3DRMERR_BADFILE;
        for (unsigned c = next.node->mNumChildren; c-- > 0;) {
            pending.push_back({next.node->mChildren[c], static_cast<std::int32_t>(index), next.depth + 1});
        }
    }
    return D3DRM_OK;
}

}  // namespace plat::rm
