#include "bench/pictures.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "platform/gl/gl_context.h"

namespace bench {

std::vector<std::uint32_t> ReadBackBuffer(int width, int height) {
    std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * height * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    // OpenGL's rows run from the bottom.
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = &rgba[static_cast<std::size_t>(height - 1 - y) * width * 4];
        for (int x = 0; x < width; ++x) {
            pixels[static_cast<std::size_t>(y) * width + x] =
                (static_cast<std::uint32_t>(row[x * 4]) << 16) | (static_cast<std::uint32_t>(row[x * 4 + 1]) << 8) |
                row[x * 4 + 2];
        }
    }
    return pixels;
}

bool WithinRounding(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16}) {
        const int levels = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(levels) > tolerance) return false;
    }
    return true;
}

int CountDiffering(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int tolerance) {
    // A pixel one picture lacks differs.
    const std::size_t shared = std::min(a.size(), b.size());
    int count = static_cast<int>(std::max(a.size(), b.size()) - shared);
    for (std::size_t i = 0; i < shared; ++i) count += !WithinRounding(a[i], b[i], tolerance);
    return count;
}

}  // namespace bench
