// The page in headless Chromium shows the court as its first picture: the green
// background, the red ball in the middle, score 000 and 5 lives on the red
// displays. Serves build-web/dist (or the folder given) on 127.0.0.1.
//
//   node tests/web/first_picture_test.mjs [dist] [screenshot.png]
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const dist = path.resolve(process.argv[2] ?? path.join(here, '../../build-web/dist'));
const shot = process.argv[3] ?? '/tmp/kestrova-web.png';
const width = 800, height = 600;

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
function serve(root) {
  const server = http.createServer((req, res) => {
    const asked = path.normalize(decodeURIComponent(req.url.split('?')[0])).replace(/^\/+/, '');
    const file = path.join(root, asked || 'index.html');
    if (!file.startsWith(root)) return res.writeHead(403).end();
    fs.readFile(file, (err, data) => {
      if (err) return res.writeHead(404).end();
      res.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' }).end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// The game's colours and layout, as tests/e2e/game_screen.cpp reads them: the
// camera at y = -300 looking along +y, a field of 0.5 across the larger side.
const isBackground = ([r, g, b]) => r < 20 && b < 20 && g >= 115 && g <= 140;
const isLit = ([r, g, b]) => r > 170 && g < 50 && b < 50;
const isUnlit = ([r, g, b]) => r < 30 && b < 30 && g >= 70 && g <= 105;
const isBallRed = ([r, g, b]) => r > 150 && g < 60 && b < 60;
const scale = Math.max(width, height);
const project = (x, y, z) => [
  Math.round(width / 2 - (x / (y + 300)) * scale),
  Math.round(height / 2 - (z / (y + 300)) * scale),
];
const patterns = [
  0b1110111, 0b0010010, 0b1011101, 0b1011011, 0b0111010, 0b1101011, 0b1101111, 0b1010010, 0b1111111, 0b1111011,
];

// The number on a seven-segment display, or -1 where a segment is neither lit nor unlit.
function readDisplay(at, x, y, z, digits, spacing) {
  const L = 5, T = 0.5;
  const across = [L / 2 + T, T, L + T, L / 2 + T, T, L + T, L / 2 + T];
  const down = [T, L / 2 + T, L / 2 + T, L + T, 1.5 * L + T, 1.5 * L + T, 2 * L + T];
  let value = 0;
  for (let d = digits - 1; d >= 0; --d) {
    const ox = (digits - 1 - d) * (spacing + L);
    let lit = 0;
    for (let s = 0; s < 7; ++s) {
      const [mx, my] = project(x - ox - across[s], y, z - down[s]);
      let litSamples = 0, unlitSamples = 0;
      for (let dy = -1; dy <= 1; ++dy) for (let dx = -1; dx <= 1; ++dx) {
        litSamples += isLit(at(mx + dx, my + dy));
        unlitSamples += isUnlit(at(mx + dx, my + dy));
      }
      if (litSamples === 9) lit |= 1 << (6 - s);
      else if (unlitSamples !== 9) return -1;
    }
    const digit = patterns.indexOf(lit);
    if (digit < 0) return -1;
    value = value * 10 + digit;
  }
  return value;
}

function startFault(at) {
  for (const [x, y] of [[3, 3], [width - 4, 3], [width - 4, height - 4]]) {
    if (!isBackground(at(x, y))) return `the background at ${x},${y} is not green: ${at(x, y)}`;
  }
  const [bx, by] = project(0, -100, 0);
  for (let dy = -2; dy <= 2; ++dy) for (let dx = -2; dx <= 2; ++dx) {
    if (!isBallRed(at(bx + dx, by + dy))) return `no red ball in the middle: ${at(bx + dx, by + dy)}`;
  }
  const score = readDisplay(at, 70, -150, 50, 3, 2), lives = readDisplay(at, -50, -150, 50, 2, 2.5);
  if (score !== 0 || lives !== 5) return `the displays read score ${score} and lives ${lives}`;
  return '';
}

const server = await serve(dist);
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  // No GPU here: WebGL 2 on Chromium's software renderer.
  args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
});
let fault = 'no picture';
try {
  const page = await browser.newPage({ viewport: { width, height } });
  const log = [];
  page.on('console', (m) => log.push(`${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => log.push(`error: ${e.message}`));
  await page.goto(`http://127.0.0.1:${server.address().port}/`);

  // The page's pixels, decoded by the browser in a page of their own.
  const decoder = await browser.newPage();
  const deadline = Date.now() + 60000;
  while (fault && Date.now() < deadline) {
    const png = await page.screenshot();
    const pixels = await decoder.evaluate(async (b64) => {
      const image = new Image();
      image.src = `data:image/png;base64,${b64}`;
      await image.decode();
      const canvas = new OffscreenCanvas(image.width, image.height);
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      return Array.from(context.getImageData(0, 0, image.width, image.height).data);
    }, png.toString('base64'));
    const at = (x, y) => {
      if (x < 0 || y < 0 || x >= width || y >= height) return [-1, -1, -1];
      return pixels.slice((y * width + x) * 4, (y * width + x) * 4 + 3);
    };
    fault = startFault(at);
    fs.writeFileSync(shot, png);
    if (fault) await new Promise((r) => setTimeout(r, 500));
  }
  if (fault) console.error(log.join('\n'));
} finally {
  await browser.close();
  server.close();
}
console.log(fault ? `FAIL: ${fault} (screenshot ${shot})` : `ok: the court's first picture (screenshot ${shot})`);
process.exit(fault ? 1 : 0);
