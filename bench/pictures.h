// Pictures as the benchmarks compare them: 0x00RRGGBB pixels, rows from the
// top. The game lights on the processor and the bare program in its shader,
// so the two round differently and are compared within a few levels.
#pragma once

#include <cstdint>
#include <vector>

namespace bench {

// The current context's back buffer, as the window would show it.
std::vector<std::uint32_t> ReadBackBuffer(int width, int height);

// Whether every channel of the two pixels is within `tolerance` levels.
bool WithinRounding(std::uint32_t a, std::uint32_t b, int tolerance);

// How many pixels of two pictures differ beyond `tolerance`; those only one
// of them has all differ.
int CountDiffering(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int tolerance);

}  // namespace bench
