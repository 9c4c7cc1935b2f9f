// The Windows program's resources, read back from kestrova.exe as Windows reads
// them: the version that Properties > Details shows, the icon at each size the
// shell asks for, and a manifest the loader takes. Wine runs a program whose
// manifest it cannot parse; Windows refuses to start it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(ProgramResources, DetailsShowTheProjectsVersion) {
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeA(KESTROVA_PROGRAM, &unused);
    ASSERT_GT(size, 0u) << "no version information";
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(KESTROVA_PROGRAM, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    unsigned major = 0, minor = 0, patch = 0, tweak = 0;
    ASSERT_GE(std::sscanf(KESTROVA_VERSION, "%u.%u.%u.%u", &major, &minor, &patch, &tweak), 1);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(minor, major));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(tweak, patch));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);

    // The shell reads the strings of the language and code page the translation names.
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    char table[64];
    std::snprintf(table, sizeof table, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    const auto text = [&](const char* name) -> std::string {
        char* value = nullptr;
        UINT chars = 0;
        const bool found = VerQueryValueA(block.data(), (std::string(table) + name).c_str(),
                                          reinterpret_cast<void**>(&value), &chars);
        return found && chars > 0 ? value : "";
    };
    EXPECT_EQ(text("FileVersion"), KESTROVA_VERSION);
    EXPECT_EQ(text("ProductVersion"), KESTROVA_VERSION);
    EXPECT_EQ(text("OriginalFilename"), "kestrova.exe");
    for (const char* name : {"ProductName", "FileDescription", "CompanyName", "LegalCopyright", "InternalName"}) {
        EXPECT_NE(text(name), "") << name;
    }
}

// Each size the shell asks for is an image of that size, not a neighbour
// scaled: 256 as PNG, as Windows keeps that size, the others as bitmaps.
TEST(ProgramResources, TheIconHasEachSizeTheShellAsksFor) {
    HMODULE program = LoadLibraryExA(KESTROVA_PROGRAM, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC group = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(program, group)));
    for (int size : {16, 24, 32, 48, 256}) {
        SCOPED_TRACE(size);
        const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
        HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));  // RT_ICON
        ASSERT_NE(found, nullptr);
        auto* bits = static_cast<BYTE*>(LockResource(LoadResource(program, found)));
        const DWORD bytes = SizeofResource(program, found);
        ASSERT_GT(bytes, 24u);
        const bool png = std::memcmp(bits, "\x89PNG\r\n\x1a\n", 8) == 0;
        EXPECT_EQ(png, size == 256);
        const long width = png ? (bits[16] << 24 | bits[17] << 16 | bits[18] << 8 | bits[19])
                               : reinterpret_cast<const BITMAPINFOHEADER*>(bits)->biWidth;
        EXPECT_EQ(width, size);
        HICON icon = CreateIconFromResourceEx(bits, bytes, TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR);
        EXPECT_NE(icon, nullptr) << "the image cannot be read";
        if (icon) DestroyIcon(icon);
    }
    FreeLibrary(program);
}

// Looked up by name in its namespace, as the loader does: a setting in a
// mistyped namespace is silently ignored.
std::wstring Setting(HANDLE context, const wchar_t* space, const wchar_t* name) {
    wchar_t value[128] = {};
    SIZE_T written = 0;
    return QueryActCtxSettingsW(0, context, space, name, value, 128, &written) ? value : L"";
}

// As Windows 10 and Wine lay it out; MinGW's header still lacks MaxVersionTested.
struct Compatibility {
    DWORD count;
    struct {
        GUID id;
        ACTCTX_COMPATIBILITY_ELEMENT_TYPE type;
        ULONGLONG maxVersionTested;
    } elements[8];
};

TEST(ProgramResources, TheLoaderTakesTheManifest) {
    ACTCTXA request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = KESTROVA_PROGRAM;
    request.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE context = CreateActCtxA(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << "error " << GetLastError();

    EXPECT_EQ(Setting(context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness")
                  .substr(0, 12), L"PerMonitorV2");
    EXPECT_EQ(Setting(context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true/pm");
    EXPECT_EQ(Setting(context, L"http://schemas.microsoft.com/SMI/2019/WindowsSettings", L"activeCodePage"), L"UTF-8");

    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
    ASSERT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level, sizeof level, nullptr));
    EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);

    // Without Windows 10's entry Windows tells the program it runs on 8.
    std::vector<char> buffer(sizeof(Compatibility));
    ASSERT_TRUE(QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, buffer.data(),
                             buffer.size(), nullptr));
    const auto* compatibility = reinterpret_cast<const Compatibility*>(buffer.data());
    const GUID windows10 = {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}};
    int systems = 0;
    bool hasWindows10 = false;
    for (DWORD i = 0; i < compatibility->count; ++i) {
        systems += compatibility->elements[i].type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS;
        hasWindows10 = hasWindows10 || IsEqualGUID(compatibility->elements[i].id, windows10);
    }
    EXPECT_EQ(systems, 4) << "Windows 7, 8, 8.1 and 10";
    EXPECT_TRUE(hasWindows10);
    ReleaseActCtx(context);
}

}  // namespace
