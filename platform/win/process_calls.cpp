// The process-level calls: command line, full paths, sleeping and the tick count.
#include <SDL.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win/host.h"
#include "platform/win/window_system.h"

namespace plat {
namespace {

std::string commandLine;
bool commandLineSet = false;

std::string ExecutablePath() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0) return {};
    path[n] = '\0';
    return path;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

void SetCommandLine(int argc, char** argv) {
    // argv[0] quoted like the old platform's loader did; a bare name (found
    // through PATH) says nothing of the directory, so the real path is used.
    std::string program = argc > 0 && argv && argv[0] ? argv[0] : "";
    if (program.find('/') == std::string::npos) {
        std::string exe = ExecutablePath();
        if (!exe.empty()) program = exe;
    }
    commandLine = Quoted(program);
    for (int i = 1; i < argc && argv; ++i) {
        if (!argv[i]) continue;
        std::string arg = argv[i];
        commandLine += ' ';
        commandLine += arg.find(' ') != std::string::npos || arg.empty() ? Quoted(arg) : arg;
    }
    commandLineSet = true;
}

#if !defined(__EMSCRIPTEN__)
int EndProgram(int exitCode) { return exitCode; }
#endif

LPSTR GetCommandLineA() {
    if (!commandLineSet) {
        commandLine = Quoted(ExecutablePath());
        commandLineSet = true;
    }
    return commandLine.data();
}

DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart) {
    if (!fileName || fileName[0] == '\0') {
        errno = EINVAL;
        return 0;
    }
    std::string path = fileName;
    if (path[0] != '/') {
        std::vector<char> cwd(PATH_MAX);
        if (!getcwd(cwd.data(), cwd.size())) return 0;
        path = std::string(cwd.data()) + "/" + path;
    }
    bool trailingSlash = path.back() == '/';

    // "." and ".." are resolved by name, without looking at the disk.
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string full;
    for (const std::string& part : parts) full += "/" + part;
    if (full.empty() || trailingSlash) full += "/";
    if (full.size() > 0xFFFFFFF0u) return 0;

    DWORD length = static_cast<DWORD>(full.size());
    if (!buffer || bufferLength < length + 1) return length + 1;  // the size needed, NUL included
    std::memcpy(buffer, full.c_str(), full.size() + 1);
    if (filePart) {
        std::size_t slash = full.rfind('/');
        *filePart = slash + 1 < full.size() ? buffer + slash + 1 : nullptr;
    }
    return length;
}

void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    SDL_Delay(milliseconds);
}

DWORD GetTickCount() {
    // Milliseconds of a clock that never jumps, wrapping at 2^32 like the original.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}

}  // namespace plat
