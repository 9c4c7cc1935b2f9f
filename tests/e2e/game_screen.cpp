#include "tests/e2e/game_screen.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace e2e {
namespace {

int Red(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
int Green(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
int Blue(std::uint32_t c) { return static_cast<int>(c & 0xFF); }

constexpr float kCameraY = -300.0f;

// The displays' layout: segments 5 long and 1 thick.
constexpr float kSegmentLength = 5.0f;
constexpr float kHalfWidth = 0.5f;

// Segments in the order top, upper left, upper right, middle, lower left,
// lower right, bottom; bit 6 is the top.
constexpr int kPatterns[10] = {
    0b1110111, 0b0010010, 0b1011101, 0b1011011, 0b0111010, 0b1101011, 0b1101111, 0b1010010, 0b1111111, 0b1111011,
};

// A segment's middle in the display's own plane (x to the right, y down),
// for the digit whose left edge is at ox.
void SegmentMiddle(int segment, float ox, float& u, float& v) {
    const float L = kSegmentLength, T = kHalfWidth;
    const float across[7] = {L / 2 + T, T, L + T, L / 2 + T, T, L + T, L / 2 + T};
    const float down[7] = {T, L / 2 + T, L / 2 + T, L + T, 1.5f * L + T, 1.5f * L + T, 2 * L + T};
    u = ox + across[segment];
    v = down[segment];
}

bool Inside(const capture::Image& image, Pixel p) { return p.x >= 0 && p.y >= 0 && p.x < image.width && p.y < image.height; }

}  // namespace

bool IsBackground(std::uint32_t c) { return Red(c) < 20 && Blue(c) < 20 && Green(c) >= 115 && Green(c) <= 140; }
bool IsLitSegment(std::uint32_t c) { return Red(c) > 170 && Green(c) < 50 && Blue(c) < 50; }
bool IsUnlitSegment(std::uint32_t c) { return Red(c) < 30 && Blue(c) < 30 && Green(c) >= 70 && Green(c) <= 105; }
bool IsBallRed(std::uint32_t c) { return Red(c) > 150 && Green(c) < 60 && Blue(c) < 60; }
bool IsCourtLine(std::uint32_t c) { return Green(c) > 150 && Red(c) < 80 && Blue(c) < 80; }
bool IsWall(std::uint32_t c) {
    return Red(c) > 100 && std::abs(Red(c) - Green(c)) < 20 && std::abs(Green(c) - Blue(c)) < 20;
}
bool SameColour(std::uint32_t a, std::uint32_t b) {
    return std::abs(Red(a) - Red(b)) <= 24 && std::abs(Green(a) - Green(b)) <= 24 && std::abs(Blue(a) - Blue(b)) <= 24;
}

GameScreen::GameScreen(int width, int height)
    : width_(width), height_(height), scale_(static_cast<float>(std::max(width, height))) {}

Pixel GameScreen::Project(float x, float y, float z) const {
    const float depth = y - kCameraY;
    return Pixel{static_cast<int>(std::lround(width_ / 2.0f - x / depth * scale_)),
                 static_cast<int>(std::lround(height_ / 2.0f - z / depth * scale_))};
}

int GameScreen::ReadDisplay(const capture::Image& image, float x, float y, float z, int digits, float spacing) const {
    int value = 0;
    for (int d = digits - 1; d >= 0; --d) {
        const float ox = static_cast<float>(digits - 1 - d) * (spacing + kSegmentLength);
        int lit = 0;
        for (int s = 0; s < 7; ++s) {
            float u = 0, v = 0;
            SegmentMiddle(s, ox, u, v);
            const Pixel middle = Project(x - u, y, z - v);
            int litSamples = 0, unlitSamples = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const Pixel p{middle.x + dx, middle.y + dy};
                    if (!Inside(image, p)) return -1;
                    litSamples += IsLitSegment(image.At(p.x, p.y));
                    unlitSamples += IsUnlitSegment(image.At(p.x, p.y));
                }
            }
            if (litSamples == 9) {
                lit |= 1 << (6 - s);
            } else if (unlitSamples != 9) {
                return -1;
            }
        }
        const int* found = std::find(std::begin(kPatterns), std::end(kPatterns), lit);
        if (found == std::end(kPatterns)) return -1;
        value = value * 10 + static_cast<int>(found - std::begin(kPatterns));
    }
    return value;
}

int GameScreen::ReadScore(const capture::Image& image) const { return ReadDisplay(image, 70, -150, 50, 3, 2.0f); }

int GameScreen::ReadLives(const capture::Image& image) const { return ReadDisplay(image, -50, -150, 50, 2, 2.5f); }

// Bricks are cubes 6 wide in cells 10 wide; their fronts face the camera at y = 2.
Pixel GameScreen::BrickFront(int brick) const {
    const int cx = brick % kBrickColumns, cz = brick / kBrickColumns;
    return Project(static_cast<float>(cx * 10 - 45), 2, static_cast<float>(cz * 10 - 45));
}

Pixel GameScreen::GapBeside(int brick) const {
    const int cx = brick % kBrickColumns, cz = brick / kBrickColumns;
    const float z = static_cast<float>(cz * 10 - 45) + (cz + 1 < kBrickColumns ? 5.0f : -5.0f);
    return Project(static_cast<float>(cx * 10 - 45), 2, z);
}

std::vector<bool> GameScreen::BricksShown(const capture::Image& image) const {
    std::vector<bool> shown(kBricks, false);
    for (int i = 0; i < kBricks; ++i) {
        const Pixel front = BrickFront(i), gap = GapBeside(i);
        if (!Inside(image, front) || !Inside(image, gap)) continue;
        shown[i] = !SameColour(image.At(front.x, front.y), image.At(gap.x, gap.y));
    }
    return shown;
}

// A brick coloured much like the court (colours are random) cannot be told
// from the court beside it, but its front pixel still changes when it goes:
// with the ball at rest the picture is otherwise the same from one time to the next.
int GameScreen::BricksGoneSince(const capture::Image& start, const capture::Image& now) const {
    int gone = 0;
    for (int i = 0; i < kBricks; ++i) {
        const Pixel front = BrickFront(i), gap = GapBeside(i);
        if (!Inside(now, front) || !Inside(now, gap) || !Inside(start, front)) continue;
        const std::uint32_t was = start.At(front.x, front.y), is = now.At(front.x, front.y);
        const bool changed = std::abs(Red(was) - Red(is)) > 3 || std::abs(Green(was) - Green(is)) > 3 ||
                             std::abs(Blue(was) - Blue(is)) > 3;
        gone += changed && SameColour(is, now.At(gap.x, gap.y));
    }
    return gone;
}

Pixel GameScreen::BallAtRest() const { return Project(0, -100, 0); }

// The right wall (x = -50) reaches from the racket plane to the back of the
// box; its part behind the bricks is left out, since a brick can be red too.
std::optional<Pixel> GameScreen::BallMarkOnRightWall(const capture::Image& image) const {
    const int left = Project(-50, 10, 0).x + 2;
    const int right = std::min(Project(-50, -150, 0).x - 2, image.width - 1);
    const int top = std::max(Project(-50, -150, 50).y, 0);
    const int bottom = std::min(Project(-50, -150, -50).y, image.height - 1);
    long sumX = 0, sumY = 0, count = 0;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            if (IsBallRed(image.At(x, y))) {
                sumX += x;
                sumY += y;
                ++count;
            }
        }
    }
    if (count < 3) return std::nullopt;
    return Pixel{static_cast<int>(sumX / count), static_cast<int>(sumY / count)};
}

}  // namespace e2e
