// Runs one test program built for the browser in a page of headless Chromium,
// for the tests that open a window or draw, and exits with its status.
//
//   node tests/web/run_test_page.mjs [--also DIR]... path/to/program.js [program arguments...]
//
// The page is served from the program's folder; a file not found there is
// looked for in each DIR given with --also (the model reader's, in dist/).
// The page is a canvas and the program: its arguments are this command's, its
// output goes to this process's stdout and stderr, its exit() gives the status.
// An abort, an error thrown in the page, a crash or a program still running
// after KESTROVA_PAGE_TIMEOUT seconds (default 300) fail.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { chromium } from 'playwright-core';

const args = process.argv.slice(2);
const also = [];
while (args[0] === '--also' && args.length > 1) also.push(path.resolve(args.splice(0, 2)[1]));
const [programArg, ...programArgs] = args;
if (!programArg) {
  console.error('usage: run_test_page.mjs [--also DIR]... program.js [arguments...]');
  process.exit(2);
}
const program = path.resolve(programArg);
const roots = [path.dirname(program), ...also];
const timeoutSeconds = Number(process.env.KESTROVA_PAGE_TIMEOUT ?? 300);

const page = `<!doctype html>
<html><head><meta charset="utf-8"><link rel="icon" href="data:,"><style>body { margin: 0 } canvas { display: block }</style></head>
<body><canvas id="canvas" width="800" height="600" tabindex="-1"></canvas>
<script>
var Module = {
  canvas: document.getElementById('canvas'),
  arguments: ${JSON.stringify(programArgs)},
  print: (text) => kestrovaOut(1, text),
  printErr: (text) => kestrovaOut(2, text),
  onExit: (status) => kestrovaEnd({ status }),
  onAbort: (what) => kestrovaEnd({ fault: 'abort: ' + what }),
};
addEventListener('error', (e) => kestrovaEnd({ fault: 'error in the page: ' + (e.error?.stack ?? e.message) }));
addEventListener('unhandledrejection', (e) => kestrovaEnd({ fault: 'unhandled rejection: ' + (e.reason?.stack ?? e.reason) }));
</script>
<script src="${encodeURIComponent(path.basename(program))}"></script>
</body></html>`;

const types = { '.js': 'text/javascript', '.wasm': 'application/wasm' };
const server = http.createServer((req, res) => {
  const asked = path.normalize(decodeURIComponent(req.url.split('?')[0])).replace(/^\/+/, '');
  if (asked === '') return res.writeHead(200, { 'Content-Type': 'text/html' }).end(page);
  const serve = (i) => {
    if (i === roots.length) return res.writeHead(404).end();
    const file = path.join(roots[i], asked);
    if (!file.startsWith(roots[i] + path.sep)) return res.writeHead(403).end();
    fs.readFile(file, (err, data) => {
      if (err) return serve(i + 1);
      res.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' }).end(data);
    });
  };
  serve(0);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));

let end;
const ended = new Promise((resolve) => { end = resolve; });
let status = 1;
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  // No GPU here: WebGL 2 on Chromium's software renderer.
  args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
});
try {
  const tab = await browser.newPage({ viewport: { width: 800, height: 600 } });
  await tab.exposeFunction('kestrovaOut', (stream, text) => (stream === 1 ? process.stdout : process.stderr).write(`${text}\n`));
  // The first word is the one that counts: an exit that throws on its way
  // out is still that exit.
  await tab.exposeFunction('kestrovaEnd', (result) => end(result));
  tab.on('console', (m) => process.stderr.write(`console.${m.type()}: ${m.text()}\n`));
  tab.on('crash', () => end({ fault: 'the page crashed' }));
  const timer = setTimeout(() => end({ fault: `no exit after ${timeoutSeconds} s` }), timeoutSeconds * 1000);
  await tab.goto(`http://127.0.0.1:${server.address().port}/`);
  const result = await ended;
  clearTimeout(timer);
  if (result.fault !== undefined) {
    console.error(`run_test_page: ${path.basename(program)}: ${result.fault}`);
  } else {
    status = result.status;
  }
} finally {
  await browser.close();
  server.close();
}
process.exit(status);
