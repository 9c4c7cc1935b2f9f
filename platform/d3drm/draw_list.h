// What Render hands to the renderer: world-space vertices, already lit,
// grouped into batches by primitive and texture. Plain data, no GL. The list
// lives as long as its device and changes only where the scene did, so the
// renderer keeps a copy on the GPU and takes only the changed ranges.
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
    // is seen only from where nx·x + ny·y + nz·z > d. The vertex shader drops
    // the rest, so culling follows the camera without the list changing.
    float nx, ny, nz, d;
};
static_assert(sizeof(DrawVertex) == 40, "vertex layout is shared with the shaders");

// Whether a vertex's face shows its front to the eye (the vertex shader's test).
inline bool FacesEye(const DrawVertex& v, float ex, float ey, float ez) {
    return v.nx * ex + v.ny * ey + v.nz * ez - v.d > 0;
}

enum class Primitive : std::uint8_t { Triangles, Lines, Points };

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

struct DrawList {
    std::vector<DrawVertex> vertices;
    std::vector<DrawBatch> batches;
    // Vertices changed since the renderer last took them: every one when
    // allChanged, else those in the ranges.
    bool allChanged = true;
    std::vector<DrawRange> changed;

    void Changed(std::uint32_t first, std::uint32_t count) {
        if (allChanged) return;
        // Past a few ranges one upload of everything is cheaper than many.
        if (changed.size() >= 64) {
            allChanged = true;
            changed.clear();
            return;
        }
        changed.push_back({first, count});
    }
    void Taken() {
        allChanged = false;
        changed.clear();
    }
};

}  // namespace plat::rm
