// The game's side of reading a model apart (model_apart_web.cpp): a fresh Web
// Worker a file, so nothing of the reader is fetched before the first model
// and nothing a hostile file left behind meets the next one.
var kestrovaModelReader = {
  // The reader's answer, at most as big as the reader's memory can be.
  answerCap: 1024 * 1024 * 1024,
  answer: null,

  // The size of the reader's answer for the file at `path`, or -1 when there
  // is none: the file cannot be read here, the worker failed, aborted, was
  // late, or answered anything but bytes.
  read: function(path, deadlineMs) {
    var bytes;
    try {
      bytes = FS.readFile(path);
    } catch (e) {
      return Promise.resolve(-1);
    }
    // Assimp chooses its importer by the name's ending; nothing else of the
    // name goes to the worker.
    var ending = /\.[A-Za-z0-9]{1,8}$/.exec(path);
    var name = 'model' + (ending ? ending[0] : '');
    return new Promise(function(resolve) {
      var worker = null, timer = 0, done = false;
      function finish(answer) {
        if (done) return;
        done = true;
        clearTimeout(timer);
        if (worker) worker.terminate();
        var whole = answer instanceof ArrayBuffer && answer.byteLength <= kestrovaModelReader.answerCap;
        kestrovaModelReader.answer = whole ? new Uint8Array(answer) : null;
        resolve(whole ? answer.byteLength : -1);
      }
      try {
        worker = new Worker(locateFile('kestrova_model_reader.js'));
      } catch (e) {
        finish(null);
        return;
      }
      timer = setTimeout(function() { finish(null); }, deadlineMs);
      worker.onmessage = function(event) { finish(event.data); };
      worker.onmessageerror = function() { finish(null); };
      // The worker's own failure, not the page's: it ends there.
      worker.onerror = function(event) {
        event.preventDefault();
        finish(null);
      };
      worker.postMessage({ name: name, bytes: bytes.buffer }, [bytes.buffer]);
    });
  },

  take: function() {
    var answer = kestrovaModelReader.answer;
    kestrovaModelReader.answer = null;
    return answer;
  },
};
