// A vector compared with a point within a tolerance, naming both on failure.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "platform/d3drm/d3drm_types.h"

namespace testsupport {

inline ::testing::AssertionResult Near(plat::D3DVECTOR v, float x, float y, float z, float tolerance = 1e-3f) {
    if (std::fabs(v.x - x) <= tolerance && std::fabs(v.y - y) <= tolerance && std::fabs(v.z - z) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "(" << v.x << ", " << v.y << ", " << v.z << ") is not near (" << x << ", "
                                         << y << ", " << z << ")";
}

}  // namespace testsupport
