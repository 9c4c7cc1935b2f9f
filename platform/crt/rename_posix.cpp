#include "platform/crt/rename.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <fcntl.h>
#include <unistd.h>

#include "platform/crt/io.h"

namespace plat {

int RenameFile(const char* existing, const char* newName, bool writeThrough) {
    if (std::rename(existing, newName) != 0) return errno;
    if (writeThrough) {
        // The new name reaches the disk only with its directory.
        const std::string name(newName);
        const std::size_t slash = name.rfind('/');
        const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : name.substr(0, slash);
        const int fd = open(directory.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            _commit(fd);
            close(fd);
        }
    }
    return 0;
}

}  // namespace plat
