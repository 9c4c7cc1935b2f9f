// The page in headless Chromium, played as a player plays it: the first
// picture is the Linux build's, a click launches the ball and is heard, five
// lost balls end the game, the name typed is kept in the table and in
// "Kestrova.res" across a reload and a restart of the browser, byte for byte
// what the Linux build writes; "Play again" starts a second game in the same
// page whose table holds the first game's result; a full table is left alone;
// losing the focus pauses the game. On an emulated phone, upright and turned,
// the whole court shows, a tap hits the ball and two fingers turn the camera.
// On a slow network the page shows how far the program and the sound are;
// without WebGL 2 the game says so.
//
//   node tests/web/game_test.mjs [dist]
// Needs an X display for the Linux build (scripts/with-display.sh), and
// KESTROVA_LINUX_BUILD (default build/) with kestrova and
// tests/web/expected_score_file built.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { decodePng, launch, launchWithProfile, listenersOf, serve, picture, waitForPicture } from './page.mjs';
import { steps } from './steps.mjs';
import { Court, isBackground } from './court.mjs';
import { linuxFirstPicture } from './linux_picture.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const repo = path.join(here, '../..');
const dist = path.resolve(process.argv[2] ?? path.join(repo, 'build-web/dist'));
const linuxBuild = path.resolve(process.env.KESTROVA_LINUX_BUILD ?? path.join(repo, 'build'));
const shots = process.env.KESTROVA_SHOTS ?? '/tmp/kestrova-web';
const width = 800, height = 600, lives = 5;
const court = new Court(width, height);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
fs.mkdirSync(shots, { recursive: true });

const requests = [];
const server = await serve(dist, requests);
const url = `http://127.0.0.1:${server.address().port}/`;
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrova-profile-'));
const browser = await launch();
const decoder = await browser.newPage();
let context = null;
const run = steps({ stopAtFailure: true });
const { step } = run;

function save(name, shown) { fs.writeFileSync(path.join(shots, `${name}.png`), shown.png); }

