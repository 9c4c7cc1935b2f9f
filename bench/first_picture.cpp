// Preloaded into the game (LD_PRELOAD) to note when the first picture of the
// court is presented: at each SDL_GL_SwapWindow until then, a few pixels of
// the back buffer are read; a picture that is not all background green is the
// court. The time is written to $KESTROVA_FIRST_PICTURE as
//   since_exec_ms <ms from $KESTROVA_EXEC_US, the launcher's clock just before exec>
//   since_start_ms <ms from the kernel's start time of the process (10 ms steps)>
//   swaps <presented pictures up to and including this one>
// The game itself is not changed; the reads cost a glFinish on those few frames.
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

struct SDL_Window;

namespace {

using SwapFn = void (*)(SDL_Window*);
using ProcFn = void* (*)(const char*);
using SizeFn = void (*)(SDL_Window*, int*, int*);
using GetIntFn = void (*)(unsigned, int*);
using BindFn = void (*)(unsigned, unsigned);
using ReadFn = void (*)(int, int, int, int, unsigned, unsigned, void*);

constexpr unsigned kReadFramebuffer = 0x8CA8, kReadFramebufferBinding = 0x8CAA;
constexpr unsigned kRgba = 0x1908, kUnsignedByte = 0x1401;

bool done = false;
int swaps = 0;

double NowMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The background and the window's class brush are both green (0, 127 or 128, 0).
bool Background(const unsigned char* p) { return p[0] < 8 && p[2] < 8 && p[1] > 118 && p[1] < 138; }

bool ShowsCourt(SDL_Window* window) {
    static auto getProc = reinterpret_cast<ProcFn>(dlsym(RTLD_DEFAULT, "SDL_GL_GetProcAddress"));
    static auto drawableSize = reinterpret_cast<SizeFn>(dlsym(RTLD_DEFAULT, "SDL_GL_GetDrawableSize"));
    if (!getProc || !drawableSize) return false;
    auto getInt = reinterpret_cast<GetIntFn>(getProc("glGetIntegerv"));
    auto bind = reinterpret_cast<BindFn>(getProc("glBindFramebuffer"));
    auto read = reinterpret_cast<ReadFn>(getProc("glReadPixels"));
    if (!getInt || !bind || !read) return false;
    int w = 0, h = 0;
    drawableSize(window, &w, &h);
    if (w <= 0 || h <= 0) return false;
    int previous = 0;
    getInt(kReadFramebufferBinding, &previous);
    bind(kReadFramebuffer, 0);
    bool court = false;
    const int points[5][2] = {{w / 2, h / 2}, {w / 2, h / 4}, {w / 2, 3 * h / 4}, {w / 4, h / 2}, {3 * w / 4, h / 2}};
    for (const auto& p : points) {
        unsigned char rgba[4] = {};
        read(p[0], p[1], 1, 1, kRgba, kUnsignedByte, rgba);
        if (!Background(rgba)) court = true;
    }
    bind(kReadFramebuffer, static_cast<unsigned>(previous));
    return court;
}

// Milliseconds since the kernel started the process, from /proc/self/stat.
double SinceStartMs(double bootNowMs) {
    std::FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f) return -1;
    char line[1024] = {};
    const bool read = std::fgets(line, sizeof line, f) != nullptr;
    std::fclose(f);
    const char* after = read ? std::strrchr(line, ')') : nullptr;
    if (!after) return -1;
    // Field 22 (starttime) is the 20th after the closing parenthesis of the name.
    unsigned long long start = 0;
    const char* p = after + 2;
    for (int field = 3; field < 22 && p; ++field) {
        p = std::strchr(p, ' ');
        if (p) ++p;
    }
    if (!p || std::sscanf(p, "%llu", &start) != 1) return -1;
    return bootNowMs - start * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void Note(double realMs, double bootMs) {
    const char* path = std::getenv("KESTROVA_FIRST_PICTURE");
    if (!path) return;
    std::FILE* out = std::fopen(path, "w");
    if (!out) return;
    const char* exec = std::getenv("KESTROVA_EXEC_US");
    const double sinceExec = exec ? realMs - std::strtod(exec, nullptr) / 1000.0 : -1;
    std::fprintf(out, "since_exec_ms %.1f\nsince_start_ms %.1f\nswaps %d\n", sinceExec, SinceStartMs(bootMs), swaps);
    std::fclose(out);
}

}  // namespace

extern "C" void SDL_GL_SwapWindow(SDL_Window* window) {
    static auto real = reinterpret_cast<SwapFn>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    const bool court = !done && ShowsCourt(window);
    if (real) real(window);
    if (done) return;
    ++swaps;
    if (!court) return;
    done = true;
    Note(NowMs(CLOCK_REALTIME), NowMs(CLOCK_BOOTTIME));
}
