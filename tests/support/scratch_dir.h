// A fresh working directory for one test, removed afterwards with the old one restored.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace testsupport {

// A new empty directory in the temporary folder, or an empty path. Whether
// create_directory made it is the test, so two runs never share one.
inline std::filesystem::path NewTempDir(const std::string& tag) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() / ("kestrova-" + tag + "-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) return candidate;
    }
    return {};
}

class ScratchDir {
public:
    // Call from SetUp (it asserts); `tag` names the directory in the temporary folder.
    void Enter(const std::string& tag) {
        home_ = std::filesystem::current_path();
        dir_ = NewTempDir(tag);
        ASSERT_FALSE(dir_.empty());
        std::filesystem::current_path(dir_);
    }
    void Leave() {
        if (dir_.empty()) return;
        std::filesystem::current_path(home_);
        std::filesystem::remove_all(dir_);
        dir_.clear();
    }

private:
    std::filesystem::path home_, dir_;
};

}  // namespace testsupport
