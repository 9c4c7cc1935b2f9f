// A fresh working directory for one test, removed afterwards with the old one restored.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testsupport {

class ScratchDir {
public:
    // Call from SetUp (it asserts); `tag` names the directory under /tmp.
    void Enter(const std::string& tag) {
        home_ = std::filesystem::current_path();
        std::string pattern = "/tmp/kestrova-" + tag + "-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
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
