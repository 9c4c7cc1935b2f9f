// The basic types the graphics stand-ins share with the window system. On
// Linux they are our window system's own; on Windows they are the system's,
// brought into namespace plat so the stand-ins are written once for both.
#pragma once

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace plat {
using ::BOOL;
using ::BYTE;
using ::COLORREF;
using ::DWORD;
using ::GUID;
using ::HANDLE;
using ::HDC;
using ::HRESULT;
using ::HWND;
using ::IID;
using ::LONG;
using ::LPGUID;
using ::LPVOID;
using ::RECT;
using ::UINT;
using ::ULONG;
using ::WORD;
}  // namespace plat

// REFIID and REFGUID are macros there, which name the same types.

#else

#include "platform/win/win_types.h"

namespace plat {
using HANDLE = void*;
}  // namespace plat

#endif
