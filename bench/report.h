// The lines bench/run.sh reads from a benchmark program, and the one set of
// them every frame comparison gives, on the desktop and in the browser alike.
#pragma once

#include <cstdio>
#include <string>

namespace bench {

inline void Result(const std::string& name, double value) { std::printf("RESULT %s %.4f\n", name.c_str(), value); }

inline void Info(const std::string& name, const std::string& text) {
    std::printf("INFO %s %s\n", name.c_str(), text.c_str());
}

inline std::string SizeName(int w, int h) { return std::to_string(w) + "x" + std::to_string(h); }

// The game's and the bare program's mean frame at one size, and their ratio.
inline void FrameResults(int w, int h, double gameSeconds, double bareSeconds, int frames) {
    const std::string name = "frame_" + SizeName(w, h);
    Result(name + "_game_ms", 1000 * gameSeconds / frames);
    Result(name + "_bare_ms", 1000 * bareSeconds / frames);
    Result(name + "_ratio", gameSeconds / bareSeconds);
    Result(name + "_frames", frames);
}

}  // namespace bench
