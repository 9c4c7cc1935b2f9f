// The page's music in headless Chromium: the sound font is asked for only once
// the court is on the screen, nothing sounds before the player's first click,
// and the click that launches the ball is heard (the ball's claps and notes,
// through FluidSynth in the page's AudioWorklet), after the program change
// the game sent at start.
//
//   node tests/web/sound_test.mjs [dist] [screenshot.png]
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { launch, serve, waitForPicture } from './page.mjs';
import { Court } from './court.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const dist = path.resolve(process.argv[2] ?? path.join(here, '../../build-web/dist'));
const shot = process.argv[3] ?? '/tmp/kestrova-web-sound.png';
const width = 800, height = 600;
const court = new Court(width, height);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const peak = (page) => page.evaluate(() => window.kestrovaAudioPeak());

const requests = [];
const server = await serve(dist, requests);
const browser = await launch();
const log = [];
try {
  const page = await browser.newPage({ viewport: { width, height } });
  const decoder = await browser.newPage();
  page.on('console', (m) => log.push(`${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => log.push(`error: ${e.message}`));

  // The page's clock at its first draw call, which is the first picture's.
  await page.addInitScript(() => {
    for (const name of ['drawArrays', 'drawElements']) {
      const draw = WebGL2RenderingContext.prototype[name];
      WebGL2RenderingContext.prototype[name] = function (...args) {
        window.firstDrawAt ??= performance.now();
        return draw.apply(this, args);
      };
    }
  });
  // What the page tells the synthesiser (js-synthesizer's calls to its worklet).
  await page.addInitScript(() => {
    window.synthCalls = [];
    const post = MessagePort.prototype.postMessage;
    MessagePort.prototype.postMessage = function (message, ...rest) {
      if (message?.method?.startsWith('midi')) window.synthCalls.push(`${message.method} ${message.args}`);
      return post.call(this, message, ...rest);
    };
  });
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  const { why } = await waitForPicture(page, decoder, 60, (s) => court.atRestFault(s.at, 5, 0));
  assert.equal(why, '', `no first picture: ${why}`);
  await sleep(1500);
  const [drawn, asked] = await page.evaluate(() => [window.firstDrawAt,
    performance.getEntriesByType('resource').find((e) => e.name.endsWith('.sf2'))?.startTime]);
  assert.ok(asked !== undefined, 'the sound font was not asked for after the first picture');
  assert.ok(asked > drawn, `the sound font was asked for at ${asked} ms, before the first picture at ${drawn} ms`);
  assert.equal(await page.evaluate(() => typeof window.kestrovaAudioPeak), 'function', 'no synthesiser in the page');
  assert.equal(await peak(page), 0, 'sound before the click');

  // The click on the ball is the player's first gesture: it starts the audio and the game.
  const [x, y] = court.ballAtRest();
  await page.mouse.click(x + 10, y);
  let loudest = 0;
  for (const end = Date.now() + 20000; loudest < 0.02 && Date.now() < end; await sleep(100)) {
    loudest = Math.max(loudest, await peak(page));
  }
  fs.writeFileSync(shot, await page.screenshot());
  // The program change the game sent at start, long before the click, still sets the first notes' sound.
  const calls = await page.evaluate(() => window.synthCalls);
  assert.equal(calls[0], 'midiProgramChange 0,8', `the synthesiser was told first: ${calls.slice(0, 3)}`);
  assert.ok(loudest >= 0.02, `not heard after the click that launched the ball (peak ${loudest})`);
  assert.equal(requests.filter((r) => r.path.endsWith('.sf2')).length, 1, 'the sound font was fetched more than once');
  console.log(`ok: silent before the click, heard after it (peak ${loudest.toFixed(3)}; screenshot ${shot})`);
} catch (error) {
  console.error(log.join('\n'));
  console.log(`FAIL: ${error.message}`);
  process.exitCode = 1;
} finally {
  await browser.close();
  server.close();
}
