#include <cerrno>
#include <sys/stat.h>

#include "platform/crt/io.h"
#include "tests/scores/score_dir.h"

namespace {

using CrtIoTest = ScoreDir;

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