async function open() {
  context = await launchWithProfile(profile, { viewport: { width, height } });
  const page = context.pages()[0] ?? await context.newPage();
  page.log = [];
  page.on('console', (m) => page.log.push(`${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => page.log.push(`error: ${e.message}`));
  await page.goto(url);
  return page;
}

async function firstPicture(page, tag) {
  const { shown, why } = await waitForPicture(page, decoder, 60, (s) => court.atRestFault(s.at, lives, 0));
  save(tag, shown);
  assert.equal(why, '', `no first picture: ${why}\n${page.log.join('\n')}`);
  return shown;
}

// The dialog or box showing `text`, once it is up.
async function box(page, text) {
  const found = page.getByRole('dialog').filter({ hasText: text });
  await found.waitFor({ state: 'visible', timeout: 90000 });
  return found;
}

// The open dialog as the page shows it: caption, the texts of its parts in
// order, which part has the focus, its fonts, and where it is on the canvas.
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

// "Kestrova.res" as the page keeps it in IndexedDB (Emscripten's IDBFS: one
// database for the game's folder, an entry for each file), or null when
// there is none. `bytes` given, stores them there instead.
const folder = '/kestrova', fileKey = '/kestrova/Kestrova.res';
async function storedFile(page, bytes = null) {
  const found = await page.evaluate(([folder, key, bytes]) => new Promise((resolve, reject) => {
    const open = indexedDB.open(folder);
    open.onerror = () => reject(open.error);
    open.onsuccess = () => {
      const db = open.result;
      if (!db.objectStoreNames.contains('FILE_DATA')) return db.close(), resolve(null);
      const store = db.transaction('FILE_DATA', bytes ? 'readwrite' : 'readonly').objectStore('FILE_DATA');
      const request = bytes
        ? store.put({ timestamp: new Date(), mode: 0o100644, contents: new Uint8Array(bytes) }, key)
        : store.get(key);
      request.onerror = () => reject(request.error);
      request.onsuccess = () => {
        db.close();
        resolve(bytes || !request.result ? null : Array.from(request.result.contents));
      };
    };
  }), [folder, fileKey, bytes && Array.from(bytes)]);
  return found && Buffer.from(found);
}

// Plays from the first picture to "Game Over!": each ball hit once with a
// click beside it, so that it goes for a brick of its own and comes back past
// the racket, parked in a corner.
async function playUntilGameOver(page, tag, { listen = false, pauseCheck = false } = {}) {
  const start = await firstPicture(page, `${tag}-first`);
  const columns = [5, -5, 15, -15, 25];
  const [restX, restY] = court.ballAtRest();
  let score = 0;
  if (listen) {
    await sleep(1000);
    assert.ok(await page.evaluate(() => window.kestrovaAudioPeak?.() ?? 0) < 1e-4, 'sound before the click');
  }
  for (let ball = 0; ball < lives; ++ball) {
    const dx = Math.round((columns[ball] * court.scale) / 300);
    await page.mouse.click(restX + dx, restY);
    await page.mouse.move(4, height - 4, { steps: 4 });
    if (ball === 0 && listen) {
      let peak = 0;
      for (const end = Date.now() + 15000; peak < 0.02 && Date.now() < end; await sleep(200)) {
        peak = Math.max(peak, await page.evaluate(() => window.kestrovaAudioPeak?.() ?? 0));
      }
      assert.ok(peak >= 0.02, `no sound after the click launched the ball (peak ${peak})`);
    }
    if (ball === 0 && pauseCheck) await expectPausedWhileUnfocused(page, tag);
    if (ball + 1 === lives) break;
    const { shown, why } = await waitForPicture(page, decoder, 90,
      (s) => court.atRestFault(s.at, lives - 1 - ball));
    save(`${tag}-lost-${ball + 1}`, shown);
    assert.equal(why, '', `ball ${ball + 1} was not lost: ${why}`);
    const now = court.score(shown.at);
    assert.ok(now > score, `ball ${ball + 1} hit no brick (score ${now})`);
    score = now;
  }
}

// The canvas losing the focus stops the ball until it comes back.
async function expectPausedWhileUnfocused(page, tag) {
  await sleep(300);
  await page.evaluate(() => document.getElementById('canvas').blur());
  await sleep(500);
  const a = await picture(page, decoder);
  await sleep(1000);
  const b = await picture(page, decoder);
  save(`${tag}-paused`, b);
  assert.ok(a.png.equals(b.png), 'the ball moved while the page had no focus');
  await page.evaluate(() => document.getElementById('canvas').focus());
  // Bare screenshots: decoding one takes longer here than the whole wait,
  // which would leave a single look, taken before the game's next frame.
  let moved = false;
  for (const end = Date.now() + 10000; !moved && Date.now() < end; await sleep(250)) {
    moved = !(await page.screenshot()).equals(b.png);
  }
  assert.ok(moved, 'the game did not go on with the focus back');
}

// Closes "Best results" once it shows `names`; gives the score on the first one's line.
// "Kestrova.res" as the Linux build leaves it with `name` entered for
// `score`, over what the games before it left.
const expectedFolder = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrova-expected-'));
function expectedFile(name, score) {
  execFileSync(path.join(linuxBuild, 'tests/web/expected_score_file'), [name, String(score)], { cwd: expectedFolder });
  return fs.readFileSync(path.join(expectedFolder, 'Kestrova.res'));
}

async function closeResults(page, names) {
  const results = await box(page, 'Best results');
  for (const name of names) await results.getByText(name).first().waitFor({ timeout: 5000 });
  const line = await results.getByText(names[0]).first().textContent();
  save('results', await picture(page, decoder));
  await page.keyboard.press('Enter');
  await results.waitFor({ state: 'hidden', timeout: 10000 });
  return Number(line.trim().split(/\s+/).pop());
}

try {
  const linuxFirst = await linuxFirstPicture(path.join(linuxBuild, 'kestrova'), width, height, decoder);

  await step('the first picture is the Linux build\'s at the same size', async () => {
    const page = await open();
    // The game's picture alone: the page notes on it how far the sound font is until it is in.
    await page.waitForFunction(() => performance.getEntriesByName(new URL('TimGM6mb.sf2', location.href).href).length
      && document.getElementById('sound').hidden, null, { timeout: 60000 });
    const shown = await firstPicture(page, 'first');
    const different = court.differentOutsideTheBricks(linuxFirst.at, shown.at, 8);
    assert.ok(different <= (width * height) / 1000, `${different} pixels differ from the Linux build's`);
    await context.close();
  });

  await step('on a phone, upright and turned: the whole court; a tap hits the ball, two fingers turn the camera, the page stays put', async () => {
    const phone = await browser.newContext({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 2, hasTouch: true, isMobile: true });
    const page = await phone.newPage();
    page.log = [];
    page.on('pageerror', (e) => page.log.push(`error: ${e.message}`));
    await page.goto(url);
    // The game's own canvas is there once the program runs.
    await page.locator('#loading').waitFor({ state: 'hidden', timeout: 60000 });
    // The canvas alone, in its own (device) pixels: Court reads the game's
    // picture; fingers touch at CSS pixels, half of those.
    const canvasPicture = async () => decodePng(decoder, await page.locator('#canvas').screenshot());
    const until = async (what, seconds, fault) => {
      let shown, why;
      for (const end = Date.now() + seconds * 1000; ; await sleep(250)) {
        shown = await canvasPicture();
        why = fault(shown);
        if (!why || Date.now() > end) break;
      }
      assert.equal(why, '', `${what}: ${why}`);
      return shown;
    };
    // Upright the canvas is square, turned it is 4:3: the court and both
    // displays are in the picture either way.
    let phoneCourt = new Court(780, 780);
    save('phone-upright', await until('upright', 60, (p) => phoneCourt.atRestFault(p.at, lives, 0)));
    await page.setViewportSize({ width: 844, height: 390 });
    phoneCourt = new Court(1040, 780);
    save('phone-turned', await until('turned', 10, (p) => phoneCourt.atRestFault(p.at, lives, 0)));

    const canvas = await page.locator('#canvas').boundingBox();
    const [restX, restY] = phoneCourt.ballAtRest();
    // Tapped beside the ball, as the mouse clicks: it goes for a brick.
    await page.touchscreen.tap(canvas.x + (restX + (5 * phoneCourt.scale) / 300) / 2, canvas.y + restY / 2);
    const cdp = await phone.newCDPSession(page);
    const touch = (type, points) => cdp.send('Input.dispatchTouchEvent', {
      type, touchPoints: points.map(([x, y], id) => ({ x: canvas.x + x, y: canvas.y + y, id })),
    });
    const lost = await until('the tapped ball was not lost', 60, (p) => phoneCourt.atRestFault(p.at, lives - 1));
    assert.ok(phoneCourt.score(lost.at) > 0, 'the tapped ball hit no brick');

    // Two fingers dragged sideways: the camera turns, and the waiting ball stays.
    await touch('touchStart', [[200, 200]]);
    await touch('touchStart', [[200, 200], [320, 200]]);
    for (let dx = 5; dx <= 30; dx += 5) await touch('touchMove', [[200 + dx, 200], [320 + dx, 200]]);
    await touch('touchEnd', []);
    const turned = await until('the camera did not turn', 10, (p) => (phoneCourt.atRestFault(p.at, lives - 1) ? '' : 'the picture is as before'));
    save('phone-camera', turned);
    await sleep(1000);
    assert.ok((await canvasPicture()).png.equals(turned.png), 'two fingers launched the ball');

    const still = await page.evaluate(() => {
      const menu = new MouseEvent('contextmenu', { bubbles: true, cancelable: true });
      return { scroll: [scrollX, scrollY], zoom: visualViewport.scale,
               menu: !document.getElementById('canvas').dispatchEvent(menu) };
    });
    assert.deepEqual(still, { scroll: [0, 0], zoom: 1, menu: true }, 'the page scrolled, zoomed or would show a menu');
    await phone.close();
  });

  await step('loading: the page says how far the program and the sound are; without WebGL 2, the game\'s own message', async () => {
    // From the network itself: a service worker's answers are not slowed.
    const slow = await browser.newContext({ viewport: { width, height }, serviceWorkers: 'block' });
    let page = await slow.newPage();
    // About a second for the program, several for the sound font.
    const cdp = await slow.newCDPSession(page);
    await cdp.send('Network.emulateNetworkConditions', { offline: false, latency: 20, downloadThroughput: 1 << 20, uploadThroughput: 1 << 20 });
    const seen = new Set();
    const watch = setInterval(() => page.evaluate(() => [...document.querySelectorAll('[role=status]')]
      .filter((e) => !e.hidden && !e.closest('[hidden]')).map((e) => e.textContent))
      .then((texts) => texts.forEach((t) => seen.add(t)), () => {}), 50);
    await page.goto(url);
    await page.locator('#loading').waitFor({ state: 'hidden', timeout: 60000 });
    await page.mouse.click(width / 2, height / 2);  // the first click lets the sound in
    await page.waitForFunction(() => document.getElementById('sound').hidden === false, null, { timeout: 20000 });
    await page.waitForFunction(() => document.getElementById('sound').hidden, null, { timeout: 60000 });
    clearInterval(watch);
    const between = (what) => [...seen].some((t) => { const m = t.match(new RegExp(`^${what}: (\\d+) %$`)); return m && m[1] > 0 && m[1] < 100; });
    assert.ok(between('Loading the program') && between('Loading the sound'), `no progress shown: ${[...seen].join(' | ')}`);
    await slow.close();

    const noGl = await browser.newContext({ viewport: { width, height } });
    await noGl.addInitScript(() => {
      const get = HTMLCanvasElement.prototype.getContext;
      HTMLCanvasElement.prototype.getContext = function (type, ...rest) { return type === 'webgl2' ? null : get.call(this, type, ...rest); };
    });
    page = await noGl.newPage();
    await page.goto(url);
    await box(page, 'DirectX not found');
    await page.keyboard.press('Enter');
    await page.locator('#ended-text').filter({ hasText: 'WebGL 2' }).waitFor({ timeout: 10000 });
    assert.ok(await page.locator('#again').isHidden(), '"Play again" is offered where no game can run');
    save('no-webgl2', await picture(page, decoder));
    await noGl.close();
  });

  let name = 'Zoë Kovač', score = 0, expected = null;
  await step('a whole game: heard from the click, "Game Over!", the name typed, the table', async () => {
    const page = await open();
    await playUntilGameOver(page, 'game', { listen: true });
    await box(page, 'Game Over!');
    const over = await openDialog(page);
    assert.equal(over.caption, '', 'the box has a caption');
    assert.ok(over.tags.at(-1) === 'BUTTON' && over.texts.at(-1) === 'OK' && over.focus === over.texts.length - 1,
              `the box has no focused OK: ${JSON.stringify(over)}`);
    assert.ok(Math.abs(over.centre[0]) <= 1 && Math.abs(over.centre[1]) <= 1, `the box is not centred: ${over.centre}`);
    save('game-over', await picture(page, decoder));
    await page.keyboard.press('Enter');
    const dialog = await box(page, 'Enter your name');
    const ask = await openDialog(page);
    assert.deepEqual([ask.tags, ask.texts.slice(1)], [['INPUT', 'BUTTON', 'BUTTON'], ['OK', 'Cancel']],
                     'the name dialog\'s parts are not the template\'s');
    assert.ok(ask.focus === 0 && ask.inside, `the name field has no focus, or the dialog is off the canvas: ${JSON.stringify(ask)}`);
    await page.keyboard.type(name);
    save('name', await picture(page, decoder));
    await page.keyboard.press('Enter');
    await dialog.waitFor({ state: 'hidden' });
    await box(page, 'Best results');
    assert.match((await openDialog(page)).fonts[1], /mono|courier/i, 'the results are not in a fixed-width font');
    score = await closeResults(page, [name]);
    assert.ok(score >= 4, `the results show ${score}, less than the four balls hit before the last`);
    // The program has ended: the page keeps its last picture and offers the next game.
    await page.locator('#again').waitFor({ state: 'visible', timeout: 10000 });
    assert.ok(await page.evaluate(() => document.activeElement?.id === 'again'), '"Play again" has not the focus');
    const last = await picture(page, decoder);
    save('ended', last);
    assert.ok(isBackground(last.at(3, 3)) && isBackground(last.at(width - 4, height - 4)), 'the last picture is gone');
    // Nothing of the ended program listens on, nor holds the sound: the page's own two listeners are left.
    assert.deepEqual(await listenersOf(page), { window: 'error,unhandledrejection', document: '', canvas: '' },
                     'the ended program still listens to the page');
    assert.equal(await page.evaluate(() => typeof window.kestrovaAudioPeak), 'undefined', 'the ended program kept its sound');
    expected = expectedFile(name, score);
    assert.deepEqual(await storedFile(page), expected, 'the page\'s Kestrova.res is not the Linux build\'s');
  });

  await step('"Play again": a second game in the same page, whose table shows the first game\'s result', async () => {
    const page = context.pages()[0];
    await page.evaluate(() => { window.kestrovaSamePage = true; });
    await page.locator('#again').click();
    assert.ok(await page.evaluate(() => document.activeElement === document.getElementById('canvas')),
              'the new game\'s canvas has not the focus');
    await playUntilGameOver(page, 'again');
    await box(page, 'Game Over!');
    await page.keyboard.press('Enter');
    await box(page, 'Enter your name');
    await page.keyboard.type('Ann');
    await page.keyboard.press('Enter');
    const second = await closeResults(page, ['Ann', name]);
    assert.ok(await page.evaluate(() => window.kestrovaSamePage === true), 'the page was loaded again');
    expected = expectedFile('Ann', second);
    assert.deepEqual(await storedFile(page), expected, 'the second game\'s Kestrova.res is not the Linux build\'s');
  });

  await step('the table is kept across a reload and a restart of the browser', async () => {
    let page = context.pages()[0];
    await page.reload();
    await firstPicture(page, 'reloaded');
    assert.deepEqual(await storedFile(page), expected, 'Kestrova.res changed over a reload');
    await context.close();
    page = await open();
    await firstPicture(page, 'restarted');
    assert.deepEqual(await storedFile(page), expected, 'Kestrova.res changed over a restart');
    await context.close();
  });

  await step('below a full table: straight to the results, the file left alone; focus loss pauses', async () => {
    const page = await open();
    await firstPicture(page, 'full-first');
    const full = Buffer.alloc(4 + 10 * 24);
    full.writeInt32LE(10, 0);
    for (let k = 0; k < 10; ++k) {
      full.write(`Champion ${k + 1}`, 4 + k * 24, 'latin1');
      full.writeInt32LE(99000 - 1000 * k, 4 + k * 24 + 20);
    }
    await storedFile(page, full);
    await page.reload();
    await playUntilGameOver(page, 'full', { pauseCheck: true });
    await box(page, 'Game Over!');
    await page.keyboard.press('Enter');
    await closeResults(page, ['Champion 1', 'Champion 10']);
    assert.equal(await page.getByRole('dialog').filter({ hasText: 'Enter your name' }).count(), 0);
    assert.deepEqual(await storedFile(page), full, 'the full table was written over');
    await context.close();
  });
} catch (e) {
  run.failed = true;
  for (const page of context?.pages() ?? []) console.error(page.log?.join('\n'));
} finally {
  await context?.close().catch(() => {});
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
  fs.rmSync(expectedFolder, { recursive: true, force: true });
}
console.log(run.failed ? `FAIL (screenshots in ${shots})` : `ok: the page plays as the Linux build does (screenshots in ${shots})`);
process.exit(run.failed ? 1 : 0);
