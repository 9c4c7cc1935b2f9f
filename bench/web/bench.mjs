// The web build's benchmarks in headless Chromium (tests/web/page.mjs
// launches it as the page's tests do), each page served by
// bench/web/gzip_server.mjs. Prints "RESULT <name> <value>" and
// "INFO <name> <text>" lines for bench/run.sh; exits 1 when a benchmark
// cannot run, never on a figure.
//
//   node bench/web/bench.mjs WEB_BUILD_DIR [--smoke] [frame] [start-up] [idle]
//
// Every measurement when none is named:
//
// - frame: bench/web/frame_bench.cpp on its page, the game against the bare
//   program at three sizes.
// - start-up: from navigation to the first picture (bench/web/first_picture.mjs),
//   the game's page (dist/) and the minimal page (bench/minimal_gl.cpp) in
//   turn, each in a new browser context (nothing cached); and what the game's
//   page had fetched before its first picture, as gzip put it on the wire,
//   and what it fetched after, until quiet.
// - idle: the processor time of every process of a browser of its own
//   (/proc/<pid>/stat, user + system, children included) while the game's
//   ball waits and nothing is touched.
import fs from 'node:fs';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { launch } from '../../tests/web/page.mjs';
import { firstPictureOf, watchFirstPicture } from './first_picture.mjs';
import { GzipServer } from './gzip_server.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const args = process.argv.slice(2);
const smoke = args.includes('--smoke');
const [buildArg, ...named] = args.filter((a) => !a.startsWith('--'));
const measurements = ['frame', 'start-up', 'idle'];
if (!buildArg || named.some((n) => !measurements.includes(n))) {
  console.error(`usage: node bench/web/bench.mjs WEB_BUILD_DIR [--smoke] [${measurements.join('] [')}]`);
  process.exit(2);
}
const chosen = named.length ? named : measurements;
const build = path.resolve(buildArg);
const dist = path.join(build, 'dist');
const frameDir = path.join(build, 'bench/web/frame');
const minimalDir = path.join(build, 'bench/web/minimal');

const starts = smoke ? 1 : 5;
const idleSeconds = smoke ? 2 : 10;
// A page has fetched all it will once nothing was asked or answered for this long.
const quietMs = 1500;

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const result = (name, value) => console.log(`RESULT ${name} ${value}`);
const info = (name, text) => console.log(`INFO ${name} ${text}`);
const median = (values) => {
  const v = [...values].sort((a, b) => a - b);
  return v.length % 2 ? v[(v.length - 1) / 2] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2;
};

function within(promise, seconds, what) {
  let timer;
  const late = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(`${what}: nothing after ${seconds} s`)), seconds * 1000);
  });
  return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

// One start of the page `server` serves, in a new context of `browser`:
// { draw, picture } in ms since navigation, `shownAt` in ms since the epoch,
// and the context, for the caller to close.
async function firstPicture(browser, server, tag) {
  server.tag = tag;
  const context = await browser.newContext({ viewport: { width: 1280, height: 720 } });
  try {
    const { shown } = await watchFirstPicture(context);
    const page = await context.newPage();
    const faults = [];
    page.on('pageerror', (e) => faults.push(e.message));
    page.on('crash', () => faults.push('the page crashed'));
    await page.goto(server.url, { waitUntil: 'commit' });
    await within(shown, 60, `${tag}: the first picture${faults.length ? ` (${faults.join('; ')})` : ''}`);
    const { draw, picture: at, origin } = await firstPictureOf(page);
    return { draw, picture: at, shownAt: origin + at, context, page, faults };
  } catch (e) {
    await context.close();
    throw e;
  }
}

// Waits until `server` has answered everything asked under `tag` and nothing
// new was asked for `quietMs`, or `seconds` pass.
async function settled(server, tag, seconds) {
  const deadline = Date.now() + seconds * 1000;
  for (;;) {
    const entries = server.log.filter((e) => e.tag === tag);
    const open = entries.some((e) => !e.finished);
    const last = Math.max(0, ...entries.map((e) => e.finished));
    if (!open && Date.now() - last >= quietMs) return true;
    if (Date.now() > deadline) return false;
    await pause(100);
  }
}

