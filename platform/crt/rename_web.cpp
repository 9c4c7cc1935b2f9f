// In the browser the folder the game runs in lives in memory and is kept in
// IndexedDB (folder_store_web.js): a rename meant to last counts only once the
// folder is stored there.
#include "platform/crt/rename.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include <emscripten.h>

// 0 once stored, 1 when the browser's storage for the page is full, 2 when it
// cannot be reached (private mode, IndexedDB blocked or gone).
EM_ASYNC_JS(int, KestrovaStoreFolder, (), { return await kestrovaFolder.store(); });

namespace plat {
namespace {

bool ReadWhole(const char* name, std::vector<char>& bytes) {
    std::ifstream in(name, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

void WriteWhole(const char* name, const std::vector<char>& bytes) {
    std::ofstream(name, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<long>(bytes.size()));
}

}  // namespace

int RenameFile(const char* existing, const char* newName, bool writeThrough) {
    // A store that fails puts both names back, so that the page goes on with
    // the folder IndexedDB still holds, not with a result that was never kept.
    std::vector<char> previous;
    const bool hadPrevious = writeThrough && ReadWhole(newName, previous);
    if (std::rename(existing, newName) != 0) return errno;
    if (!writeThrough) return 0;
    const int stored = KestrovaStoreFolder();
    if (stored == 0) return 0;
    std::rename(newName, existing);
    if (hadPrevious) WriteWhole(newName, previous);
    return stored == 1 ? ENOSPC : EIO;
}

}  // namespace plat
