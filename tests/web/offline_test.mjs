// The page installed for offline play, in headless Chromium: after a first
// visit a reload without the network plays from the service worker, every
// file from it; a second build at the same address replaces the first on the
// next visit but one, never while a page of the first still runs, and no page
// ever gets files of both, nor does the worker keep any of another build; a
// host without the worker plays online as before; Chrome finds the page
// installable (manifest, icons, worker).
//
//   node tests/web/offline_test.mjs [dist]
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchWithProfile, waitForPicture } from './page.mjs';
import { steps } from './steps.mjs';
import { Court } from './court.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const repo = path.join(here, '../..');
const first = path.resolve(process.argv[2] ?? path.join(repo, 'build-web/dist'));
const width = 800, height = 600;
const court = new Court(width, height);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// The second build: the first with one file changed and its worker written
// again, as the build writes it.
const second = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrova-second-build-'));
fs.cpSync(first, second, { recursive: true });
fs.appendFileSync(path.join(second, 'index.html'), '<!-- the second build -->\n');
execFileSync('cmake', [`-DDIST=${second}`, `-DTEMPLATE=${path.join(repo, 'app/web/offline_worker.js')}`,
                       '-P', path.join(repo, 'packaging/web/offline_worker.cmake')]);
const builds = { first, second };

