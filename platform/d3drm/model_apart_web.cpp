// Model files in the browser, whose child process is a Web Worker: each file
// is read by a fresh worker running the reader's own program
// (kestrova_model_reader.js, model_reader_web.cpp), the only one that links
// Assimp. Its memory is capped and it has a deadline; a worker that fails,
// runs out of memory, is late or answers garbage is ended, and the game gets
// D3DRMERR_BADFILE and goes on. The worker's side in JS: model_apart_web.js.
#include <emscripten.h>

#include <cstdlib>
#include <memory>

#include "platform/d3drm/model_apart.h"

namespace plat::rm {
namespace {

constexpr int kReadDeadlineMs = 30000;

// Sends the file, as the page's file system holds it, to a new worker and
// waits for its answer: the answer's size, or -1 for none.
EM_ASYNC_JS(int, ReadInWorker, (const char* path, int deadlineMs), {
    return await kestrovaModelReader.read(UTF8ToString(path), deadlineMs);
});

// Copies the answer just received into `into`, which holds its size.
EM_JS(void, TakeAnswer, (unsigned char* into), { HEAPU8.set(kestrovaModelReader.take(), into); });

}  // namespace

HRESULT ReadModelApart(const char* path, std::size_t, Model& model) {
    const int size = ReadInWorker(path, kReadDeadlineMs);
    if (size < 0) return D3DRMERR_BADFILE;
    // The answer is as big as the reader chose; one that does not fit here
    // is no reason to end the game.
    const std::unique_ptr<unsigned char, decltype(&std::free)> bytes(
        static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(size) + 1)), &std::free);
    if (!bytes) return D3DRMERR_BADALLOC;
    TakeAnswer(bytes.get());
    // Only a whole model counts.
    if (!DecodeModel(bytes.get(), static_cast<std::size_t>(size), model)) return D3DRMERR_BADFILE;
    return D3DRM_OK;
}

}  // namespace plat::rm
