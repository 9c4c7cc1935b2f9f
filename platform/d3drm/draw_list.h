// What one Render hands to the renderer: world-space vertices, already lit,
// grouped into batches by primitive and texture. Plain data, no GL.
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
};
static_assert(sizeof(DrawVertex) == 24, "vertex layout is shared with the shaders");

enum class Primitive : std::uint8_t { Triangles, Lines, Points };

struct DrawBatch {
    Primitive primitive;
    TextureImage* texture;  // null: colour only
    std::uint32_t first;
    std::uint32_t count;
};

struct DrawList {
    std::vector<DrawVertex> vertices;
    std::vector<DrawBatch> batches;
    void Clear() {
        vertices.clear();
        batches.clear();
    }
};

}  // namespace plat::rm
