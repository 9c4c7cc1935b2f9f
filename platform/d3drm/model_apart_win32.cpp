// On Windows the reader is a second copy of the program, in a job object that
// limits its memory. It writes the model to a scratch file the parent made
// (so a big model never blocks on a full pipe) and handed down as the one
// handle the reader inherits. Its environment names the file to read and
// that handle, never a file to write: a copy started by anyone else with the
// variable set writes nothing and ends.
#define _CRT_RAND_S  // rand_s
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3drm/assimp_calls.h"
#include "platform/d3drm/model_apart.h"

namespace plat::rm {

const AssimpCalls* Assimp() {
    static const AssimpCalls calls{&::aiImportFile, &::aiReleaseImport, &::aiGetMaterialColor, &::aiGetMaterialTexture};
    return &calls;
}

namespace {

constexpr char kReaderVariable[] = "KESTROVA_MODEL_READER";
constexpr std::size_t kBaseMemory = std::size_t{1} << 30;
constexpr std::size_t kMemoryPerFileByte = 64;
constexpr DWORD kReadDeadlineMs = 30000;
// The scratch file starts with a random token that the variable repeats, so
// a handle value that happens to name some other file of the reader's is
// told apart from the parent's file.
constexpr std::size_t kTokenDigits = 32;
constexpr std::size_t kHandleDigits = 2 * sizeof(HANDLE);
constexpr DWORD kChunk = DWORD{1} << 20;

class Owned {
public:
    explicit Owned(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() {
        if (handle_) CloseHandle(handle_);
    }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

std::string Hex(std::uint64_t value, std::size_t digits) {
    std::string text(digits, '0');
    for (std::size_t i = digits; i-- > 0; value >>= 4) text[i] = "0123456789abcdef"[value & 15];
    return text;
}

bool IsHex(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

// Reads or writes (ReadFile or WriteFile) at an offset of a synchronous
// handle, which leaves alone the file pointer the two processes share.
template <typename Bytes, typename Transfer>
bool TransferAt(Transfer transfer, HANDLE file, std::uint64_t at, Bytes* bytes, std::size_t size) {
    while (size > 0) {
        OVERLAPPED place{};
        place.Offset = static_cast<DWORD>(at);
        place.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD done = 0;
        const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(size, kChunk));
        if (!transfer(file, bytes, asked, &done, &place) || done == 0) return false;
        at += done;
        bytes += done;
        size -= done;
    }
    return true;
}

bool ReadAt(HANDLE file, std::uint64_t at, unsigned char* into, std::size_t size) {
    return TransferAt(ReadFile, file, at, into, size);
}

bool WriteAt(HANDLE file, std::uint64_t at, const unsigned char* from, std::size_t size) {
    return TransferAt(WriteFile, file, at, from, size);
}

struct ReaderJob {
    HANDLE output = nullptr;
    std::string token;
    std::string model;
};

// "<handle>|<token>|<model path>", as the parent put it.
bool ParseJob(const std::string& text, ReaderJob& job) {
    const std::size_t first = text.find('|');
    if (first == std::string::npos || first == 0 || first > kHandleDigits) return false;
    const std::size_t second = first + 1 + kTokenDigits;
    if (text.size() <= second + 1 || text[second] != '|') return false;
    const std::string handle = text.substr(0, first);
    job.token = text.substr(first + 1, kTokenDigits);
    job.model = text.substr(second + 1);
    if (!IsHex(handle) || !IsHex(job.token)) return false;
    job.output = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::strtoull(handle.c_str(), nullptr, 16)));
    return true;
}

// The parent's scratch file, and nothing else: an inheritable handle (none
// this process opened itself is), of a disk file holding just the token. A pipe or a console fails before anything is
// read from it, so none can keep the reader waiting.
bool IsParentsScratch(HANDLE file, const std::string& token) {
    DWORD flags = 0;
    if (!GetHandleInformation(file, &flags) || !(flags & HANDLE_FLAG_INHERIT)) return false;
    if (GetFileType(file) != FILE_TYPE_DISK) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart != static_cast<LONGLONG>(token.size())) return false;
    std::string held(token.size(), '\0');
    return ReadAt(file, 0, reinterpret_cast<unsigned char*>(held.data()), held.size()) && held == token;
}

// Runs while the program starts, before the game or a test does anything. A
// copy started with the variable is a reader and nothing more, whoever set it.
const bool isReader = [] {
    char value[MAX_PATH + kHandleDigits + kTokenDigits + 3];
    const DWORD length = GetEnvironmentVariableA(kReaderVariable, value, sizeof value);
    if (length == 0) return false;
    ReaderJob job;
    if (length >= sizeof value || !ParseJob(std::string(value, length), job) ||
        !IsParentsScratch(job.output, job.token)) {
        ExitProcess(1);
    }
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
        if (SUCCEEDED(ReadModel(job.model.c_str(), model))) EncodeModel(model, bytes);
    } catch (...) {
        bytes.clear();
    }
    ExitProcess(WriteAt(job.output, job.token.size(), bytes.data(), bytes.size()) ? 0 : 1);
    return true;
}();

