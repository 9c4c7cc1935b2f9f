// Offline play: the page's service worker (offline_worker.js) keeps every file
// of this build in the browser, and answers the page from them.
//
// window.kestrovaOfflineReady resolves when the program may start. A newer
// build that the worker installed during an earlier visit waits until then;
// now, before anything of the program is fetched, it takes over and the page
// reloads into it once (the promise never resolves then), so that the game
// starts from the new build and no page mixes files of two builds.
//
// Without service workers (an old browser, file://, plain http from another
// host) the promise is resolved at once and the page plays online; a worker
// that fails never stops the game.
(function () {
  'use strict';
  const workers = navigator.serviceWorker;
  const usable = workers && window.isSecureContext && /^https?:$/.test(location.protocol);
  // Held shared by every page that plays, taken alone by the page that lets a
  // new build take over: that would hand a playing page the new build's files.
  const playing = 'kestrova-playing';

  async function ready() {
    // A page the worker answers moves to another worker only when a new build
    // takes over: it reloads into that build rather than mix the two. A first
    // visit's page came whole from the server, and the first worker takes it
    // over as it is.
    if (workers.controller) workers.addEventListener('controllerchange', () => location.reload());
    // Without Web Locks no page knows whether it plays alone: a new build
    // then waits until every page of the old one is closed.
    if (!navigator.locks) return;
    // A page no worker answers has nothing to wait for: its files come from
    // the server. It still plays, and no new build may take over under it
    // once the first worker has taken it over.
    if (!workers.controller) {
      holdWhilePlaying();
      return;
    }
    const registration = await workers.getRegistration();
    if (registration?.waiting) {
      const waiting = registration.waiting;
      // A page closed a moment ago may still hold its share for a while; one
      // that plays on keeps this page on the old build.
      const alone = AbortSignal.timeout ? { signal: AbortSignal.timeout(2000) } : { ifAvailable: true };
      await navigator.locks.request(playing, alone, (lock) => {
        if (!lock) return null;
        waiting.postMessage('kestrova-take-over');
        // Held until the reload. A worker that has not taken over by then
        // leaves this page to the old build; if it takes over later, the page
        // reloads then.
        return new Promise((resolve) => setTimeout(resolve, 10000));
      }).catch((error) => {
        if (error.name !== 'AbortError' && error.name !== 'TimeoutError') throw error;
      });
    }
    await holdWhilePlaying();
  }

  // Granted once no page is letting a new build take over.
  function holdWhilePlaying() {
    return new Promise((granted) => {
      navigator.locks.request(playing, { mode: 'shared' }, () => {
        granted();
        return new Promise(() => {});
      });
    });
  }

  // The manifest and the icon, once the page knows its build: asked for while
  // a new build takes over, they would wake the old worker and hold it up.
  function linkInstallFiles() {
    for (const [rel, href] of [['manifest', 'kestrova.webmanifest'], ['icon', 'kestrova-192.png']]) {
      const link = document.createElement('link');
      link.rel = rel;
      link.href = href;
      document.head.appendChild(link);
    }
  }

  let registered = false;
  function register() {
    if (registered) return;
    registered = true;
    workers.register('offline_worker.js').catch((error) => {
      console.warn(`Kestrova plays online only: ${error.message}`);
    });
  }

  if (!usable) {
    window.kestrovaOfflineReady = Promise.resolve().then(linkInstallFiles);
    window.kestrovaKeepForOffline = () => {};
    return;
  }
  window.kestrovaOfflineReady = ready().catch((error) => {
    console.warn(`Kestrova starts without looking for a newer build: ${error.message}`);
  }).then(linkInstallFiles);
  // The page calls this once it has what it plays with (the sound font comes
  // after the first picture): a worker installed earlier would fetch them
  // all beside the page, slowing the first picture, and the font twice.
  // After them, the worker finds them in the HTTP cache.
  window.kestrovaKeepForOffline = register;
})();
