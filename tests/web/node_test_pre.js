// Before each test program that runs under node (--pre-js).

// This Emscripten takes node's fetch (node 18 on) for loading the .wasm, and
// fetch takes no file path: the bytes are handed over instead.
Module['wasmBinary'] = require('fs').readFileSync(__filename.replace(/\.js$/, '.wasm'));

// An error thrown out of the program, an abort among them, fails it, told by
// its stack: node would show the line it came from, the whole program.
process['on']('uncaughtException', function(e) {
  if (e instanceof ExitStatus) return;
  process['stderr']['write']((e && e.stack || String(e)) + '\n');
  process['exit'](1);
});

// The program ends by exit() with its status. One that stops short of it,
// waiting on something that never comes, leaves node with nothing to do and
// the status 0: that is a failure.
var kestrovaExited = false;
var kestrovaOnExit = Module['onExit'];
Module['onExit'] = function(status) {
  kestrovaExited = true;
  if (kestrovaOnExit) kestrovaOnExit(status);
};
process['on']('exit', function(code) {
  if (kestrovaExited || code !== 0) return;
  process['stderr']['write']('the test program stopped without exiting\n');
  process['exitCode'] = 1;
});