bool NewToken(std::string& token) {
    token.clear();
    while (token.size() < kTokenDigits) {
        unsigned int random = 0;
        if (rand_s(&random) != 0) return false;
        token += Hex(random, 8);
    }
    return true;
}

// A new file in the temporary folder, gone when its last handle closes.
HANDLE NewScratchFile() {
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 8; ++attempt) {
        unsigned int random = 0;
        if (rand_s(&random) != 0) break;
        const std::string unique = Hex(random, 8);
        const std::wstring name = folder + (L"kestrova-model-" + std::wstring(unique.begin(), unique.end()) + L".tmp");
        // CREATE_NEW: never a file that was there before.
        HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

// Starts the reader suspended, with the scratch file as the one handle it
// inherits; the inheritable copy lives only as long as this call. Detached:
// a console, which a test program would get, comes with a console host that
// would hold the file too.
bool StartReader(const char* program, const char* path, HANDLE scratch, const std::string& token,
                 PROCESS_INFORMATION& child) {
    HANDLE inherited = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), scratch, GetCurrentProcess(), &inherited, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
        return false;
    }
    const Owned inheritedOwner(inherited);
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<unsigned char> storage(size);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
    if (size == 0 || !InitializeProcThreadAttributeList(attributes, 1, 0, &size)) return false;
    BOOL started = FALSE;
    if (UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &inherited, sizeof inherited,
                                  nullptr, nullptr)) {
        STARTUPINFOEXA startup{};
        startup.StartupInfo.cb = sizeof startup;
        startup.lpAttributeList = attributes;
        const std::string job = Hex(reinterpret_cast<std::uintptr_t>(inherited), kHandleDigits) + "|" + token + "|" + path;
        std::string commandLine = std::string("\"") + program + "\"";
        if (SetEnvironmentVariableA(kReaderVariable, job.c_str())) {
            started = CreateProcessA(program, commandLine.data(), nullptr, nullptr, TRUE,
                                     CREATE_SUSPENDED | DETACHED_PROCESS | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                                     nullptr, &startup.StartupInfo, &child);
            SetEnvironmentVariableA(kReaderVariable, nullptr);
        }
    }
    DeleteProcThreadAttributeList(attributes);
    return started;
}

// What the reader wrote after the token, if it is no more than `cap`.
bool ReadBack(HANDLE scratch, std::size_t tokenSize, std::size_t cap, std::vector<unsigned char>& bytes) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(scratch, &size) || size.QuadPart < static_cast<LONGLONG>(tokenSize)) return false;
    const std::uint64_t written = static_cast<std::uint64_t>(size.QuadPart) - tokenSize;
    if (written > cap) return false;
    bytes.resize(static_cast<std::size_t>(written));
    return ReadAt(scratch, tokenSize, bytes.data(), bytes.size());
}

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
    char program[MAX_PATH];
    const DWORD named = GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (named == 0 || named >= MAX_PATH || std::strlen(path) >= MAX_PATH) return D3DRMERR_BADFILE;

    // No reader runs without its memory limit.
    const Owned job(CreateJobObjectA(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    limits.ProcessMemoryLimit = budget;
    if (!job.get() || !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        return D3DRMERR_BADALLOC;
    }
    std::string token;
    const Owned scratch(NewScratchFile());
    if (!scratch.get() || !NewToken(token) ||
        !WriteAt(scratch.get(), 0, reinterpret_cast<const unsigned char*>(token.data()), token.size())) {
        return D3DRMERR_BADALLOC;
    }
    PROCESS_INFORMATION child{};
    if (!StartReader(program, path, scratch.get(), token, child)) return D3DRMERR_BADALLOC;
    const Owned process(child.hProcess), thread(child.hThread);
    if (!AssignProcessToJobObject(job.get(), process.get()) || ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), INFINITE);
        return D3DRMERR_BADALLOC;
    }
    bool complete = false;
    if (WaitForSingleObject(process.get(), kReadDeadlineMs) == WAIT_OBJECT_0) {
        DWORD exitCode = 1;
        complete = GetExitCodeProcess(process.get(), &exitCode) && exitCode == 0;
    } else {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), INFINITE);
    }
    std::vector<unsigned char> bytes;
    complete = complete && ReadBack(scratch.get(), token.size(), budget, bytes);
    // Only a whole model counts; a reader that died wrote less, or nothing.
    if (!complete || !DecodeModel(bytes.data(), bytes.size(), model)) return D3DRMERR_BADFILE;
    return D3DRM_OK;
}

}  // namespace plat::rm
