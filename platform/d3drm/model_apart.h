// Reading a model file apart from the game: Assimp's readers are not made for
// hostile files, so whatever a file does to the reader, the game gets a model
// or an error. model_apart_posix.cpp reads in a child process with a memory
// limit and a deadline; model_apart_win32.cpp does the same on Windows.
#pragma once

#include <cstddef>

#include "platform/d3drm/model.h"

namespace plat::rm {

// D3DRMERR_FILENOTFOUND, D3DRMERR_BADFILE for anything but a non-empty
// regular file, else D3DRM_OK with its size.
HRESULT CheckFile(const char* path, std::size_t& size);

HRESULT ReadModelApart(const char* path, std::size_t fileSize, Model& model);

}  // namespace plat::rm
