# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 and runs test
# programs under Wine:
#
#   prefix=$(scripts/windows-deps.sh)
#   cmake -S . -B build-win -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_PREFIX_PATH="$prefix"
#
# The deps prefix holds libepoxy-0.dll in bin/: a program that links epoxy
# needs it beside the .exe when shipped; under ctest, WINEPATH finds it.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KESTROVA_MINGW_TRIPLE x86_64-w64-mingw32)
set(KESTROVA_MINGW_SYSROOT /usr/${KESTROVA_MINGW_TRIPLE})

# The -posix compilers, not the -win32 ones: GCC's win32 thread model has no
# std::thread, std::mutex or std::condition_variable.
set(CMAKE_C_COMPILER ${KESTROVA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTROVA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTROVA_MINGW_TRIPLE}-windres)

# The prefixes given with -DCMAKE_PREFIX_PATH or in the environment.
set(_kestrova_prefixes ${CMAKE_PREFIX_PATH})
if(DEFINED ENV{CMAKE_PREFIX_PATH})
  string(REPLACE ":" ";" _kestrova_env_prefixes "$ENV{CMAKE_PREFIX_PATH}")
  list(APPEND _kestrova_prefixes ${_kestrova_env_prefixes})
endif()

# Libraries, headers and packages come only from the MinGW sysroot and the deps
# prefix, never from the Linux host (which has its own GTest, assimp, minizip).
# A prefix outside every find root would be re-rooted under the sysroot and
# missed, so each one is a find root as well.
set(CMAKE_FIND_ROOT_PATH ${KESTROVA_MINGW_SYSROOT} ${_kestrova_prefixes})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Same for pkg-config: LIBDIR replaces the host's search path rather than adding
# to it. Not inside a try_compile, which reads this file again without the
# prefixes and would otherwise take them out of the environment for the rest
# of the configure.
get_property(_kestrova_in_try_compile GLOBAL PROPERTY IN_TRY_COMPILE)
if(NOT _kestrova_in_try_compile)
  set(_kestrova_pc_dirs "")
  foreach(_p IN LISTS _kestrova_prefixes)
    list(APPEND _kestrova_pc_dirs "${_p}/lib/pkgconfig")
  endforeach()
  list(APPEND _kestrova_pc_dirs "${KESTROVA_MINGW_SYSROOT}/lib/pkgconfig")
  string(REPLACE ";" ":" _kestrova_pc_dirs "${_kestrova_pc_dirs}")
  set(ENV{PKG_CONFIG_LIBDIR} "${_kestrova_pc_dirs}")
  unset(ENV{PKG_CONFIG_PATH})
  unset(ENV{PKG_CONFIG_SYSROOT_DIR})
endif()

# No MinGW runtime DLLs beside the program: -static links libgcc, libstdc++ and
# winpthread in, so a .exe imports only Windows' own DLLs (and libepoxy-0.dll).
# Under -static a bare -lfoo finds only libfoo.a, never an import library such
# as libepoxy.dll.a: link DLLs through imported targets, which use full paths
# (pkg_check_modules(... IMPORTED_TARGET ...) does). Pulling winpthread in with
# --whole-archive instead would also bring its VERSIONINFO, which then replaces
# the program's own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under 64-bit Wine. /usr/lib/wine/wine64 is Debian bookworm's
# loader; the /usr/bin/wine wrapper looks for a 32-bit wine first and complains.
find_program(KESTROVA_WINE NAMES wine64 wine HINTS /usr/lib/wine)
if(KESTROVA_WINE)
  if(DEFINED ENV{WINEPREFIX})
    set(_kestrova_wineprefix "$ENV{WINEPREFIX}")
  elseif(DEFINED ENV{KESTROVA_WINDOWS_DEPS})
    set(_kestrova_wineprefix "$ENV{KESTROVA_WINDOWS_DEPS}/wineprefix")
  elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(_kestrova_wineprefix "$ENV{XDG_CACHE_HOME}/kestrova/windows-deps/wineprefix")
  else()
    set(_kestrova_wineprefix "$ENV{HOME}/.cache/kestrova/windows-deps/wineprefix")
  endif()
  if(NOT _kestrova_in_try_compile AND NOT EXISTS "${_kestrova_wineprefix}/system.reg")
    # Wine would make it on the first test, and tests started together would race.
    message(WARNING "No Wine prefix at ${_kestrova_wineprefix}: run scripts/windows-deps.sh first")
  endif()
  # WINEPATH lets a test find the deps' DLLs without copying them. One entry:
  # its separator, ';', cannot pass through the emulator's CMake list.
  set(_kestrova_winepath "")
  foreach(_p IN LISTS _kestrova_prefixes)
    if(IS_DIRECTORY "${_p}/bin")
      set(_kestrova_winepath "${_p}/bin")
      break()
    endif()
  endforeach()
  # mscoree and mshtml off: otherwise Wine offers to install Mono and Gecko.
  # err+module still tells which DLL is missing when a program cannot start
  # (it then exits with status 53, silently under -all alone).
  set(CMAKE_CROSSCOMPILING_EMULATOR
      /usr/bin/env
      "WINEPREFIX=${_kestrova_wineprefix}"
      "WINEDEBUG=-all,err+module"
      "WINEDLLOVERRIDES=mscoree,mshtml="
      "WINEPATH=${_kestrova_winepath}"
      "${KESTROVA_WINE}")
endif()
