// Reads the game's picture as a player would, as tests/e2e/game_screen.cpp
// does for the desktop: the camera at y = -300 looking along +y, +z up, the
// world's -x to the right, a field of 0.5 across the picture's larger side.
export const isBackground = ([r, g, b]) => r < 20 && b < 20 && g >= 115 && g <= 140;
export const isLit = ([r, g, b]) => r > 170 && g < 50 && b < 50;
export const isUnlit = ([r, g, b]) => r < 30 && b < 30 && g >= 70 && g <= 105;
export const isBallRed = ([r, g, b]) => r > 150 && g < 60 && b < 60;

const patterns = [
  0b1110111, 0b0010010, 0b1011101, 0b1011011, 0b0111010, 0b1101011, 0b1101111, 0b1010010, 0b1111111, 0b1111011,
];

export class Court {
  constructor(width, height) {
    this.width = width;
    this.height = height;
    this.scale = Math.max(width, height);
  }

  project(x, y, z) {
    return [Math.round(this.width / 2 - (x / (y + 300)) * this.scale),
            Math.round(this.height / 2 - (z / (y + 300)) * this.scale)];
  }

  // The number on a seven-segment display, or -1 where a segment is neither lit nor unlit.
  readDisplay(at, x, y, z, digits, spacing) {
    const L = 5, T = 0.5;
    const across = [L / 2 + T, T, L + T, L / 2 + T, T, L + T, L / 2 + T];
    const down = [T, L / 2 + T, L / 2 + T, L + T, 1.5 * L + T, 1.5 * L + T, 2 * L + T];
    let value = 0;
    for (let d = digits - 1; d >= 0; --d) {
      const ox = (digits - 1 - d) * (spacing + L);
      let lit = 0;
      for (let s = 0; s < 7; ++s) {
        const [mx, my] = this.project(x - ox - across[s], y, z - down[s]);
        let litSamples = 0, unlitSamples = 0;
        for (let dy = -1; dy <= 1; ++dy) for (let dx = -1; dx <= 1; ++dx) {
          litSamples += isLit(at(mx + dx, my + dy));
          unlitSamples += isUnlit(at(mx + dx, my + dy));
        }
        if (litSamples === 9) lit |= 1 << (6 - s);
        else if (unlitSamples !== 9) return -1;
      }
      const digit = patterns.indexOf(lit);
      if (digit < 0) return -1;
      value = value * 10 + digit;
    }
    return value;
  }

  score(at) { return this.readDisplay(at, 70, -150, 50, 3, 2); }
  lives(at) { return this.readDisplay(at, -50, -150, 50, 2, 2.5); }
  ballAtRest() { return this.project(0, -100, 0); }

  // Why the picture is not the ball waiting with `lives` left and `score`
  // (any score when null); '' when it is.
  atRestFault(at, lives, score = null) {
    for (const [x, y] of [[3, 3], [this.width - 4, 3], [this.width - 4, this.height - 4]]) {
      if (!isBackground(at(x, y))) return `the background at ${x},${y} is not green: ${at(x, y)}`;
    }
    const [bx, by] = this.ballAtRest();
    for (let dy = -2; dy <= 2; ++dy) for (let dx = -2; dx <= 2; ++dx) {
      if (!isBallRed(at(bx + dx, by + dy))) return `no red ball in the middle: ${at(bx + dx, by + dy)}`;
    }
    const shownScore = this.score(at), shownLives = this.lives(at);
    if (shownLives !== lives || (score !== null && shownScore !== score)) {
      return `the displays read score ${shownScore} and lives ${shownLives}`;
    }
    return '';
  }

  // Pixels of two pictures of this size further apart than `tolerance` in
  // some channel, outside the wall of bricks, whose colours are random.
  differentOutsideTheBricks(a, b, tolerance) {
    const [x1, y1] = this.project(48, 2, 48), [x2, y2] = this.project(-48, 2, -48);
    const left = Math.min(x1, x2) - 2, right = Math.max(x1, x2) + 2;
    const top = Math.min(y1, y2) - 2, bottom = Math.max(y1, y2) + 2;
    let different = 0;
    for (let y = 0; y < this.height; ++y) {
      for (let x = 0; x < this.width; ++x) {
        if (x >= left && x <= right && y >= top && y <= bottom) continue;
        const p = a(x, y), q = b(x, y);
        if (p.some((v, i) => Math.abs(v - q[i]) > tolerance)) ++different;
      }
    }
    return different;
  }
}
