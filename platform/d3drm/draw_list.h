// What Render hands to the renderer: world-space vertices, already lit, and
// indices of the faces the eye sees, grouped into batches by primitive and
// texture. Plain data, no GL. The list lives as long as its device and changes
// only where the scene did, so the renderer keeps a copy on the GPU and takes
// only the changed ranges.
#pragma once

#include <cstdint>
#include <vector>

namespace plat::rm {

// The pixels behind a texture; the renderer copies them into its own texture
// the first time a context draws with it, and again when the version changes.
class TextureImage {
public:
    virtual std::uint64_t ImageId() const = 0;
    virtual std::uint32_t ImageVersion() const = 0;
    // 0x00RRGGBB texels, top row first.
    virtual bool CopyPixels(std::vector<std::uint32_t>& texels, int& width, int& height) = 0;

protected:
    ~TextureImage() = default;
};

struct DrawVertex {
    float x, y, z;
    std::uint8_t r, g, b, a;
    float u, v;
    // The plane of the vertex's face, its normal out of the front: the face
    // is seen only from where nx·x + ny·y + nz·z > d. Only the indices of
    // faces seen are listed, and the vertex shader holds to the same test.
    float nx, ny, nz, d;
};
static_assert(sizeof(DrawVertex) == 40, "vertex layout is shared with the shaders");

// Whether a vertex's face shows its front to the eye.
inline bool FacesEye(const DrawVertex& v, float ex, float ey, float ez) {
    return v.nx * ex + v.ny * ey + v.nz * ez - v.d > 0;
}

enum class Primitive : std::uint8_t { Triangles, Lines, Points };

// `count` indices from `first`, all of one primitive and texture.
struct DrawBatch {
    Primitive primitive;
    TextureImage* texture;  // null: colour only
    std::uint32_t first;
    std::uint32_t count;
};

struct DrawRange {
    std::uint32_t first;
    std::uint32_t count;
};

// What changed of an array since the renderer last took it: all of it, or
// the ranges.
struct Changes {
    bool all = true;
    std::vector<DrawRange> ranges;

    void Add(std::uint32_t first, std::uint32_t count) {
        if (all) return;
        // Past a few ranges one upload of everything is cheaper than many.
        if (ranges.size() >= 64) {
            all = true;
            ranges.clear();
            return;
        }
        ranges.push_back({first, count});
    }
    void Taken() {
        all = false;
        ranges.clear();
    }
};

// Vertex 0 is seen from nowhere: indices of faces turned away point there.
struct DrawList {
    std::vector<DrawVertex> vertices;
    std::vector<std::uint32_t> indices;
    std::vector<DrawBatch> batches;
    Changes vertexChanges, indexChanges;

    void Taken() {
        vertexChanges.Taken();
        indexChanges.Taken();
    }
};

}  // namespace plat::rm
