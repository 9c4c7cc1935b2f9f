// The boxes and dialogs at the end of a game, as HTML dialogs over the canvas:
// five balls are played (each clicked beside so that it hits a brick and then
// passes the racket parked in a corner), then "Game Over!", the name typed on
// the keyboard and the best results with it, each answered with Enter.
//
//   node tests/web/dialogs_test.mjs [dist] [screenshot folder]
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const dist = path.resolve(process.argv[2] ?? path.join(here, '../../build-web/dist'));
const shots = process.argv[3] ?? '/tmp';
const width = 800, height = 600;
const name = 'Zoë Kovač';

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

// The open dialog: caption, the texts of its parts in order, which part has
// the focus, its font, and where it is against the canvas.
const openDialog = (page) => page.evaluate(() => {
  const d = document.querySelector('dialog[open]');
  if (!d) return null;
  const parts = [...d.querySelector('.kd-client').children];
  const box = d.getBoundingClientRect(), client = d.querySelector('.kd-client').getBoundingClientRect();
  const canvas = document.getElementById('canvas').getBoundingClientRect();
  return {
    caption: d.querySelector('.kd-caption').textContent,
    texts: parts.map((p) => (p.tagName === 'INPUT' ? p.value : p.textContent)),
    tags: parts.map((p) => p.tagName),
    focus: parts.indexOf(document.activeElement),
    inside: box.left >= canvas.left && box.top >= canvas.top && box.right <= canvas.right && box.bottom <= canvas.bottom,
    // Of the client area, as boxes are centred on the other systems.
    centre: [client.left + client.width / 2 - (canvas.left + canvas.width / 2),
             client.top + client.height / 2 - (canvas.top + canvas.height / 2)],
    fonts: parts.map((p) => getComputedStyle(p).fontFamily),
  };
});

async function waitForDialog(page, caption, seconds) {
  const end = Date.now() + seconds * 1000;
  for (;;) {
    const d = await openDialog(page);
    if (d && d.caption === caption) return d;
    if (Date.now() > end) throw new Error(`no dialog "${caption}"; open: ${JSON.stringify(d)}`);
    await new Promise((r) => setTimeout(r, 250));
  }
}

const faults = [];
const expect = (ok, what) => { if (!ok) faults.push(what); };

const server = await serve(dist);
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
});
const log = [];
try {
  const page = await browser.newPage({ viewport: { width, height } });
  page.on('console', (m) => log.push(`${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => log.push(`error: ${e.message}`));
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.waitForFunction(() => document.getElementById('canvas').width > 0);
  await new Promise((r) => setTimeout(r, 3000));

  // The ball rests in the middle; a click dx pixels beside it sends it for a
  // brick of its own column (as tests/e2e/game_play_test.cpp plays).
  // A click while the ball flies would hit it again: only one at rest is clicked.
  const decoder = await browser.newPage();
  const restingBall = async () => {
    const png = await page.screenshot({ clip: { x: width / 2 - 2, y: height / 2 - 2, width: 5, height: 5 } });
    return decoder.evaluate(async (b64) => {
      const image = new Image();
      image.src = `data:image/png;base64,${b64}`;
      await image.decode();
      const context = new OffscreenCanvas(image.width, image.height).getContext('2d');
      context.drawImage(image, 0, 0);
      const p = context.getImageData(0, 0, image.width, image.height).data;
      for (let i = 0; i < p.length; i += 4) if (!(p[i] > 150 && p[i + 1] < 60 && p[i + 2] < 60)) return false;
      return true;
    }, png.toString('base64'));
  };
  const columns = [5, -5, 15, -15, 25];
  const park = [4, height - 4];
  let ball = 0;
  const end = Date.now() + 300000;
  while (!(await openDialog(page))) {
    if (Date.now() > end) throw new Error(`no box after ${ball} balls`);
    await new Promise((r) => setTimeout(r, 500));
    if (!(await restingBall()) || !(await restingBall())) continue;
    const dx = Math.round((columns[ball % columns.length] * Math.max(width, height)) / 300);
    await page.mouse.click(width / 2 + dx, height / 2);
    await page.mouse.move(park[0], park[1], { steps: 5 });
    ++ball;
    await new Promise((r) => setTimeout(r, 1500));
  }

  const over = await waitForDialog(page, '', 5);
  expect(over.texts.includes('Game Over!'), `the box says ${JSON.stringify(over.texts)}`);
  expect(over.tags.at(-1) === 'BUTTON' && over.texts.at(-1) === 'OK' && over.focus === over.texts.length - 1,
         'the box has no focused OK');
  expect(Math.abs(over.centre[0]) <= 1 && Math.abs(over.centre[1]) <= 1, `the box is not centred: ${over.centre}`);
  await page.screenshot({ path: path.join(shots, 'kestrova-web-game-over.png') });
  await page.keyboard.press('Enter');

  const ask = await waitForDialog(page, 'Enter your name', 10);
  expect(JSON.stringify(ask.tags) === '["INPUT","BUTTON","BUTTON"]' && ask.texts[1] === 'OK' && ask.texts[2] === 'Cancel',
         `the name dialog holds ${JSON.stringify(ask.texts)}`);
  expect(ask.focus === 0, 'the name field has no focus');
  expect(ask.inside, 'the name dialog is not over the canvas');
  await page.keyboard.type(name);
  await page.screenshot({ path: path.join(shots, 'kestrova-web-name.png') });
  await page.keyboard.press('Enter');

  const results = await waitForDialog(page, 'Best results', 10);
  const line = results.texts.find((t) => t.includes(name));
  expect(line, `no result line holds the name: ${JSON.stringify(results.texts)}`);
  expect(/mono|courier/i.test(results.fonts[1]), `the results are not in a fixed-width font: ${results.fonts[1]}`);
  await page.screenshot({ path: path.join(shots, 'kestrova-web-results.png') });
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.querySelector('dialog'), null, { timeout: 10000 });
  expect(await page.evaluate(() => document.activeElement === document.getElementById('canvas')),
         'the canvas did not get the focus back');
} catch (e) {
  faults.push(e.message);
} finally {
  await browser.close();
  server.close();
}
if (faults.length) console.error(log.join('\n'));
console.log(faults.length ? `FAIL: ${faults.join('; ')}` : `ok: game over, the name and the best results (screenshots in ${shots})`);
process.exit(faults.length ? 1 : 0);
