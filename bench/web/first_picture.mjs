// When a page shows its first picture, noted in the page itself, the same way
// for every page and without changing any: the first draw call into a WebGL 2
// canvas's own framebuffer (not into a framebuffer object) is the first
// picture drawn, and the browser shows it in the next animation frame. Both
// times are performance.now() in the page, which counts from navigation.

// Runs in the page before any of its scripts (an init script).
export function noteFirstPicture() {
  const note = { draw: -1, picture: -1 };
  window.kestrovaFirstPicture = note;
  const proto = WebGL2RenderingContext.prototype;
  for (const name of ['drawArrays', 'drawElements', 'drawArraysInstanced', 'drawElementsInstanced', 'drawRangeElements']) {
    const original = proto[name];
    proto[name] = function (...args) {
      if (note.draw < 0 && this.getParameter(this.FRAMEBUFFER_BINDING) === null) {
        note.draw = performance.now();
        requestAnimationFrame(() => {
          note.picture = performance.now();
          window.kestrovaPictureShown();
        });
      }
      return original.apply(this, args);
    };
  }
}

// Notes the first picture of each page opened in `context` from now on;
// `shown` resolves when one is shown.
export async function watchFirstPicture(context) {
  let resolve;
  const shown = new Promise((r) => { resolve = r; });
  await context.exposeFunction('kestrovaPictureShown', () => resolve());
  await context.addInitScript(noteFirstPicture);
  return { shown };
}

// { draw, picture } as the page noted them (ms since navigation; -1 for none
// yet), and the page's time origin in ms since the epoch.
export function firstPictureOf(page) {
  return page.evaluate(() => ({ ...window.kestrovaFirstPicture, origin: performance.timeOrigin }));
}
