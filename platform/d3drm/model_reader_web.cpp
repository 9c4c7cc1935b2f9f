// The model reader's own program, run in a Web Worker by model_apart_web.cpp:
// a file in, its model out, encoded. The only program of the browser build
// that links Assimp. A crash, an abort or a full memory here ends the worker,
// never the game.
#include <emscripten.h>

#include <vector>

#include "platform/d3drm/assimp_calls.h"
#include "platform/d3drm/model.h"

namespace plat::rm {

const AssimpCalls* Assimp() {
    static const AssimpCalls calls{&::aiImportFile, &::aiReleaseImport, &::aiGetMaterialColor, &::aiGetMaterialTexture};
    return &calls;
}

}  // namespace plat::rm

namespace {

// The answer goes to the game as it is; an empty one is a file not read.
EM_JS(void, PostAnswer, (const unsigned char* bytes, std::size_t size), {
    const answer = HEAPU8.slice(bytes, bytes + size);
    postMessage(answer.buffer, [answer.buffer]);
});

}  // namespace

// Called by model_reader_web.js with the file it wrote.
extern "C" EMSCRIPTEN_KEEPALIVE void KestrovaReadModel(const char* path) {
    std::vector<unsigned char> bytes;
    plat::rm::Model model;
    if (plat::SUCCEEDED(plat::rm::ReadModel(path, model))) plat::rm::EncodeModel(model, bytes);
    PostAnswer(bytes.data(), bytes.size());
}
