// Model files in the browser, until a reader runs in a Web Worker of its own:
// Assimp is not built for the page, so every existing file is one this build
// cannot read, D3DRMERR_BADFILE, and the game goes on without the model.
#include "platform/d3drm/model_apart.h"

namespace plat::rm {

HRESULT ReadModelApart(const char*, std::size_t, Model&) { return D3DRMERR_BADFILE; }

}  // namespace plat::rm