// Bytes of the bodies answered under `tag`, before or after `at` (ms since the epoch).
function bytes(server, tag, at) {
  const entries = server.log.filter((e) => e.tag === tag && e.finished);
  const before = entries.filter((e) => e.finished <= at);
  const after = entries.filter((e) => e.finished > at);
  const sum = (list) => list.reduce((total, e) => total + e.bytes, 0);
  const names = (list) => list.map((e) => `${e.path}${e.byWorker ? '(worker)' : ''}`).join(' ');
  return { before: sum(before), beforeByWorker: sum(before.filter((e) => e.byWorker)), after: sum(after),
           beforeNames: names(before), afterNames: names(after) };
}

async function measureFrame(browser) {
  const server = await new GzipServer(frameDir).listen();
  const page = await browser.newPage({ viewport: { width: 1920 * 2 + 40, height: 1080 } });
  try {
    let end;
    const ended = new Promise((resolve) => { end = resolve; });
    const lines = [];
    await page.exposeFunction('kestrovaOut', (stream, text) => {
      if (stream === 1) lines.push(text);
      else process.stderr.write(`frame bench: ${text}\n`);
    });
    await page.exposeFunction('kestrovaEnd', (how) => end(how));
    page.on('crash', () => end({ fault: 'the page crashed' }));
    await page.goto(`${server.url}${smoke ? '?--smoke' : ''}`);
    const how = await within(ended, smoke ? 180 : 600, 'the frame benchmark');
    for (const line of lines) {
      const [kind, name, ...rest] = line.split(' ');
      if (kind === 'RESULT') result(`web_${name}`, rest.join(' '));
    }
    if (how.fault !== undefined || how.status !== 0) throw new Error(`the frame benchmark: ${how.fault ?? `exit ${how.status}`}`);
    info('web_renderer', await page.evaluate(() => {
      const gl = document.createElement('canvas').getContext('webgl2');
      const names = gl.getExtension('WEBGL_debug_renderer_info');
      return String(gl.getParameter(names ? names.UNMASKED_RENDERER_WEBGL : gl.RENDERER));
    }));
  } finally {
    await page.close();
    await server.close();
  }
}

// The game's page and the minimal page in turn, a new context each start.
async function measureStarts(browser) {
  const game = await new GzipServer(dist).listen();
  const minimal = await new GzipServer(minimalDir).listen();
  game.warm();
  minimal.warm();
  try {
    const gameMs = [], minimalMs = [], before = [], byWorker = [];
    for (let i = 0; i < starts; ++i) {
      const tag = `game-${i}`;
      const g = await firstPicture(browser, game, tag);
      gameMs.push(g.picture);
      // What it fetches after the first picture (the synthesiser and the
      // sound font) is fetched with nothing else to do: counted once quiet.
      if (!(await settled(game, tag, 60))) console.error(`bench.mjs: the game's page still fetching 60 s after its first picture`);
      const b = bytes(game, tag, g.shownAt);
      before.push(b.before);
      byWorker.push(b.beforeByWorker);
      if (i === 0) {
        info('web_fetched_before_first_picture', b.beforeNames);
        info('web_fetched_after_first_picture', b.afterNames);
        result('web_after_first_picture_mb', (b.after / 1e6).toFixed(3));
      }
      if (g.faults.length) console.error(`bench.mjs: the game's page: ${g.faults.join('; ')}`);
      await g.context.close();

      const m = await firstPicture(browser, minimal, `minimal-${i}`);
      minimalMs.push(m.picture);
      await m.context.close();
    }
    info('web_startup_game_starts_ms', gameMs.map((v) => v.toFixed(0)).join(' '));
    info('web_startup_minimal_starts_ms', minimalMs.map((v) => v.toFixed(0)).join(' '));
    result('web_startup_game_ms', median(gameMs).toFixed(1));
    result('web_startup_minimal_ms', median(minimalMs).toFixed(1));
    result('web_startup_ratio', (median(gameMs) / median(minimalMs)).toFixed(3));
    result('web_startup_starts', starts);
    // The same files each start; the largest, should one differ.
    const most = before.indexOf(Math.max(...before));
    result('web_first_visit_mb', (before[most] / 1e6).toFixed(3));
    result('web_first_visit_worker_mb', (byWorker[most] / 1e6).toFixed(3));
  } finally {
    await game.close();
    await minimal.close();
  }
}

