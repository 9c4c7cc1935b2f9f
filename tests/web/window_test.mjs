// The main window is the page's canvas: drawn at the screen's pixel density,
// sized to the browser's window when it changes, and paused when the canvas
// loses the focus or the page is hidden, as the desktop game is.
//
//   node tests/web/window_test.mjs [dist] [screenshot folder]
import path from 'node:path';
import fs from 'node:fs';
import { fileURLToPath } from 'node:url';
import { serve, launch, waitForPicture } from './page.mjs';
import { Court, isBackground, isBallRed } from './court.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const dist = path.resolve(process.argv[2] ?? path.join(here, '../../build-web/dist'));
const shots = process.argv[3] ?? '/tmp';
const faults = [];
const check = (ok, what) => { if (!ok) faults.push(what); };
const pause = (ms) => new Promise((r) => setTimeout(r, ms));
const shot = (page) => page.screenshot();

// The court at rest fills the drawing buffer, which is `ratio` times the CSS size.
async function courtAt(page, decoder, width, height, ratio, name) {
  const court = new Court(width * ratio, height * ratio);
  const { shown, why } = await waitForPicture(page, decoder, 60, async (p) => {
    const buffer = await page.evaluate(() => [Module.canvas.width, Module.canvas.height]);
    if (buffer[0] !== court.width || buffer[1] !== court.height) return `drawing buffer ${buffer}`;
    if (p.width !== court.width) return `screenshot ${p.width} wide`;
    return court.atRestFault(p.at, 5, 0);
  });
  fs.writeFileSync(path.join(shots, `kestrova-window-${name}.png`), shown.png);
  check(!why, `${width}x${height} at ${ratio}x: ${why}`);
  return { court, shown };
}

// Along the 45° edge where the left wall meets the ceiling every pixel is
// wall or ceiling, and the edge moves one pixel a row: a buffer of CSS size
// stretched to the screen would blend them, or step two pixels every two rows.
function sharpFault(court, at) {
  const near = (p, q) => p.every((v, i) => Math.abs(v - q[i]) <= 8);
  const [x1, y1] = court.project(50, -140, 50), [, y2] = court.project(50, -60, 50);
  let steps = 0, last = -1;
  for (let y = y1; y <= y2; ++y) {
    const ex = x1 + (y - y1), wall = at(ex - 8, y), ceiling = at(ex + 8, y);
    let edge = -1;
    for (let x = ex - 6; x <= ex + 6; ++x) {
      if (!near(at(x, y), wall) && !near(at(x, y), ceiling)) return `pixel ${x},${y} is neither wall nor ceiling: ${at(x, y)}`;
      if (near(at(x, y), wall) && near(at(x + 1, y), ceiling)) edge = x;
    }
    if (edge < 0 || near(wall, ceiling)) return `no edge between wall and ceiling at row ${y}`;
    if (edge - last === 1) ++steps;
    last = edge;
  }
  return steps >= 0.8 * (y2 - y1) ? '' : `the edge steps a pixel on only ${steps} of ${y2 - y1} rows`;
}

const server = await serve(dist);
const browser = await launch();
try {
  const page = await browser.newPage({ viewport: { width: 800, height: 600 }, deviceScaleFactor: 2 });
  const decoder = await browser.newPage();
  const log = [];
  page.on('pageerror', (e) => log.push(`error: ${e.message}`));
  await page.goto(`http://127.0.0.1:${server.address().port}/`);

  const first = await courtAt(page, decoder, 800, 600, 2, 'dpr2');
  if (!faults.length) {
    const why = sharpFault(first.court, first.shown.at);
    check(!why, `not sharp: ${why}`);
  }

  await page.setViewportSize({ width: 900, height: 700 });
  await courtAt(page, decoder, 900, 700, 2, 'resized');

  // A click launches the ball; each focus loss stops it, the focus back moves it.
  const losses = [
    ['the canvas blurred', () => Module.canvas.blur(), () => Module.canvas.focus()],
    ['the page hidden', () => {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => true });
      document.dispatchEvent(new Event('visibilitychange'));
    }, () => {
      delete document.hidden;
      document.dispatchEvent(new Event('visibilitychange'));
    }],
  ];
  for (const [what, lose, regain] of losses) {
    await page.mouse.click(450, 350);
    let a = await shot(page);
    await pause(200);
    check(!a.equals(await shot(page)), `before ${what}: the ball stands still`);
    await page.evaluate(lose);
    await pause(300);
    a = await shot(page);
    await pause(1000);
    check(a.equals(await shot(page)), `${what}: the game goes on`);
    await page.evaluate(regain);
    await pause(300);
    check(!a.equals(await shot(page)), `after ${what}: the game stays paused`);
  }
  if (faults.length) console.error(log.join('\n'));
} finally {
  await browser.close();
  server.close();
}
for (const f of faults) console.log(`FAIL: ${f}`);
console.log(faults.length ? `${faults.length} failed (screenshots in ${shots})` : 'ok: canvas size, density and focus');
process.exit(faults.length ? 1 : 0);
