#include "tests/support/window_capture.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace capture {
namespace {

std::uint32_t BigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

int Shift(std::uint32_t mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

void PutLittleEndian(std::vector<unsigned char>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

}  // namespace

bool ParseXwd(const std::vector<unsigned char>& data, Image& image) {
    constexpr std::size_t kFields = 25;
    if (data.size() < kFields * 4) return false;
    std::uint32_t f[kFields];
    for (std::size_t i = 0; i < kFields; ++i) f[i] = BigEndian32(&data[i * 4]);
    const std::uint32_t headerSize = f[0], format = f[2], width = f[4], height = f[5], byteOrder = f[7];
    const std::uint32_t bitsPerPixel = f[11], bytesPerLine = f[12];
    const std::uint32_t redMask = f[14], greenMask = f[15], blueMask = f[16], colours = f[19];
    constexpr std::uint32_t kZPixmap = 2;
    if (format != kZPixmap || (bitsPerPixel != 32 && bitsPerPixel != 24)) return false;
    if (width == 0 || height == 0 || width > 16384 || height > 16384) return false;
    const std::size_t start = std::size_t{headerSize} + std::size_t{colours} * 12;
    if (bytesPerLine < width * (bitsPerPixel / 8) || start + std::size_t{bytesPerLine} * height > data.size())
        return false;

    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.assign(std::size_t{width} * height, 0);
    const int bytes = static_cast<int>(bitsPerPixel / 8);
    for (std::uint32_t y = 0; y < height; ++y) {
        const unsigned char* row = &data[start + std::size_t{y} * bytesPerLine];
        for (std::uint32_t x = 0; x < width; ++x) {
            const unsigned char* p = row + x * bytes;
            std::uint32_t v = 0;
            for (int b = 0; b < bytes; ++b) {
                int index = byteOrder == 0 ? b : bytes - 1 - b;  // 0: least significant byte first
                v |= std::uint32_t{p[index]} << (8 * b);
            }
            std::uint32_t r = (v & redMask) >> Shift(redMask);
            std::uint32_t g = (v & greenMask) >> Shift(greenMask);
            std::uint32_t bl = (v & blueMask) >> Shift(blueMask);
            image.pixels[std::size_t{y} * width + x] = (r << 16) | (g << 8) | bl;
        }
    }
    return true;
}

bool CaptureWindow(const std::string& windowId, Image& image) {
    for (char c : windowId) {
        if (!std::isxdigit(static_cast<unsigned char>(c)) && c != 'x') return false;
    }
    FILE* pipe = popen(("xwd -silent -id " + windowId + " 2>/dev/null").c_str(), "r");
    if (!pipe) return false;
    std::vector<unsigned char> data;
    unsigned char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) data.insert(data.end(), buffer, buffer + n);
    pclose(pipe);
    return ParseXwd(data, image);
}

bool SaveBmp(const Image& image, const std::string& path) {
    if (image.width <= 0 || image.height <= 0) return false;
    const std::uint32_t stride = (static_cast<std::uint32_t>(image.width) * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(image.height);
    std::vector<unsigned char> out{'B', 'M'};
    PutLittleEndian(out, 54 + pixelBytes, 4);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, 54, 4);
    PutLittleEndian(out, 40, 4);
    PutLittleEndian(out, static_cast<std::uint32_t>(image.width), 4);
    // A negative height: rows top to bottom, as the image holds them.
    PutLittleEndian(out, static_cast<std::uint32_t>(-image.height), 4);
    PutLittleEndian(out, 1, 2);
    PutLittleEndian(out, 24, 2);
    for (int i = 0; i < 6; ++i) PutLittleEndian(out, 0, 4);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.At(x, y);
            out.push_back(static_cast<unsigned char>(p));
            out.push_back(static_cast<unsigned char>(p >> 8));
            out.push_back(static_cast<unsigned char>(p >> 16));
        }
        out.resize(out.size() + (stride - static_cast<std::uint32_t>(image.width) * 3), 0);
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

void SaveForViewing(const Image& image, const std::string& name) {
    const char* directory = std::getenv("KESTROVA_SAVE_PICTURE");
    if (directory && *directory) SaveBmp(image, std::string(directory) + "/" + name + ".bmp");
}

}  // namespace capture
