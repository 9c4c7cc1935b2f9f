#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

#include "platform/crt/io.h"
#include "tests/scores/score_dir.h"

namespace {

using CrtIoTest = ScoreDir;

std::string Contents(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(const char* path, const char* text) { std::ofstream(path, std::ios::binary) << text; }

// The score file is replaced as on Windows: over an old file only when asked,
// and nothing is lost when the move is refused.
TEST_F(CrtIoTest, MoveFileReplacesOnlyWhenAsked) {
    using plat::MOVEFILE_REPLACE_EXISTING;
    using plat::MOVEFILE_WRITE_THROUGH;
    Put("new", "new table");
    Put("old", "old table");
    EXPECT_EQ(plat::MoveFileExA("new", "old", MOVEFILE_WRITE_THROUGH), 0);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(plat::GetLastError(), plat::ERROR_ALREADY_EXISTS);
    EXPECT_EQ(Contents("new"), "new table");
    EXPECT_EQ(Contents("old"), "old table");
    EXPECT_EQ(plat::MoveFileExA("new", "old", 0x2), 0);  // copying across volumes is not offered
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(plat::GetLastError(), plat::ERROR_INVALID_PARAMETER);

    EXPECT_NE(plat::MoveFileExA("new", "old", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), 0);
    EXPECT_EQ(Contents("old"), "new table");
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"old"});

    EXPECT_NE(plat::MoveFileExA("old", "fresh", 0), 0);
    EXPECT_EQ(Contents("fresh"), "new table");
    EXPECT_EQ(plat::MoveFileExA("old", "other", MOVEFILE_REPLACE_EXISTING), 0);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(plat::GetLastError(), plat::ERROR_FILE_NOT_FOUND);
}

TEST_F(CrtIoTest, CreateWriteReadWithTheOldFlags) {
    int fd = _open("f", _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_SEQUENTIAL, _S_IREAD | _S_IWRITE);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(_write(fd, "hello", 5), 5);
    EXPECT_EQ(_commit(fd), 0);
    EXPECT_EQ(_close(fd), 0);
    struct stat info {};
    ASSERT_EQ(stat("f", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(_open("f", _O_WRONLY | _O_CREAT | _O_EXCL, _S_IREAD | _S_IWRITE), -1);

    fd = _open("f", _O_RDONLY | _O_BINARY);
    ASSERT_GE(fd, 0);
    char buffer[8] = {};
    EXPECT_EQ(_write(fd, "x", 1), -1);  // read-only really is
    EXPECT_EQ(_read(fd, buffer, sizeof buffer), 5);
    EXPECT_EQ(_read(fd, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "hello");
    EXPECT_EQ(_close(fd), 0);

    fd = _open("f", _O_RDWR | _O_TRUNC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(_read(fd, buffer, sizeof buffer), 0);
    EXPECT_EQ(_close(fd), 0);
}

TEST_F(CrtIoTest, UnknownFlagsAndMissingFilesFail) {
    EXPECT_EQ(_open("missing", _O_RDONLY), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(_open("f", _O_WRONLY | _O_CREAT | 0x0008, _S_IREAD | _S_IWRITE), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(_open("f", _O_WRONLY | _O_RDWR | _O_CREAT, _S_IREAD | _S_IWRITE), -1);
    EXPECT_FALSE(std::filesystem::exists("f"));
    char c;
    EXPECT_EQ(_read(-1, &c, 1), -1);
}

}  // namespace
