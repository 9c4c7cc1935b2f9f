// A shared library opened when first needed instead of with the program. The
// synthesiser and the dialogs' fonts bring some forty libraries between them;
// loading those before the first picture of the court costs the player time
// for nothing they see yet.
#pragma once

#include <initializer_list>

namespace plat {

struct LateSymbol {
    void** address;  // where the function's address goes
    const char* name;
};

// Opens the library by its soname and finds every symbol. Returns false, with
// no address set, when the library or any symbol is missing. The library stays
// open for the life of the process. Safe to call from any thread.
bool LoadLateLibrary(const char* soname, std::initializer_list<LateSymbol> symbols);

}  // namespace plat
