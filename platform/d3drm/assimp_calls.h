// The calls of Assimp's C interface that reading a model needs. On Linux
// Assimp is opened when a model is first read, not with the program, which
// loads none on its way to the first picture (model_apart_posix.cpp); on
// Windows it is linked into the program (model_apart_win32.cpp).
#pragma once

#include <assimp/cimport.h>
#include <assimp/material.h>

namespace plat::rm {

struct AssimpCalls {
    decltype(&::aiImportFile) aiImportFile;
    decltype(&::aiReleaseImport) aiReleaseImport;
    decltype(&::aiGetMaterialColor) aiGetMaterialColor;
    decltype(&::aiGetMaterialTexture) aiGetMaterialTexture;
};

// Null when Assimp cannot be had; then no model can be read.
const AssimpCalls* Assimp();

}  // namespace plat::rm
