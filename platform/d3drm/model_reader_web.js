// The worker's side of reading a model apart: the one message it gets holds
// a file's name and bytes, which go into the worker's own file system to be
// read by KestrovaReadModel (model_reader_web.cpp), once the program is up.
var kestrovaFile = null;
var kestrovaReady = false;

function kestrovaReadWhenBoth() {
  if (!kestrovaFile || !kestrovaReady) return;
  var path = '/' + kestrovaFile.name;
  FS.writeFile(path, new Uint8Array(kestrovaFile.bytes));
  kestrovaFile = null;
  // Whatever the file did to the reader (a trap, a stack too deep for the
  // browser, an exception), the game hears of it now, not at its deadline.
  try {
    ccall('KestrovaReadModel', null, ['string'], [path]);
  } catch (e) {
    postMessage(null);
  }
}

self.onmessage = function(event) {
  kestrovaFile = event.data;
  kestrovaReadWhenBoth();
};
Module['onRuntimeInitialized'] = function() {
  kestrovaReady = true;
  kestrovaReadWhenBoth();
};
// So is an abort: the reader's memory full, its stack overflowed, or its
// program not there.
Module['onAbort'] = function() {
  postMessage(null);
};
