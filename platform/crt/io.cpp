#include "platform/crt/io.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/crt/rename.h"

namespace {

constexpr int kAccessMask = _O_WRONLY | _O_RDWR;
constexpr int kKnownFlags = kAccessMask | _O_SEQUENTIAL | _O_CREAT | _O_TRUNC | _O_EXCL | _O_BINARY;

}  // namespace

int _open(const char* path, int oflag, int pmode) {
    // A flag this stand-in does not know would otherwise be dropped silently.
    if ((oflag & ~kKnownFlags) != 0 || (oflag & kAccessMask) == kAccessMask) {
        errno = EINVAL;
        return -1;
    }
    int flags = O_CLOEXEC;
    if (oflag & _O_RDWR) {
        flags |= O_RDWR;
    } else if (oflag & _O_WRONLY) {
        flags |= O_WRONLY;
    } else {
        flags |= O_RDONLY;
    }
    if (oflag & _O_CREAT) flags |= O_CREAT;
    if (oflag & _O_TRUNC) flags |= O_TRUNC;
    if (oflag & _O_EXCL) flags |= O_EXCL;
    mode_t mode = 0;
    if (pmode & _S_IREAD) mode |= S_IRUSR;
    if (pmode & _S_IWRITE) mode |= S_IWUSR;
    int fd;
    do {
        fd = open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int _read(int fd, void* buffer, unsigned int count) {
    if (count > INT_MAX) {
        errno = EINVAL;
        return -1;
    }
    ssize_t n;
    do {
        n = read(fd, buffer, count);
    } while (n < 0 && errno == EINTR);
    return static_cast<int>(n);
}

int _write(int fd, const void* buffer, unsigned int count) {
    if (count > INT_MAX) {
        errno = EINVAL;
        return -1;
    }
    ssize_t n;
    do {
        n = write(fd, buffer, count);
    } while (n < 0 && errno == EINTR);
    return static_cast<int>(n);
}

int _close(int fd) {
    return close(fd);
}

int _commit(int fd) {
    int result;
    do {
        result = fsync(fd);
    } while (result < 0 && errno == EINTR);
    return result;
}

int _getpid() {
    return static_cast<int>(getpid());
}

namespace plat {
namespace {

thread_local unsigned long lastError = 0;

// The system's error for errno, as Windows would give it for the same failure.
int Failed(int error) {
    errno = error;
    switch (error) {
    case ENOENT: lastError = ERROR_FILE_NOT_FOUND; break;
    case ENOTDIR: lastError = ERROR_PATH_NOT_FOUND; break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: lastError = ERROR_ACCESS_DENIED; break;
    case EBUSY: lastError = ERROR_SHARING_VIOLATION; break;
    case EINVAL: lastError = ERROR_INVALID_PARAMETER; break;
    case EEXIST: lastError = ERROR_ALREADY_EXISTS; break;
    case ENOSPC: lastError = ERROR_DISK_FULL; break;
    default: lastError = ERROR_GEN_FAILURE; break;
    }
    return 0;
}

}  // namespace

unsigned long GetLastError() {
    return lastError;
}

int MoveFileExA(const char* existing, const char* newName, unsigned long flags) {
    if (!existing || !newName || (flags & ~(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) != 0) {
        return Failed(EINVAL);
    }
    if (!(flags & MOVEFILE_REPLACE_EXISTING) && access(newName, F_OK) == 0) return Failed(EEXIST);
    const int error = RenameFile(existing, newName, (flags & MOVEFILE_WRITE_THROUGH) != 0);
    return error == 0 ? 1 : Failed(error);
}

}  // namespace plat