// Every process's parent and its utime + stime with the times of its children
// already waited for (cutime + cstime), so a process that ends meanwhile
// still counts; in clock ticks.
function processes() {
  const parent = new Map(), ticks = new Map();
  for (const name of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    let stat;
    try {
      stat = fs.readFileSync(`/proc/${name}/stat`, 'utf8');
    } catch {
      continue;  // gone meanwhile
    }
    const f = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
    parent.set(Number(name), Number(f[1]));
    ticks.set(Number(name), Number(f[11]) + Number(f[12]) + Number(f[13]) + Number(f[14]));
  }
  return { parent, ticks };
}

// The browser: the one process this one started (the gzip server runs in this one).
function browserProcess() {
  const { parent } = processes();
  const children = [...parent].filter(([, p]) => p === process.pid).map(([pid]) => pid);
  if (children.length !== 1) throw new Error(`${children.length} child processes, not one browser`);
  return children[0];
}

// The ticks of `root` and of every process below it, by process.
function tree(root) {
  const { parent, ticks } = processes();
  const below = new Map();
  for (const [pid, t] of ticks) {
    for (let p = pid; p > 1; p = parent.get(p) ?? 0) {
      if (p === root) {
        below.set(pid, t);
        break;
      }
    }
  }
  return below;
}

// Chromium's name for the kind of a process of it: renderer, gpu-process, ...
function kindOf(pid) {
  try {
    return /--type=([^\s\0]+)/.exec(fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8'))?.[1] ?? 'browser';
  } catch {
    return 'ended';
  }
}

// A browser of its own with one page only, `dir` served: every process of it
// counts. The game's page is measured with the focus on its canvas, as a
// player leaves it (without the focus the game pauses); `name` prefixes the
// results.
async function measureIdle(dir, name, game) {
  const server = await new GzipServer(dir).listen();
  const browser = await launch();
  try {
    const g = await firstPicture(browser, server, name);
    await settled(server, name, 60);
    await pause(2000);
    const focused = await g.page.evaluate(() =>
      document.hasFocus() && document.activeElement === document.getElementById('canvas'));
    if (game && !focused) throw new Error('the game\'s canvas has no focus: it would pause');
    const root = browserProcess();
    const tick = Number(execFileSync('getconf', ['CLK_TCK']).toString());
    const a = tree(root), t0 = performance.now();
    await pause(idleSeconds * 1000);
    const b = tree(root), t1 = performance.now();
    if (g.faults.length) throw new Error(`${name}: ${g.faults.join('; ')}`);
    const seconds = (t1 - t0) / 1000;
    const percent = (ticks) => ((100 * ticks) / tick / seconds).toFixed(2);
    const sum = (m) => [...m.values()].reduce((total, t) => total + t, 0);
    result(`${name}_cpu_percent`, percent(sum(b) - sum(a)));
    result(`${name}_seconds`, seconds.toFixed(1));
    const kinds = new Map();
    for (const [pid, t] of b) kinds.set(kindOf(pid), (kinds.get(kindOf(pid)) ?? 0) + t - (a.get(pid) ?? 0));
    info(`${name}_by_process`, `${b.size} processes: ${[...kinds].map(([k, t]) => `${k} ${percent(t)} %`).join(', ')}`);
    await g.context.close();
  } finally {
    await browser.close();
    await server.close();
  }
}

for (const dir of [dist, frameDir, minimalDir]) {
  if (!fs.existsSync(path.join(dir, 'index.html'))) {
    console.error(`bench.mjs: no ${path.relative(process.cwd(), dir)}/index.html: build the web benchmarks first (bench/web/build.sh)`);
    process.exit(1);
  }
}
let failed = false;
async function run(name, measure) {
  if (!chosen.includes(name)) return;
  try {
    await measure();
  } catch (e) {
    failed = true;
    console.error(`bench.mjs: ${name}: ${e.message}`);
  }
}
const browser = await launch();
info('web_browser', `Chromium ${browser.version()}, headless, ${path.relative(path.join(here, '../..'), build) || build}`);
await run('frame', () => measureFrame(browser));
await run('start-up', () => measureStarts(browser));
// Gone before the idle browser is measured: nothing of it runs meanwhile.
await browser.close();
await run('idle', () => measureIdle(dist, 'web_idle', true));
// The same for the minimal page: what the browser costs of itself.
await run('idle', () => measureIdle(minimalDir, 'web_idle_minimal', false));
process.exit(failed ? 1 : 0);
