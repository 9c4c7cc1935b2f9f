// Checks the web benchmarks' own tools, whose faults would give false figures
// rather than fail: the gzip server's encodings and byte counts, and the
// first-picture note in a page that draws elsewhere first.
//
//   node bench/web/bench_test.mjs
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { launch } from '../../tests/web/page.mjs';
import { firstPictureOf, watchFirstPicture } from './first_picture.mjs';
import { GzipServer } from './gzip_server.mjs';

const faults = [];
const check = (ok, what) => { if (!ok) faults.push(what); };

function get(url, headers = {}) {
  return new Promise((resolve, reject) => {
    http.get(url, { headers }, (res) => {
      const chunks = [];
      res.on('data', (c) => chunks.push(c));
      res.on('end', () => resolve({ status: res.statusCode, headers: res.headers, body: Buffer.concat(chunks) }));
    }).on('error', reject);
  });
}

const root = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrova-bench-test-'));
const text = 'var court = "bricks";\n'.repeat(2000);
const font = Buffer.from(Array.from({ length: 50000 }, (_, i) => (i * 7919) % 251));
fs.writeFileSync(path.join(root, 'game.js'), text);
fs.writeFileSync(path.join(root, 'game.wasm'), Buffer.alloc(40000, 3));
fs.writeFileSync(path.join(root, 'font.sf2'), font);
fs.writeFileSync(path.join(root, 'index.html'), `<!doctype html>
<canvas id="canvas" width="64" height="64"></canvas>
<script>
  // Into a framebuffer object at once, into the canvas itself 300 ms later.
  const gl = document.getElementById('canvas').getContext('webgl2');
  const program = gl.createProgram();
  for (const [type, source] of [[gl.VERTEX_SHADER, '#version 300 es\\nvoid main() { gl_Position = vec4(0.0, 0.0, 0.0, 1.0); gl_PointSize = 8.0; }'],
                                [gl.FRAGMENT_SHADER, '#version 300 es\\nprecision highp float; out vec4 c; void main() { c = vec4(1.0); }']]) {
    const shader = gl.createShader(type);
    gl.shaderSource(shader, source);
    gl.compileShader(shader);
    gl.attachShader(program, shader);
  }
  gl.linkProgram(program);
  gl.useProgram(program);
  const target = gl.createFramebuffer();
  gl.bindFramebuffer(gl.FRAMEBUFFER, target);
  const texture = gl.createTexture();
  gl.bindTexture(gl.TEXTURE_2D, texture);
  gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, 64, 64, 0, gl.RGBA, gl.UNSIGNED_BYTE, null);
  gl.framebufferTexture2D(gl.FRAMEBUFFER, gl.COLOR_ATTACHMENT0, gl.TEXTURE_2D, texture, 0);
  gl.drawArrays(gl.POINTS, 0, 1);
  setTimeout(() => {
    gl.bindFramebuffer(gl.FRAMEBUFFER, null);
    window.drawnAt = performance.now();
    gl.drawArrays(gl.POINTS, 0, 1);
  }, 300);
</script>`);

const server = await new GzipServer(root).listen();
try {
  // Text and WebAssembly as gzip, counted as sent; the sound font as it is.
  for (const [name, data] of [['game.js', Buffer.from(text)], ['game.wasm', Buffer.alloc(40000, 3)]]) {
    const r = await get(`${server.url}${name}`, { 'Accept-Encoding': 'gzip, deflate' });
    check(r.headers['content-encoding'] === 'gzip', `${name}: encoding ${r.headers['content-encoding']}`);
    check(r.body.length < data.length / 10, `${name}: ${r.body.length} bytes sent of ${data.length}`);
    check(zlib.gunzipSync(r.body).equals(data), `${name}: the body is not the file`);
    const entry = server.log.at(-1);
    check(entry.bytes === r.body.length && entry.gzip && entry.finished > 0, `${name}: logged ${JSON.stringify(entry)}`);
  }
  const f = await get(`${server.url}font.sf2`, { 'Accept-Encoding': 'gzip' });
  check(!f.headers['content-encoding'] && f.body.equals(font), 'font.sf2 not sent as it is');
  check(server.log.at(-1).bytes === font.length, `font.sf2 logged as ${server.log.at(-1).bytes} bytes`);
  const plain = await get(`${server.url}game.js`);
  check(!plain.headers['content-encoding'] && plain.body.toString() === text, 'no gzip asked, yet gzip sent');
  // A worker's fetch names the worker script as its referrer.
  await get(`${server.url}font.sf2`, { Referer: `${server.url}offline_worker.js` });
  check(server.log.at(-1).byWorker, 'a worker\'s fetch not told apart');
  check(!server.log.at(-2).byWorker, 'a page\'s fetch taken for a worker\'s');
  // Nothing beside the folder, however asked.
  fs.writeFileSync(`${root}-outside`, 'secret');
  for (const asked of [`..%2F${path.basename(root)}-outside`, `../${path.basename(root)}-outside`, `%2e%2e/${path.basename(root)}-outside`]) {
    check((await get(`${server.url}${asked}`)).status !== 200, `${asked} served from outside the folder`);
  }
  check((await get(`${server.url}missing.js`)).status === 404, 'a missing file not 404');

  // The note is the draw into the canvas, not the one into the framebuffer
  // object, and the frame after it.
  const browser = await launch();
  try {
    const context = await browser.newContext();
    const { shown } = await watchFirstPicture(context);
    const page = await context.newPage();
    await page.goto(server.url);
    let timer;
    await Promise.race([shown, new Promise((r) => { timer = setTimeout(r, 10000); })]);
    clearTimeout(timer);
    const note = await firstPictureOf(page);
    const drawnAt = await page.evaluate(() => window.drawnAt);
    check(note.draw >= drawnAt && note.draw - drawnAt < 50, `first picture noted at ${note.draw} ms, drawn into the canvas at ${drawnAt} ms`);
    check(note.picture >= note.draw && note.picture - note.draw < 200, `shown at ${note.picture} ms after drawn at ${note.draw} ms`);
    check(Math.abs(note.origin - Date.now()) < 60000, `time origin ${note.origin} is not since the epoch`);
  } finally {
    await browser.close();
  }
} finally {
  await server.close();
  fs.rmSync(root, { recursive: true, force: true });
  fs.rmSync(`${root}-outside`, { force: true });
}

if (faults.length) {
  console.error(`bench_test: ${faults.length} fault(s):\n  ${faults.join('\n  ')}`);
  process.exit(1);
}
console.log('bench_test: the gzip server and the first-picture note are right');
