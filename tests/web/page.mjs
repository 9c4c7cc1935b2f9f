// What the page's tests share: a static server for dist/, headless Chromium,
// and the page's pixels as a player sees them.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { chromium } from 'playwright-core';

const types = {
  '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript', '.wasm': 'application/wasm',
  '.json': 'application/json', '.txt': 'text/plain; charset=utf-8',
};

// Serves `root` on 127.0.0.1 at a free port, as any static host would: files
// as they are, nothing outside the folder. `requests` records every path asked.
export function serve(root, requests = []) {
  root = path.resolve(root);
  const server = http.createServer((req, res) => {
    const asked = path.normalize(decodeURIComponent(req.url.split('?')[0])).replace(/^\/+/, '');
    requests.push({ path: '/' + asked, at: Date.now() });
    const file = path.join(root, asked || 'index.html');
    if (file !== root && !file.startsWith(root + path.sep)) return res.writeHead(403).end();
    fs.readFile(file, (err, data) => {
      if (err) return res.writeHead(404).end();
      res.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream', 'Content-Length': data.length }).end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// No GPU here: WebGL 2 on Chromium's software renderer.
export const chromiumOptions = {
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
};

export function launch() {
  return chromium.launch(chromiumOptions);
}

// A folder of its own for the browser's profile: what IndexedDB keeps lives
// there across a restart of the browser.
export function launchWithProfile(profile, contextOptions) {
  return chromium.launchPersistentContext(profile, { ...chromiumOptions, ...contextOptions });
}

// A PNG's pixels, decoded by the browser itself in `decoder` (a page of its
// own): `at(x, y)` gives [r, g, b], or [-1, -1, -1] outside.
export async function decodePng(decoder, png) {
  const { width, height, data } = await decoder.evaluate(async (b64) => {
    const image = new Image();
    image.src = `data:image/png;base64,${b64}`;
    await image.decode();
    const canvas = new OffscreenCanvas(image.width, image.height);
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    // As base64: an array of millions of numbers takes seconds to cross over.
    const pixels = context.getImageData(0, 0, image.width, image.height).data;
    let text = '';
    for (let i = 0; i < pixels.length; i += 0x8000) text += String.fromCharCode(...pixels.subarray(i, i + 0x8000));
    return { width: image.width, height: image.height, data: btoa(text) };
  }, png.toString('base64')).then((r) => ({ ...r, data: Buffer.from(r.data, 'base64') }));
  const at = (x, y) => {
    if (x < 0 || y < 0 || x >= width || y >= height) return [-1, -1, -1];
    const i = (y * width + x) * 4;
    return [data[i], data[i + 1], data[i + 2]];
  };
  return { width, height, at, png };
}

// The page as a player sees it.
export async function picture(page, decoder) {
  return decodePng(decoder, await page.screenshot());
}

// Polls `fault(picture)` until it gives '' or `seconds` pass; the last picture
// and fault are returned.
export async function waitForPicture(page, decoder, seconds, fault) {
  const deadline = Date.now() + seconds * 1000;
  for (;;) {
    const shown = await picture(page, decoder);
    const why = await fault(shown);
    if (!why || Date.now() > deadline) return { shown, why };
    await new Promise((r) => setTimeout(r, 250));
  }
}

// The kinds of event listened to on the page's window, document and canvas,
// as DevTools lists them: { window: 'error,resize', document: '', canvas: '' }.
export async function listenersOf(page) {
  const cdp = await page.context().newCDPSession(page);
  const kinds = {};
  for (const [name, expression] of [['window', 'window'], ['document', 'document'],
                                    ['canvas', "document.getElementById('canvas')"]]) {
    const { result } = await cdp.send('Runtime.evaluate', { expression });
    const { listeners } = await cdp.send('DOMDebugger.getEventListeners', { objectId: result.objectId });
    kinds[name] = listeners.map((l) => l.type).sort().join(',');
  }
  await cdp.detach();
  return kinds;
}
