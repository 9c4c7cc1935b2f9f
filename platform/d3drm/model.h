// A model file as plain data: what the reader takes out of Assimp, handed
// from the process that reads the file to the loader that builds frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3drm/d3drm.h"
#include "platform/d3drm/geometry.h"

namespace plat::rm {

class Frame;
class RetainedMode;

// Deeper trees are no models, and every walk of the scene graph recurses.
constexpr int kMaxModelDepth = 256;

// The faces of one mesh in one material.
struct ModelPart {
    std::string name;
    std::string texture;          // the material's picture file, if any
    float color[4] = {1, 1, 1, 1};  // the material's diffuse colour, RGBA
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;  // one a vertex, or none
    std::vector<float> uvs;     // two a vertex, or none
    std::vector<float> colors;  // RGBA, four a vertex, or none
    std::vector<std::uint32_t> faceSizes, indices;
};

struct ModelNode {
    std::string name;
    std::int32_t parent = -1;  // an earlier node; -1 only for node 0
    // Rows of a 3 x 4 matrix acting on column vectors: the node's axes are
    // the first three columns, its origin the last, in its parent's space.
    float matrix[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    std::vector<std::uint32_t> parts;
};

// Node 0 stands for the file: its children are the top-level frames, its
// parts the meshes that stand alone. Every node comes after its parent.
struct Model {
    std::vector<ModelNode> nodes;
    std::vector<ModelPart> parts;
};

// Reads a model file through Assimp in this process (model_read.cpp).
HRESULT ReadModel(const char* path, Model& out);

void EncodeModel(const Model& model, std::vector<unsigned char>& out);
// False for anything but a whole, consistent model.
bool DecodeModel(const unsigned char* data, std::size_t size, Model& out);

// Frame::Load: reads the file apart from this process and builds the chosen
// object below `into` (model_load.cpp).
HRESULT LoadModel(Frame* into, RetainedMode* root, void* source, void* objectId, D3DRMLOADOPTIONS options,
                  D3DRMLOADTEXTURECALLBACK textureCallback, void* callbackArg);

}  // namespace plat::rm
