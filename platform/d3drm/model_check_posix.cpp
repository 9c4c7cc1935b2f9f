// Whether a model file is there to read, on a POSIX file system: Linux's and
// the browser's (Emscripten's).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/d3drm/model_apart.h"

namespace plat::rm {

HRESULT CheckFile(const char* path, std::size_t& size) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? D3DRMERR_FILENOTFOUND : D3DRMERR_BADFILE;
    struct stat info {};
    const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    close(fd);
    if (!regular || info.st_size <= 0) return D3DRMERR_BADFILE;
    size = static_cast<std::size_t>(info.st_size);
    return D3DRM_OK;
}

}  // namespace plat::rm
