// On Windows the reader is a second copy of the program, started with the
// file to read in its environment; it does nothing else, and a job object
// limits its memory. It writes the model to a file of the parent's naming,
// so a big model never blocks on a full pipe.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3drm/model_apart.h"

namespace plat::rm {
namespace {

constexpr char kReaderVariable[] = "KESTROVA_MODEL_READER";
constexpr std::size_t kBaseMemory = std::size_t{1} << 30;
constexpr std::size_t kMemoryPerFileByte = 64;
constexpr DWORD kReadDeadlineMs = 30000;

bool WriteFileWhole(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

bool ReadFileWhole(const std::string& path, std::size_t cap, std::vector<unsigned char>& bytes) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return false;
    unsigned char chunk[1 << 16];
    std::size_t n = 0;
    bool fits = true;
    while (fits && (n = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
        fits = bytes.size() + n <= cap;
        if (fits) bytes.insert(bytes.end(), chunk, chunk + n);
    }
    std::fclose(in);
    return fits;
}

// "<model path>|<output path>", as the parent put it.
bool ReaderJob(std::string& modelPath, std::string& outputPath) {
    char value[2 * MAX_PATH + 2];
    const DWORD length = GetEnvironmentVariableA(kReaderVariable, value, sizeof value);
    if (length == 0 || length >= sizeof value) return false;
    const std::string job(value, length);
    const std::size_t bar = job.find('|');
    if (bar == std::string::npos) return false;
    modelPath = job.substr(0, bar);
    outputPath = job.substr(bar + 1);
    return true;
}

// Runs while the program starts, before the game or a test does anything.
const bool isReader = [] {
    std::string modelPath, outputPath;
    if (!ReaderJob(modelPath, outputPath)) return false;
    // A crash here is the file's doing: no box and no debugger, the process
    // just ends and the parent sees a bad file.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter([](EXCEPTION_POINTERS*) -> LONG {
        TerminateProcess(GetCurrentProcess(), 3);
        return EXCEPTION_EXECUTE_HANDLER;
    });
    std::vector<unsigned char> bytes;
    try {
        Model model;
        if (SUCCEEDED(ReadModel(modelPath.c_str(), model))) EncodeModel(model, bytes);
    } catch (...) {
        bytes.clear();
    }
    ExitProcess(WriteFileWhole(outputPath, bytes) ? 0 : 1);
    return true;
}();

}  // namespace

HRESULT CheckFile(const char* path, std::size_t& size) {
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &info)) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? D3DRMERR_FILENOTFOUND
                                                                                : D3DRMERR_BADFILE;
    }
    const unsigned long long bytes = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) || bytes == 0) {
        return D3DRMERR_BADFILE;
    }
    size = static_cast<std::size_t>(bytes);
    return D3DRM_OK;
}

HRESULT ReadModelApart(const char* path, std::size_t fileSize, Model& model) {
    const std::size_t budget = kBaseMemory + std::min(fileSize, kBaseMemory) * kMemoryPerFileByte;
    char program[MAX_PATH], folder[MAX_PATH], output[MAX_PATH];
    const DWORD named = GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (named == 0 || named >= MAX_PATH || std::strlen(path) >= MAX_PATH) return D3DRMERR_BADFILE;
    if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "kmr", 0, output)) return D3DRMERR_BADALLOC;

    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        limits.ProcessMemoryLimit = budget;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    const std::string jobText = std::string(path) + "|" + output;
    SetEnvironmentVariableA(kReaderVariable, jobText.c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    std::string commandLine = std::string("\"") + program + "\"";
    const BOOL started = CreateProcessA(program, commandLine.data(), nullptr, nullptr, FALSE,
                                        CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableA(kReaderVariable, nullptr);

    bool complete = false;
    if (started) {
        if (job) AssignProcessToJobObject(job, child.hProcess);
        ResumeThread(child.hThread);
        DWORD exitCode = 1;
        if (WaitForSingleObject(child.hProcess, kReadDeadlineMs) == WAIT_OBJECT_0) {
            complete = GetExitCodeProcess(child.hProcess, &exitCode) && exitCode == 0;
        } else {
            TerminateProcess(child.hProcess, 1);
            WaitForSingleObject(child.hProcess, INFINITE);
        }
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    if (job) CloseHandle(job);
    std::vector<unsigned char> bytes;
    complete = complete && ReadFileWhole(output, budget, bytes);
    DeleteFileA(output);
    if (!started) return D3DRMERR_BADALLOC;
    // Only a whole model counts; a reader that died wrote less, or nothing.
    if (!complete || !DecodeModel(bytes.data(), bytes.size(), model)) return D3DRMERR_BADFILE;
    return D3DRM_OK;
}

}  // namespace plat::rm