// One address, serving one build at a time as a static host does (but for the
// worker, which may be ahead while a copy is under way); each file says which
// build it came from, and may not be kept in the HTTP cache (where a file of
// the first build would carry its name into the second). Offline, it answers
// nothing.
const host = { build: 'first', worker: 'first', offline: false, hidden: new Set(), asked: [] };
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.webmanifest': 'application/manifest+json', '.png': 'image/png' };
const server = http.createServer((req, res) => {
  const name = decodeURIComponent(req.url.split('?')[0]).slice(1) || 'index.html';
  host.asked.push(name);
  if (host.offline) return req.socket.destroy();
  const build = name === 'offline_worker.js' ? host.worker : host.build;
  const file = path.join(builds[build], path.basename(name));
  if (host.hidden.has(name) || !fs.existsSync(file)) return res.writeHead(404).end();
  res.writeHead(200, {
    'Content-Type': types[path.extname(name)] ?? 'application/octet-stream', 'X-Build': build,
    'Cache-Control': 'no-store',
  })
    .end(fs.readFileSync(file));
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const url = `http://127.0.0.1:${server.address().port}/`;

// A profile of its own: Chrome installs no page from an incognito one.
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrova-profile-'));
const context = await launchWithProfile(profile, { viewport: { width, height } });
const decoder = context.pages()[0] ?? await context.newPage();
const run = steps();
const { step } = run;

// A page that records, for each document it shows, every file it got: from
// which build, and whether the worker answered. A file the host does not have
// (the browser's own favicon.ico) is of no build.
async function open(context) {
  const page = await context.newPage();
  page.documents = [];
  page.log = [];
  page.on('request', (request) => {
    if (request.isNavigationRequest() && request.frame() === page.mainFrame()) page.documents.push([]);
  });
  page.on('response', (response) => {
    if (!response.ok()) return;
    const name = new URL(response.url()).pathname.slice(1) || 'index.html';
    page.documents.at(-1)?.push({ name, build: response.headers()['x-build'], worker: response.fromServiceWorker() });
  });
  page.on('console', (m) => page.log.push(`${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => page.log.push(`error: ${e.message}`));
  return page;
}

const got = (page) => page.documents.at(-1) ?? [];

// Waits until the page has all it fetches: the sound font comes last, after
// the first picture.
async function loaded(page) {
  for (const end = Date.now() + 60000; !got(page).some((f) => f.name === 'TimGM6mb.sf2'); await sleep(200)) {
    assert.ok(Date.now() < end, `the page never fetched the sound font\n${page.log.join('\n')}`);
  }
}

async function firstPicture(page) {
  const { why } = await waitForPicture(page, decoder, 60, (s) => court.atRestFault(s.at, 5, 0));
  assert.equal(why, '', `no first picture: ${why}\n${page.log.join('\n')}`);
}

// Every document the page showed got all its files from one build.
function oneBuildEach(page) {
  for (const files of page.documents) {
    const seen = new Set(files.map((f) => f.build));
    assert.equal(seen.size, 1, `a page got files of two builds: ${JSON.stringify(files)}`);
  }
}

// The comment after </html> is the document's own last child.
const buildOf = (page) => page.evaluate(() => (document.lastChild.nodeType === Node.COMMENT_NODE
  && document.lastChild.data.includes('the second build') ? 'second' : 'first'));
const kept = (page) => page.evaluate(async () => {
  const names = await caches.keys();
  return Promise.all(names.map(async (name) => [name, (await (await caches.open(name)).keys())
    .map((r) => new URL(r.url).pathname.slice(1)).sort()]));
});
const waiting = (page) => page.evaluate(async () => !!(await navigator.serviceWorker.getRegistration())?.waiting);
// What an install keeps: all but the worker, and the model reader, kept only
// once a page asks for it.
const reader = ['kestrova_model_reader.js', 'kestrova_model_reader.wasm'];
const distFiles = (dist) => fs.readdirSync(dist).filter((name) => name !== 'offline_worker.js' && !reader.includes(name)).sort();

try {
  await step('a host without the worker: the page plays online as before', async () => {
    host.hidden.add('offline_worker.js');
    const page = await open(context);
    await page.goto(url);
    await firstPicture(page);
    assert.equal(await page.evaluate(() => navigator.serviceWorker.getRegistration().then((r) => !!r)), false);
    host.hidden.clear();
    await page.close();
  });

  const player = await open(context);
  await step('the first visit keeps every file of the build; Chrome finds the page installable', async () => {
    const since = host.asked.length;
    await player.goto(url);
    await loaded(player);
    await player.waitForFunction(() => navigator.serviceWorker.controller, null, { timeout: 30000 });
    // Its install would slow the first picture and fetch the sound font twice.
    const asked = host.asked.slice(since);
    assert.ok(asked.indexOf('offline_worker.js') > asked.indexOf('TimGM6mb.sf2'), `worker before the game's files: ${asked}`);
    const caches = await kept(player);
    assert.equal(caches.length, 1, `not one build kept: ${caches.map((c) => c[0])}`);
    assert.deepEqual(caches[0][1], distFiles(first), 'the worker does not keep the whole build');
    assert.ok(await player.evaluate(() => fetch('kestrova_model_reader.js').then((r) => r.ok)), 'no reader');
    assert.deepEqual((await kept(player))[0][1], [...distFiles(first), reader[0]].sort(), 'the reader was not kept once asked for');
    const cdp = await context.newCDPSession(player);
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, [], 'Chrome would not install the page');
  });

  await step('a reload without the network plays, every file from the worker', async () => {
    await context.setOffline(true);
    host.offline = true;
    try {
      const asked = host.asked.length;
      await player.reload();
      await firstPicture(player);
      await loaded(player);
      const files = got(player);
      for (const name of ['index.html', 'offline.js', 'kestrova.js', 'kestrova.wasm', 'TimGM6mb.sf2',
                          'libfluidsynth-2.4.6.js', 'js-synthesizer.min.js']) {
        assert.ok(files.some((f) => f.name === name), `the page did not get ${name}: ${JSON.stringify(files)}`);
      }
      assert.deepEqual(files.filter((f) => !f.worker), [], 'files came from elsewhere than the worker');
      assert.deepEqual(host.asked.slice(asked), [], 'the host was asked while offline');
    } finally {
      await context.setOffline(false);
      host.offline = false;
    }
  });

  const other = await open(context);
  await step('a worker ahead of its build\'s files installs nothing', async () => {
    host.worker = 'second';
    const asked = host.asked.length;
    await other.goto(url);
    await loaded(other);
    // The page's own files come from the first worker: what the host is asked
    // for after the new worker is its install's.
    const installFetched = () => {
      const since = host.asked.slice(asked);
      return since.slice(since.indexOf('offline_worker.js') + 1).some((name) => distFiles(first).includes(name));
    };
    const installing = () => other.evaluate(async () => !!(await navigator.serviceWorker.getRegistration()).installing);
    for (const end = Date.now() + 30000; !host.asked.slice(asked).includes('offline_worker.js') || !installFetched()
      || await installing(); await sleep(200)) {
      assert.ok(Date.now() < end, 'the browser never tried to install the second build\'s worker');
    }
    assert.equal(await waiting(other), false, 'a worker of the second build was installed with files of the first');
    assert.equal((await kept(other)).length, 1, 'the failed install left files behind');
  });

  await step('a second build waits while a page of the first plays', async () => {
    host.build = 'second';
    await other.reload();
    await loaded(other);
    assert.equal(await buildOf(other), 'first');
    for (const end = Date.now() + 30000; !await waiting(other); await sleep(200)) {
      assert.ok(Date.now() < end, 'the second build was never installed');
    }
    // The player's page still plays the first build: the second may not take over.
    const shown = player.documents.length;
    await other.reload();
    await loaded(other);
    assert.equal(await buildOf(other), 'first');
    assert.equal(other.documents.length, 3, 'the page reloaded');
    assert.ok(await waiting(other), 'the second build took over under the player\'s page');
    assert.equal(await buildOf(player), 'first');
    assert.equal(player.documents.length, shown, 'the player\'s page reloaded');
    oneBuildEach(other);
    oneBuildEach(player);
    await other.close();
  });

  await step('the next visit alone starts the second build, and the first is dropped', async () => {
    const shown = player.documents.length;
    await player.reload();
    await loaded(player);
    assert.equal(await buildOf(player), 'second');
    assert.equal(got(player)[0].build, 'second');
    assert.equal(player.documents.length, shown + 2, 'the page did not reload once into the second build');
    oneBuildEach(player);
    const caches = await kept(player);
    assert.equal(caches.length, 1, `the first build is still kept: ${caches.map((c) => c[0])}`);
    assert.deepEqual(caches[0][1], distFiles(second));
    await firstPicture(player);
  });
} catch (e) {
  run.failed = true;
  console.log(`FAIL: ${e.message}`);
} finally {
  await context.close();
  server.close();
  fs.rmSync(second, { recursive: true, force: true });
  fs.rmSync(profile, { recursive: true, force: true });
}
console.log(run.failed ? 'FAIL' : 'ok: the page plays offline and takes up a new build whole');
process.exit(run.failed ? 1 : 0);
