// Frame::Load in the browser reads each model in a Web Worker of its own: a
// good .x file gives its frames, hostile ones (a stack-breaking nest, a huge
// vertex count, garbage) give D3DRMERR_BADFILE, and the page lives on to load
// the good file again. The game's own page fetches nothing of the reader.
//
//   node tests/web/model_test.mjs [build dir] [screenshot.png]
// The build folder holds dist/ and model-page/ (the target kestrova_model_page).
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { serve, launch } from './page.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const build = path.resolve(process.argv[2] ?? path.join(here, '../../build-web'));
const shot = process.argv[3] ?? '/tmp/kestrova-model-page.png';
const BADFILE = '88760314';
const box = '(0,0,0)[Box(1,2,3)[Lid(1,7,3)[]]]';
const expected = [
  `box.x 00000000 ${box}`,
  `deep.x ${BADFILE} (0,0,0)[]`,
  `huge-count.x ${BADFILE} (0,0,0)[]`,
  `garbage.x ${BADFILE} (0,0,0)[]`,
  `box-again.x 00000000 ${box}`,
];
const page = `<!doctype html><meta charset="utf-8"><pre id="out"></pre><script>
var Module = { print: (line) => { document.getElementById('out').textContent += line + '\\n'; console.log(line); } };
</script><script src="kestrova_model_page.js"></script>`;

const faults = [];
const browser = await launch();
try {
  // The test program and its page, with the reader from dist/, in one folder.
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrova-model-'));
  fs.writeFileSync(path.join(root, 'index.html'), page);
  for (const f of ['kestrova_model_page.js', 'kestrova_model_page.wasm'])
    fs.symlinkSync(path.join(build, 'model-page', f), path.join(root, f));
  for (const f of ['kestrova_model_reader.js', 'kestrova_model_reader.wasm'])
    fs.symlinkSync(path.join(build, 'dist', f), path.join(root, f));
  const pages = await serve(root);
  const tab = await browser.newPage();
  const errors = [];
  tab.on('pageerror', (e) => errors.push(String(e)));
  const lines = [];
  tab.on('console', (m) => lines.push(m.text()));
  await tab.goto(`http://127.0.0.1:${pages.address().port}/`);
  // A reader's failure is answered at once: all five loads take far less
  // than the 30 s one that waited for the deadline would.
  await tab.waitForFunction(() => document.getElementById('out').textContent.includes('done\n'), null,
    { timeout: 25000 }).catch(() => faults.push('the loads did not finish in time'));
  const shown = lines.filter((l) => /^\S+\.x /.test(l));
  expected.forEach((want, i) => { if (shown[i] !== want) faults.push(`load ${i}: "${shown[i]}", not "${want}"`); });
  if (errors.length) faults.push(`the page failed: ${errors.join('; ')}`);
  if (!(await tab.evaluate(() => typeof ABORT !== 'undefined' && !ABORT))) faults.push('the program aborted');
  await tab.screenshot({ path: shot });

  // The game itself: its page asks for no part of the reader.
  const gameRequests = [];
  const game = await serve(path.join(build, 'dist'), gameRequests);
  const gameTab = await browser.newPage();
  await gameTab.goto(`http://127.0.0.1:${game.address().port}/`);
  await gameTab.waitForTimeout(3000);
  if (!gameRequests.some((r) => r.path === '/kestrova.wasm')) faults.push('the game page did not start');
  if (gameRequests.some((r) => r.path.startsWith('/kestrova_model_reader'))) faults.push('the game fetched the reader');
  for (const s of [pages, game]) s.close();
  fs.rmSync(root, { recursive: true });
} finally {
  await browser.close();
}
if (faults.length) {
  console.error(`model_test: FAIL\n  ${faults.join('\n  ')}`);
  process.exit(1);
}
console.log(`model_test: ok (${shot})`);
