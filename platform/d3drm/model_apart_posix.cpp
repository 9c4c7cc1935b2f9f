#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <vector>

#include "platform/d3drm/assimp_calls.h"
#include "platform/d3drm/model_apart.h"
#include "platform/win/late_library.h"

namespace plat::rm {

const AssimpCalls* Assimp() {
    static AssimpCalls calls{};
    static const bool loaded = LoadLateLibrary(
        KESTROVA_ASSIMP_SONAME, {{reinterpret_cast<void**>(&calls.aiImportFile), "aiImportFile"},
                                 {reinterpret_cast<void**>(&calls.aiReleaseImport), "aiReleaseImport"},
                                 {reinterpret_cast<void**>(&calls.aiGetMaterialColor), "aiGetMaterialColor"},
                                 {reinterpret_cast<void**>(&calls.aiGetMaterialTexture), "aiGetMaterialTexture"}});
    return loaded ? &calls : nullptr;
}

namespace {

// What the reading process may use beyond what it starts with, and how long
// it may take: far more than any model of the game needs.
constexpr std::size_t kBaseMemory = std::size_t{1} << 30;
constexpr std::size_t kMemoryPerFileByte = 64;
constexpr auto kReadDeadline = std::chrono::seconds(30);

bool WriteAll(int fd, const std::vector<unsigned char>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The address space the process already has (a sanitizer reserves terabytes)
// plus the budget; a bigger allocation fails there instead of filling memory.
void LimitMemory(std::size_t budget) {
    unsigned long pages = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return;
    const bool known = std::fscanf(statm, "%lu", &pages) == 1;
    std::fclose(statm);
    if (!known) return;
    const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + budget;
    const rlimit memory{limit, limit};
    setrlimit(RLIMIT_AS, &memory);
}

[[noreturn]] void RunReader(const char* path, std::size_t budget, int out) {
    // A crash here is the file's doing: it ends this process quietly, with
    // no core file, and the game sees a bad file. Its complaints, and a
    // sanitizer's, would only be noise.
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) std::signal(sig, SIG_DFL);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (quiet >= 0) dup2(quiet, STDERR_FILENO);
    LimitMemory(budget);
    std::vector<unsigned char> bytes;
    try {
        Model model;
        if (SUCCEEDED(ReadModel(path, model))) EncodeModel(model, bytes);
    } catch (...) {
        bytes.clear();
    }
    WriteAll(out, bytes);
    _exit(0);
}

bool ReadAll(int fd, std::size_t cap, std::vector<unsigned char>& out) {
    const auto deadline = std::chrono::steady_clock::now() + kReadDeadline;
    std::vector<unsigned char> chunk(1 << 16);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd ready{fd, POLLIN, 0};
        const int polled = poll(&ready, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) return false;
        const ssize_t n = read(fd, chunk.data(), chunk.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (out.size() + static_cast<std::size_t>(n) > cap) return false;
        out.insert(out.end(), chunk.begin(), chunk.begin() + n);
    }
}

}  // namespace

// A deep nest of .x frames overflows Assimp's stack, a normal index past the
// end reads wild memory, a huge vertex count is allocated whole: so the file
// is read in a child process with a memory limit and a deadline.
HRESULT ReadModelApart(const char* path, std::size_t fileSize, Model& model) {
    const std::size_t budget = kBaseMemory + std::min(fileSize, kBaseMemory) * kMemoryPerFileByte;
    // Opened here, not in the child: loading a library after a fork of a
    // program with threads can wait for ever on a lock no thread will free.
    if (!Assimp()) return D3DRMERR_BADFILE;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return D3DRMERR_BADALLOC;
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return D3DRMERR_BADALLOC;
    }
    if (child == 0) {
        close(fds[0]);
        RunReader(path, budget, fds[1]);
    }
    close(fds[1]);
    std::vector<unsigned char> bytes;
    const bool complete = ReadAll(fds[0], budget, bytes);
    close(fds[0]);
    if (!complete) kill(child, SIGKILL);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    // Only a whole model counts; a reader that died sent less, or nothing.
    if (!complete || !DecodeModel(bytes.data(), bytes.size(), model)) return D3DRMERR_BADFILE;
    return D3DRM_OK;
}

}  // namespace plat::rm
