// Where the brick-count benchmarks stand their bricks: a cubic lattice filling
// the court. The game and the bare program both take it from here, so they
// draw the same cubes.
#pragma once

#include <array>
#include <cmath>

namespace bench {

class BrickLattice {
public:
    explicit BrickLattice(int count)
        : perAxis_(count > 0 ? static_cast<int>(std::ceil(std::cbrt(static_cast<double>(count)) - 1e-9)) : 1),
          spacing_(100.0f / static_cast<float>(perAxis_)) {}

    // The centre of brick `i`: x first, then y, then z.
    std::array<float, 3> At(int i) const {
        return {Along(i % perAxis_), Along(i / perAxis_ % perAxis_), Along(i / (perAxis_ * perAxis_))};
    }

private:
    float Along(int index) const { return -50.0f + spacing_ * (static_cast<float>(index) + 0.5f); }

    int perAxis_;
    float spacing_;
};

}  // namespace bench
