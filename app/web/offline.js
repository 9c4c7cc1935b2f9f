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
    const registration = await workers.getRegistration();
    // Without Web Locks no page knows whether it plays alone: a new build
    // then waits until every page of the old one is closed.
    if (!navigator.locks) return;
    if (registration?.waiting && workers.controller) {
      const waiting = registration.waiting;
      await navigator.locks.request(playing, { ifAvailable: true }, (alone) => {
        if (!alone) return null;
        waiting.postMessage('kestrova-take-over');
        // Held until the reload. A worker that has not taken over by then
        // leaves this page to the old build; if it takes over later, the page
        // reloads then.
        return new Promise((resolve) => setTimeout(resolve, 10000));
      });
    }
    // Granted once no page is letting a new build take over.
    await new Promise((granted) => {
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

  function register() {
    workers.register('offline_worker.js').catch((error) => {
      console.warn(`Kestrova plays online only: ${error.message}`);
    });
  }

  if (!usable) {
    window.kestrovaOfflineReady = Promise.resolve().then(linkInstallFiles);
    return;
  }
  window.kestrovaOfflineReady = ready().catch((error) => {
    console.warn(`Kestrova starts without looking for a newer build: ${error.message}`);
  }).then(linkInstallFiles);
  // After the page's own files: the worker fetches the same ones, from the
  // HTTP cache once they are in.
  window.addEventListener('load', register);
})();
