// The old C runtime's low-level file calls on POSIX, and the one system call
// that replaces a file, which the runtime has no name for.
#pragma once

constexpr int _O_RDONLY = 0x0000;
constexpr int _O_WRONLY = 0x0001;
constexpr int _O_RDWR = 0x0002;
constexpr int _O_SEQUENTIAL = 0x0020;
constexpr int _O_CREAT = 0x0100;
constexpr int _O_TRUNC = 0x0200;
constexpr int _O_EXCL = 0x0400;
constexpr int _O_BINARY = 0x8000;

constexpr int _S_IWRITE = 0x0080;
constexpr int _S_IREAD = 0x0100;

// Returns a descriptor, or -1 with errno set. pmode is read only with _O_CREAT.
int _open(const char* path, int oflag, int pmode = 0);
// Return the number of bytes moved (0 at end of file), or -1 with errno set.
int _read(int fd, void* buffer, unsigned int count);
int _write(int fd, const void* buffer, unsigned int count);
// Return 0, or -1 with errno set.
int _close(int fd);
// Flushes the file's data to the disk.
int _commit(int fd);
int _getpid();

namespace plat {

constexpr unsigned long MOVEFILE_REPLACE_EXISTING = 0x00000001;
constexpr unsigned long MOVEFILE_WRITE_THROUGH = 0x00000008;

constexpr unsigned long ERROR_FILE_NOT_FOUND = 2;
constexpr unsigned long ERROR_PATH_NOT_FOUND = 3;
constexpr unsigned long ERROR_ACCESS_DENIED = 5;
constexpr unsigned long ERROR_GEN_FAILURE = 31;
constexpr unsigned long ERROR_SHARING_VIOLATION = 32;
constexpr unsigned long ERROR_INVALID_PARAMETER = 87;
constexpr unsigned long ERROR_DISK_FULL = 112;
constexpr unsigned long ERROR_ALREADY_EXISTS = 183;

// Renames a file, over an existing one only with MOVEFILE_REPLACE_EXISTING.
// With MOVEFILE_WRITE_THROUGH it returns once the new name is on the disk
// (in the browser: in IndexedDB; where it cannot get there, the call fails and
// changes nothing).
// Nonzero on success; 0 with errno and the thread's last error set.
int MoveFileExA(const char* existing, const char* newName, unsigned long flags);
// The system error of this thread's last failed system call.
unsigned long GetLastError();

}  // namespace plat
