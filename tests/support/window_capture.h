// Screenshots of real X windows for end-to-end checks: what a player would see,
// taken by the X server (xwd), not read back from our own renderer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace capture {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, rows top to bottom

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The contents of the X window with the given id (decimal or 0x hex);
// false when it cannot be taken or read.
bool CaptureWindow(const std::string& windowId, Image& image);

// Parses an XWD dump of a true-colour window (24 or 32 bits per pixel).
bool ParseXwd(const std::vector<unsigned char>& data, Image& image);

// Writes the picture as a 24-bit BMP file.
bool SaveBmp(const Image& image, const std::string& path);

// Keeps the picture as <name>.bmp in the directory named by KESTROVA_SAVE_PICTURE,
// when that is set, so that a person can look at what a test saw.
void SaveForViewing(const Image& image, const std::string& name);

}  // namespace capture
