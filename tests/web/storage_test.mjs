// The best results kept in IndexedDB, in headless Chromium: a result saved by
// the game's own code (storage_probe.cpp, loaded in a page again and again) is
// in IndexedDB at once and read back after a reload byte for byte; a save the
// browser's storage refuses (full, or IndexedDB denied) is a failure, with the
// file as it was, and a table that could not be read never passes for none.
//
//   node tests/web/storage_test.mjs <folder holding storage_probe.js and .wasm>
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { chromium } from 'playwright-core';

const folder = path.resolve(process.argv[2] ?? 'build-web/tests');
const page = '<!doctype html><meta charset="utf-8"><script>var Module = {' +
  ' print: (t) => console.log(t), printErr: (t) => console.error(t) };</script>' +
  '<script src="storage_probe.js"></script>';
const server = http.createServer((req, res) => {
  const name = path.basename(req.url.split('?')[0]);
  if (!name) return res.writeHead(200, { 'Content-Type': 'text/html' }).end(page);
  fs.readFile(path.join(folder, name), (err, data) => {
    if (err) return res.writeHead(404).end();
    const type = name.endsWith('.wasm') ? 'application/wasm' : 'text/javascript';
    res.writeHead(200, { 'Content-Type': type }).end(data);
  });
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

// One run of the probe: what it said, as { before, unreadable, save, after }.
async function run(tab, how = (t) => t.goto(origin)) {
  const said = {};
  const listen = (m) => {
    const [, key, value] = m.text().match(/^(\w+)(?:: (.*))?$/) ?? [];
    if (key) said[key] = value ?? '';
  };
  tab.on('console', listen);
  await how(tab);
  const deadline = Date.now() + 30000;
  while (!('done' in said) && Date.now() < deadline) await new Promise((r) => setTimeout(r, 100));
  tab.off('console', listen);
  return said;
}

// Kestrova.res as IndexedDB holds it, in hex, or null.
const stored = (tab) => tab.evaluate(() => new Promise((resolve, reject) => {
  const open = indexedDB.open('/kestrova');
  open.onerror = () => reject(open.error);
  open.onsuccess = () => {
    const db = open.result;
    if (!db.objectStoreNames.contains('FILE_DATA')) return resolve(null);
    const get = db.transaction('FILE_DATA').objectStore('FILE_DATA').get('/kestrova/Kestrova.res');
    get.onsuccess = () => {
      const bytes = get.result && new Uint8Array(get.result.contents.buffer, get.result.contents.byteOffset,
                                                 get.result.contents.byteLength);
      resolve(bytes ? Array.from(bytes, (b) => b.toString(16).padStart(2, '0')).join('') : null);
    };
  };
}));

const faults = [];
const expect = (what, ok) => { if (!ok) faults.push(what); };
const name = Buffer.from('Zoë Kovač').toString('hex');
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true });
try {
  // Kept, and read back after a reload, byte for byte.
  const tab = await (await browser.newContext()).newPage();
  const first = await run(tab);
  const afterFirst = await stored(tab);
  expect(`a first visit finds no file and saves: ${JSON.stringify(first)}`,
         first.before === 'none' && first.save === 'done' && first.after.includes(name));
  expect(`IndexedDB holds the saved file at once: ${afterFirst} for ${first.after}`, afterFirst === first.after);
  const second = await run(tab, (t) => t.reload());
  expect(`after a reload the file reads back as saved: ${second.before} for ${first.after}`,
         second.before === first.after);
  expect(`the second result is kept: ${JSON.stringify(second)}`,
         second.save === 'done' && (await stored(tab)) === second.after && second.after !== second.before);

  // The browser refusing the new file, by aborting the transaction as a full
  // storage does, or with a full storage's error: the save fails, nothing changes.
  for (const [refusal, code] of [['abort', 31], ['QuotaExceededError', 112]]) {
    const refused = await tab.context().newPage();
    await refused.addInitScript((refusal) => {
      const put = IDBObjectStore.prototype.put;
      IDBObjectStore.prototype.put = function (entry, key) {
        if (!key.endsWith('/Kestrova.res')) return put.call(this, entry, key);
        if (refusal !== 'abort') throw new DOMException('the quota was exceeded', refusal);
        const request = put.call(this, entry, key);
        this.transaction.abort();
        return request;
      };
    }, refusal);
    const full = await run(refused);
    expect(`a refused store (${refusal}) fails the save with system error ${code}: ${full.save}`,
           full.save === `failed, the file could not be replaced (system error ${code})`);
    expect(`a refused store (${refusal}) leaves the file as it was: ${JSON.stringify(full)}`,
           full.before === second.after && full.after === second.after && (await stored(tab)) === second.after);
    await refused.close();
  }

  // IndexedDB denied: the table is unreadable, not empty, and nothing is saved.
  const denied = await (await browser.newContext()).newPage();
  await denied.addInitScript(() => {
    IDBFactory.prototype.open = () => {
      throw new DOMException('access to the Indexed Database API is denied in this context', 'SecurityError');
    };
  });
  const lost = await run(denied);
  expect(`without IndexedDB the file is unreadable, not missing: ${JSON.stringify(lost)}`,
         lost.before === 'error Permission denied' && lost.unreadable === 'Permission denied' &&
         /^failed/.test(lost.save));
} finally {
  await browser.close();
  server.close();
}
console.log(faults.length ? `FAIL:\n  ${faults.join('\n  ')}` : 'ok: the best results are kept in IndexedDB');
process.exit(faults.length ? 1 : 0);
