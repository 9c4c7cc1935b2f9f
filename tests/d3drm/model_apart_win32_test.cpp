// The model reader on Windows: a copy of the program started with the
// reader's variable by anyone but a parent loading a model writes nothing,
// waits on nothing and ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr char kVariable[] = "KESTROVA_MODEL_READER";
constexpr char kKept[] = "twenty-one bytes here";

std::string HandleText(HANDLE handle) {
    char text[24];
    std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(handle)));
    return text;
}

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Starts this test program with the variable set to `value`, handing down
// whatever is inheritable here. False if it had not ended after a while;
// should it get past the reader, it runs no tests.
bool RunWithVariable(const std::string& value, DWORD& exitCode) {
    char program[MAX_PATH];
    const DWORD named = GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (named == 0 || named >= MAX_PATH) return false;
    std::string commandLine = std::string("\"") + program + "\" --gtest_filter=-*";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    SetEnvironmentVariableA(kVariable, value.c_str());
    const BOOL started = CreateProcessA(program, commandLine.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS,
                                        nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableA(kVariable, nullptr);
    if (!started) return false;
    const bool ended = WaitForSingleObject(child.hProcess, 20000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(child.hProcess, 1);
    WaitForSingleObject(child.hProcess, INFINITE);
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return ended;
}

TEST(ModelReader, AVariableNoLoadingParentSetWritesNothingAndEnds) {
    const fs::path dir = testsupport::NewTempDir("reader");
    ASSERT_FALSE(dir.empty());
    const fs::path model = dir / "box.x", kept = dir / "kept.txt";
    std::ofstream(model, std::ios::binary) << "xof 0302txt 0032\nFrame Box {\n}\n";
    std::ofstream(kept, std::ios::binary) << kKept;

    // Real handles the copy inherits: a file it could write, a pipe nobody
    // writes to, which a read would wait on for ever.
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE file = CreateFileW(kept.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              &inheritable, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HANDLE pipeIn = nullptr, pipeOut = nullptr;
    ASSERT_TRUE(CreatePipe(&pipeIn, &pipeOut, &inheritable, 0));
    const std::string token(32, 'a');
    const std::string values[] = {
        // A file to read, then one to write, either way round.
        model.string() + "|" + kept.string(),
        kept.string() + "|" + model.string(),
        // Handles it did inherit, of the wrong kind or without the token.
        HandleText(file) + "|" + token + "|" + model.string(),
        HandleText(pipeIn) + "|" + token + "|" + model.string(),
        // No handle at all.
        "7ffffff0|" + token + "|" + model.string(),
        "garbage",
    };
    for (const std::string& value : values) {
        DWORD exitCode = 0;
        EXPECT_TRUE(RunWithVariable(value, exitCode)) << value;
        EXPECT_NE(exitCode, 0u) << value;
        EXPECT_EQ(Contents(kept), kKept) << value;
        EXPECT_EQ(Contents(model), "xof 0302txt 0032\nFrame Box {\n}\n") << value;
    }
    CloseHandle(file);
    CloseHandle(pipeIn);
    CloseHandle(pipeOut);
    fs::remove_all(dir);
}

}  // namespace
