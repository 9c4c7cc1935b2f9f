// The page's service worker: keeps the files of one build in the browser, so
// that the game plays without the network, and answers a page from that one
// build only.
//
// The build writes the files and their SHA-256 below, and a version made of
// them all (packaging/web/offline_worker.cmake): a build that changes any file
// is a new worker. The browser installs it beside the old one while the old
// one's pages play on; it waits. A page that finds it waiting before its
// program starts asks it to take over (offline.js), and reloads into it.
'use strict';

const VERSION = '@KESTROVA_OFFLINE_VERSION@';
const FILES = new Map([
@KESTROVA_OFFLINE_FILES@]);
const CACHE = `kestrova-${VERSION}`;
// Files no game asks for (the model reader runs only when a model is read
// from a file): kept when first asked for, not fetched by every install.
const ON_DEMAND = new Set(['kestrova_model_reader.js', 'kestrova_model_reader.wasm']);

async function sha256(bytes) {
  const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
  return Array.from(digest, (b) => b.toString(16).padStart(2, '0')).join('');
}

// A file as this build made it. The HTTP cache's copy, however old, saves a
// download when it is the right one: the page is fetching the same files. A
// server that has moved on to a newer build fails the install, and that
// build's own worker comes with the next visit.
async function fileOfBuild(name) {
  for (const mode of ['force-cache', 'reload']) {
    const response = await fetch(name, { cache: mode });
    if (!response.ok) throw new Error(`${name}: ${response.status}`);
    const body = await response.arrayBuffer();
    if (await sha256(body) !== FILES.get(name)) continue;
    // Kept as it arrived, but decoded: its length is what the page counts.
    const headers = new Headers(response.headers);
    headers.delete('Content-Encoding');
    headers.set('Content-Length', String(body.byteLength));
    return new Response(body, { headers });
  }
  throw new Error(`${name} on the server is not of build ${VERSION}`);
}

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    try {
      // The page registers the worker once it has fetched what it plays with,
      // so on a first visit these mostly come from the HTTP cache.
      const names = [...FILES.keys()].filter((name) => !ON_DEMAND.has(name));
      await Promise.all(names.map(async (name) => cache.put(name, await fileOfBuild(name))));
    } catch (error) {
      await caches.delete(CACHE);
      throw error;
    }
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    const older = (await caches.keys()).filter((name) => name.startsWith('kestrova-') && name !== CACHE);
    await Promise.all(older.map((name) => caches.delete(name)));
    // The first build this browser keeps: the page that installed it came from
    // the same server a moment ago, and takes the rest of its files (a model
    // reader it asks for later) from here.
    if (!older.length) await self.clients.claim();
  })());
});

self.addEventListener('fetch', (event) => {
  const { request } = event;
  const scope = self.registration.scope;
  if (request.method !== 'GET' || !request.url.startsWith(scope)) return;
  const name = new URL(request.url).pathname.slice(new URL(scope).pathname.length) || 'index.html';
  if (!FILES.has(name)) return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    const kept = await cache.match(name);
    if (kept) return kept;
    // Missing only if the browser dropped part of the cache: then online, as without a worker.
    if (!ON_DEMAND.has(name)) return fetch(request);
    // Of this build or not at all: a reader of another build would misread
    // what this program asks of it.
    const file = await fileOfBuild(name);
    await cache.put(name, file.clone());
    return file;
  })());
});

// A page about to start asks the waiting build to take over when no other
// page plays (offline.js makes sure): every page of the old build moves to
// this one, and reloads.
self.addEventListener('message', (event) => {
  if (event.data === 'kestrova-take-over') self.skipWaiting();
});
