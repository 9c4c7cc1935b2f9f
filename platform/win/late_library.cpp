#include "platform/win/late_library.h"

#include <dlfcn.h>

#include <vector>

namespace plat {

bool LoadLateLibrary(const char* soname, std::initializer_list<LateSymbol> symbols) {
    // dlopen counts its opens and is thread-safe; a second call finds the same library.
    void* library = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!library) return false;
    std::vector<void*> found;
    for (const LateSymbol& symbol : symbols) {
        void* address = dlsym(library, symbol.name);
        if (!address) {
            dlclose(library);
            return false;
        }
        found.push_back(address);
    }
    std::size_t k = 0;
    for (const LateSymbol& symbol : symbols) *symbol.address = found[k++];
    return true;
}

}  // namespace plat
