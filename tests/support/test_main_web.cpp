// The test programs' main in the browser and under node.
#include <emscripten/emscripten.h>
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    // Once a test has slept (Asyncify), main's return value reaches no one,
    // and the runtime stays alive as the game's must: the status is handed
    // over here, ending it.
    emscripten_force_exit(status);
    return status;
}
