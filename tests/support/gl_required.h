// A test that needs OpenGL fails where there is none: a CI machine without
// Mesa must never pass by skipping. KESTROVA_ALLOW_NO_GL=1 allows the skip on
// purpose, for a machine known to have no OpenGL.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace testsupport {

inline bool NoGlAllowed() {
    const char* allow = std::getenv("KESTROVA_ALLOW_NO_GL");
    return allow && std::strcmp(allow, "1") == 0;
}

}  // namespace testsupport

// Use in a test body or a fixture's SetUp; returns from it either way.
#define KESTROVA_REQUIRE_GL(available)                                                          \
    do {                                                                                        \
        if (!(available)) {                                                                     \
            if (testsupport::NoGlAllowed()) GTEST_SKIP() << "no OpenGL (KESTROVA_ALLOW_NO_GL=1)"; \
            FAIL() << "no OpenGL on this machine (set KESTROVA_ALLOW_NO_GL=1 to skip instead)";  \
        }                                                                                       \
    } while (0)
