// The Linux build's first picture at a given client size, read from its
// window on the X display the test runs on (xdotool and ImageMagick's import).
import { spawn, execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { decodePng } from './page.mjs';
import { Court } from './court.mjs';

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

export async function linuxFirstPicture(exe, width, height, decoder) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrova-linux-'));
  const game = spawn(path.resolve(exe), [], { cwd: folder, stdio: 'ignore' });
  const court = new Court(width, height);
  let fault = 'no window';
  try {
    const id = execFileSync('xdotool', ['search', '--sync', '--onlyvisible', '--pid', String(game.pid)],
      { timeout: 30000 }).toString().trim().split('\n')[0];
    // A program still placing its new window may undo a size set too early: asked again until it holds.
    for (const end = Date.now() + 30000; Date.now() < end; await sleep(300)) {
      execFileSync('xdotool', ['windowsize', id, String(width), String(height)]);
      const shown = await decodePng(decoder, execFileSync('import', ['-window', id, 'png:-'], { maxBuffer: 1 << 26 }));
      fault = shown.width !== width || shown.height !== height
        ? `the window is ${shown.width}x${shown.height}` : court.atRestFault(shown.at, 5, 0);
      if (!fault) return shown;
    }
  } finally {
    game.kill();
    fs.rmSync(folder, { recursive: true, force: true });
  }
  throw new Error(`the Linux build shows no first picture: ${fault}`);
}
