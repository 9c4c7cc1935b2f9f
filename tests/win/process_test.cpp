// Full paths and the command line, the way the game finds its own directory.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/win/win_test_support.h"

namespace wintest {
namespace {

class FullPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        char templ[] = "/tmp/kestrova-path-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        dir_ = templ;
        char old[4096];
        ASSERT_NE(getcwd(old, sizeof(old)), nullptr);
        old_ = old;
        ASSERT_EQ(chdir(dir_.c_str()), 0);
        // The temporary directory may sit behind a symbolic link; compare with
        // the directory as the process sees it.
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
        cwd_ = cwd;
    }
    void TearDown() override {
        ASSERT_EQ(chdir(old_.c_str()), 0);
        rmdir(dir_.c_str());
    }
    std::string Full(const char* path, LPSTR* filePart = nullptr) {
        char buffer[MAX_PATH];
        DWORD n = GetFullPathNameA(path, sizeof(buffer), buffer, filePart);
        if (n == 0 || n >= sizeof(buffer)) return "<failed>";
        EXPECT_EQ(n, std::strlen(buffer));
        return buffer;
    }
    std::string dir_, old_, cwd_;
};

TEST_F(FullPathTest, RelativePathsResolveAgainstTheCurrentDirectory) {
    LPSTR filePart = nullptr;
    char buffer[MAX_PATH];
    DWORD n = GetFullPathNameA("game/kestrova", sizeof(buffer), buffer, &filePart);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::string(buffer), cwd_ + "/game/kestrova");
    ASSERT_NE(filePart, nullptr);
    EXPECT_STREQ(filePart, "kestrova");
    EXPECT_EQ(Full("./a/./b"), cwd_ + "/a/b");
    EXPECT_EQ(Full("a\\b"), cwd_ + "/a\\b") << "a backslash is an ordinary character here";
}

TEST_F(FullPathTest, AbsolutePathsLoseDotsAndDoubleSlashes) {
    EXPECT_EQ(Full("/opt/games/../kestrova//bin/./kestrova"), "/opt/kestrova/bin/kestrova");
    EXPECT_EQ(Full("/../.."), "/");
    LPSTR filePart = reinterpret_cast<LPSTR>(1);
    EXPECT_EQ(Full("/opt/games/", &filePart), "/opt/games/");
    EXPECT_EQ(filePart, nullptr) << "a directory has no file part";
    EXPECT_EQ(Full(".."), cwd_.substr(0, cwd_.rfind('/')));  // the directory lies below /tmp
}

TEST_F(FullPathTest, TooSmallABufferGetsTheSizeNeededAndIsNotWritten) {
    const char* path = "/opt/kestrova/kestrova";
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    DWORD needed = GetFullPathNameA(path, sizeof(buffer), buffer, nullptr);
    EXPECT_EQ(needed, std::strlen(path) + 1);
    for (char c : buffer) EXPECT_EQ(c, 'x');
    std::string exact(needed, '\0');
    EXPECT_EQ(GetFullPathNameA(path, needed, exact.data(), nullptr), needed - 1);
    EXPECT_STREQ(exact.c_str(), path);
    EXPECT_EQ(GetFullPathNameA("", sizeof(buffer), buffer, nullptr), 0u);
    EXPECT_EQ(GetFullPathNameA(nullptr, sizeof(buffer), buffer, nullptr), 0u);
}

TEST(CommandLineTest, ProgramQuotedThenArguments) {
    char program[] = "/opt/kestrova/kestrova";
    char spaced[] = "two words";
    char plain[] = "-x";
    char* argv[] = {program, spaced, plain, nullptr};
    SetCommandLine(3, argv);
    EXPECT_STREQ(GetCommandLineA(), "\"/opt/kestrova/kestrova\" \"two words\" -x");

    // A bare name found through PATH says nothing of the directory.
    char bare[] = "kestrova";
    char* argvBare[] = {bare, nullptr};
    SetCommandLine(1, argvBare);
    std::string line = GetCommandLineA();
    ASSERT_GE(line.size(), 3u);
    EXPECT_EQ(line.substr(0, 2), "\"/");
    EXPECT_EQ(line.back(), '"');
    EXPECT_EQ(line.find('"', 1), line.size() - 1);
}

}  // namespace
}  // namespace wintest
