// Plays the web build in Debian's headless Chromium through the DevTools
// protocol and checks it as a player would see it:
//   node browser_test.js SITE_DIR HEADLESS_TOOL WORK_DIR   (serves SITE_DIR itself)
// - the title appears (its picture against tessivane-headless's);
// - a click gives the game the keys; keys start stage 1 and the ship moves,
//   to where tessivane-headless puts it on the same keys;
// - the music's play position advances;
// - Escape pauses play (the game and its music stand still) and resumes it;
//   the options opened from the pause change the music volume;
// - a game played to its end asks for a name in the page; the name and the
//   volume are there again after the browser was closed and started anew;
// - a replay chosen from the game's list plays in the page (which loads
//   itself anew for it) and Escape comes back to the game;
// - a gamepad the browser reveals after the start (navigator.getGamepads,
//   faked before the page loads) starts a game, moves the ship as
//   tessivane-headless's joystick does, fires and pauses;
// - on a phone-sized screen with touch (390 x 844, then turned): the page
//   fits without scrolling, the title is taken by taps, a drag moves the
//   ship by the game's own steps, fire held and let go gives a charged shot,
//   bomb, the pause button, the touch settings on the options screen (the
//   buttons' side and size, the drag's speed), the continue question and
//   the name by touch, and the replay of that game plays through natively
//   in tessivane-headless;
// - offline: the site loaded once, its server stopped, the page loaded again
//   starts and plays; a new build served is taken at the next start.
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { launchChromium, sleep } = require('../support/chromium_devtools');
const { serveSite } = require('../support/serve_site');

const [siteDir, headlessTool, workDir] = process.argv.slice(2);
let url;  // the site's address, once it is served (main)
const profile = path.join(workDir, 'chromium-profile');
fs.rmSync(profile, { recursive: true, force: true });
fs.mkdirSync(profile, { recursive: true });

let failures = 0;
function check(ok, what, detail) {
  console.log((ok ? 'ok   ' : 'FAIL ') + what + (detail === undefined ? '' : ': ' + detail));
  if (!ok) failures++;
  return ok;
}

// ---- PNG (8-bit RGB/RGBA, not interlaced): enough for screenshots ----------
function decodePng(buf) {
  let pos = 8, width = 0, height = 0, type = 0;
  const idat = [];
  while (pos < buf.length) {
    const len = buf.readUInt32BE(pos), kind = buf.toString('latin1', pos + 4, pos + 8);
    const body = buf.subarray(pos + 8, pos + 8 + len);
    if (kind === 'IHDR') {
      width = body.readUInt32BE(0); height = body.readUInt32BE(4); type = body[9];
      if (body[8] !== 8 || body[12] !== 0 || (type !== 2 && type !== 6)) throw new Error('unsupported PNG');
    } else if (kind === 'IDAT') idat.push(body);
    pos += 12 + len;
  }
  const bpp = type === 6 ? 4 : 3, stride = width * bpp;
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const out = Buffer.alloc(width * height * 3), prev = Buffer.alloc(stride), line = Buffer.alloc(stride);
  for (let y = 0; y < height; y++) {
    const f = raw[y * (stride + 1)], src = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; i++) {
      const a = i >= bpp ? line[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
      let v = src[i];
      if (f === 1) v += a;
      else if (f === 2) v += b;
      else if (f === 3) v += (a + b) >> 1;
      else if (f === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      line[i] = v & 255;
    }
    for (let x = 0; x < width; x++) for (let k = 0; k < 3; k++) out[(y * width + x) * 3 + k] = line[x * bpp + k];
    line.copy(prev);
  }
  return { width, height, rgb: out };
}

// Share of pixels within `tolerance` per channel.
function similarity(a, b, tolerance) {
  if (a.width !== b.width || a.height !== b.height) return 0;
  let same = 0;
  for (let i = 0; i < a.width * a.height; i++) {
    let close = true;
    for (let k = 0; k < 3; k++) if (Math.abs(a.rgb[i * 3 + k] - b.rgb[i * 3 + k]) > tolerance) close = false;
    same += close;
  }
  return same / (a.width * a.height);
}

// How well the bright pixels (the lettering, the logo, the ship) of two
// pictures coincide: shared / either. The dim scrolling grid is left out.
function brightOverlap(a, b) {
  let both = 0, either = 0;
  for (let i = 0; i < a.width * a.height; i++) {
    const sa = a.rgb[i * 3] + a.rgb[i * 3 + 1] + a.rgb[i * 3 + 2] > 600;
    const sb = b.rgb[i * 3] + b.rgb[i * 3 + 1] + b.rgb[i * 3 + 2] > 600;
    both += sa && sb;
    either += sa || sb;
  }
  return either ? both / either : 0;
}

// ---- Chromium and its DevTools protocol --------------------------------------
async function launch(profileDir = profile) {
  const b = await launchChromium(profileDir, ['--disable-quic', '--window-size=520,800']);
  await b.send('Page.addScriptToEvaluateOnNewDocument', { source: kFakePad });
  return b;
}

// A standard-mapping pad behind navigator.getGamepads, unknown to the page
// until testPad.connect() (a browser tells a page of a pad only once one of
// its buttons was pressed there). testPad.set(axes, buttons) sets the stick
// and the buttons held (standard numbering: 0 the bottom face button, 9 Start).
const kFakePad = `(() => {
  const pad = { id: 'Test pad (STANDARD GAMEPAD)', index: 0, connected: false, mapping: 'standard',
                timestamp: 0, axes: [0, 0, 0, 0],
                buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })) };
  Object.defineProperty(navigator, 'getGamepads', { configurable: true,
                                                    value: () => [pad.connected ? pad : null, null, null, null] });
  window.testPad = {
    connect() {
      pad.connected = true;
      pad.timestamp = performance.now();
      const e = new Event('gamepadconnected');
      Object.defineProperty(e, 'gamepad', { value: pad });
      window.dispatchEvent(e);
    },
    set(axes, held) {
      axes.forEach((v, i) => { pad.axes[i] = v; });
      pad.buttons.forEach((b, i) => { b.pressed = b.touched = held.includes(i); b.value = b.pressed ? 1 : 0; });
      pad.timestamp = performance.now();
    }
  };
})();`;

// ---- The game ------------------------------------------------------------------
const stateExpr = 'Module._tessivane_state_json ? JSON.parse(UTF8ToString(Module._tessivane_state_json())) : null';
const kKeys = {
  A: { key: 'a', code: 'KeyA', windowsVirtualKeyCode: 65 },
  S: { key: 's', code: 'KeyS', windowsVirtualKeyCode: 83 },
  Left: { key: 'ArrowLeft', code: 'ArrowLeft', windowsVirtualKeyCode: 37 },
  Right: { key: 'ArrowRight', code: 'ArrowRight', windowsVirtualKeyCode: 39 },
  Down: { key: 'ArrowDown', code: 'ArrowDown', windowsVirtualKeyCode: 40 },
  Enter: { key: 'Enter', code: 'Enter', windowsVirtualKeyCode: 13 },
  Escape: { key: 'Escape', code: 'Escape', windowsVirtualKeyCode: 27 }
};

async function waitFor(b, what, test, timeoutMs) {
  const end = Date.now() + timeoutMs;
  let last = null;
  while (Date.now() < end) {
    try { last = await b.evaluate(stateExpr); } catch (e) { last = null; }
    if (last && test(last)) return last;
    await sleep(100);
  }
  check(false, what, 'timed out; last state ' + JSON.stringify(last) + '\n' + b.log.slice(-20).join('\n'));
  return null;
}

async function key(b, name, type) {
  await b.send('Input.dispatchKeyEvent', Object.assign({ type }, kKeys[name]));
}
async function tap(b, name, ms = 100) {
  await key(b, name, 'keyDown');
  await sleep(ms);
  await key(b, name, 'keyUp');
}

// The pad: stick (x, y in -1..1) and the buttons held, for `ms`, then let go.
async function padSet(b, axes, held) {
  await b.evaluate(`testPad.set(${JSON.stringify(axes)}, ${JSON.stringify(held)}), 0`);
}
async function padTap(b, button, ms = 300) {
  await padSet(b, [0, 0], [button]);
  await sleep(ms);
  await padSet(b, [0, 0], []);
}

async function openGame(b) {
  await b.send('Page.navigate', { url });
  return waitFor(b, 'the game starts in the page', (s) => s.gameMode === 5, 180000);
}

function shoot(b, name) {
  return b.send('Page.captureScreenshot', { format: 'png' })
    .then((shot) => fs.writeFileSync(path.join(workDir, name), Buffer.from(shot.data, 'base64')));
}

// Escape pauses; the game and its music stand still; the options opened from
// the pause menu lower the music volume by one; Escape twice resumes.
async function pauseAndOptions(b) {
  await tap(b, 'Escape');
  if (!(await waitFor(b, 'Escape pauses play', (s) => s.paused === 1, 15000))) return;
  check(true, 'Escape pauses play');
  const s0 = await b.evaluate(stateExpr), m0 = await b.evaluate('Module._tessivane_music_position()');
  await sleep(2000);
  const s1 = await b.evaluate(stateExpr), m1 = await b.evaluate('Module._tessivane_music_position()');
  check(s1.paused === 1 && s1.scrollPos === s0.scrollPos && s1.playerX === s0.playerX && s1.score === s0.score,
        'the game stands still while paused', `scroll ${s0.scrollPos} -> ${s1.scrollPos}`);
  check(Math.abs(m1 - m0) < 0.05, 'the music stands still while paused', `${m0} -> ${m1}`);
  await shoot(b, 'pause-menu.png');
  const volume = s1.settingValues[0];
  await tap(b, 'Down');  // Options
  await sleep(700);
  await tap(b, 'Enter');
  await sleep(1500);
  await tap(b, 'Left');  // the first row: the music volume
  const changed = await waitFor(b, 'Left in the options lowers the music volume',
                                (s) => s.settingValues[0] === volume - 1, 10000);
  if (changed) {
    check(true, 'Left in the options lowers the music volume', `${volume} -> ${changed.settingValues[0]}`);
    check(await b.evaluate('Module._tessivane_music_volume()') === Math.trunc(128 * (volume - 1) / 10),
          'the music plays at the new volume');
  }
  await shoot(b, 'options.png');
  await tap(b, 'Escape');  // back to the pause menu
  await sleep(1500);
  await tap(b, 'Escape');  // resume
  const resumed = await waitFor(b, 'Escape again resumes play', (s) => s.paused === 0, 15000);
  if (resumed) {
    await sleep(1000);
    const s2 = await b.evaluate(stateExpr);
    check(s2.scrollPos !== resumed.scrollPos || s2.gameMode !== 0, 'Escape again resumes play',
          `scroll ${resumed.scrollPos} -> ${s2.scrollPos}`);
  }
}

// The continue question on the phone: the page asks it with its own buttons;
// a tap on one (YES or NO) answers.
async function answerQuestion(b, button) {
  const open = 'document.getElementById("dialog").classList.contains("open")';
  const since = Date.now();
  while (Date.now() - since < 15000 && !(await b.evaluate(open))) await sleep(100);
  if (!check(await b.evaluate(open) &&
             (await b.evaluate('document.getElementById("dlgTitle").textContent')) === 'CONTINUE?',
             'the page asks the continue question with its own buttons')) return false;
  const r = await rectOf(b, button);
  await tapPoint(b, r.x + r.w / 2, r.y + r.h / 2);
  return true;
}

// From the title: Escape, "Replays", the newest replay: the page loads itself
// again on it and plays the recorded game with no one at the keys; Escape
// comes back to the list (the list's cursor on its first row, at y 120; the
// title menu's rows are at 290 to 380), which Escape leaves for the title menu.
async function watchReplay(b) {
  await sleep(11000);  // the title menu stands still
  await tap(b, 'Escape');
  await sleep(1000);
  await tap(b, 'Down');
  await sleep(700);
  await tap(b, 'Enter');
  await sleep(1500);
  await shoot(b, 'replay-list.png');
  await tap(b, 'A', 300);
  const watching = await waitFor(b, 'choosing a replay plays it in the page',
                                 (s) => s.gameMode === 0 && s.stageNo === 1 && s.playerX < 0, 120000);
  if (!watching) return false;
  const search = await b.evaluate('location.search');
  check(/^\?watch=[^/&]+\.tvreplay&back-to=replays$/.test(decodeURIComponent(search)),
        'choosing a replay plays it in the page (as the recorded game went: the ship to the wall)', search);
  await shoot(b, 'replay-watching.png');
  await b.evaluate('Module.canvas.focus(), 0');
  await tap(b, 'Escape', 300);
  const back = await waitFor(b, 'Escape leaves the replay for the list it was chosen from',
                             (s) => s.gameMode === 5 && s.cursorY === 120, 120000);
  if (!back) return false;
  check((await b.evaluate('location.search')) === '?back-to=replays',
        'Escape leaves the replay for the list it was chosen from', await b.evaluate('location.search'));
  await shoot(b, 'replay-back-at-list.png');
  await b.evaluate('Module.canvas.focus(), 0');
  await tap(b, 'Escape', 300);
  const menu = await waitFor(b, 'Escape leaves the list for the title menu',
                             (s) => s.gameMode === 5 && s.cursorY >= 290, 15000);
  return !!menu;
}

// A pad the browser reveals while the game runs: two presses of its first
// button start stage 1, the stick moves the ship to the wall as
// tessivane-headless's joystick does, the button fires and Start pauses.
async function playWithPad(b) {
  await sleep(11000);  // the title menu stands still
  await b.evaluate('testPad.connect(), 0');
  await padTap(b, 0);
  await sleep(1400);
  await padTap(b, 0);
  const playing = await waitFor(b, 'the pad\'s button starts stage 1', (s) => s.gameMode === 0 && s.stageNo === 1, 15000);
  if (!playing) return;
  check(playing.joystickId === 0, 'the pad\'s button starts stage 1', 'joystickId ' + playing.joystickId);
  await sleep(1500);
  const before = await b.evaluate(stateExpr);
  await padSet(b, [-1, 0], []);
  await sleep(5000);
  await padSet(b, [0, 0], []);
  const after = await b.evaluate(stateExpr);
  check(after.playerX < before.playerX, 'the pad\'s stick moves the ship', `${before.playerX} -> ${after.playerX}`);
  await padSet(b, [0, 0], [0]);
  // Held, it charges; the shot it fired has soon left the screen, but its
  // slot keeps the x it left from.
  const firing = await waitFor(b, 'the pad\'s button fires', (s) => s.fireLatch !== 0 && s.chargeLevel > 0, 10000);
  await padSet(b, [0, 0], []);
  const ref = headless('500 800 Joy 32767 32767 1\n2000 2300 Joy 32767 32767 1\n3600 8600 Joy 0 32767 0\n' +
                       '9000 9500 Joy 32767 32767 1\n', 9200);
  for (const k of ['stageNo', 'wave', 'playerX', 'playerY', 'joystickId'])
    check(after[k] === ref[k], `after the same pad input, ${k} as in tessivane-headless`, `${after[k]} vs ${ref[k]}`);
  if (firing) {
    check(ref.shotKind[0] !== 0 && ref.chargeLevel > 0, 'the pad\'s button fires and charges as in tessivane-headless',
          `charge ${firing.chargeLevel} vs ${ref.chargeLevel}`);
    for (const k of ['padButtons', 'fireLatch', 'inputX', 'inputY'])
      check(firing[k] === ref[k], `the pad's button held, ${k} as in tessivane-headless`, `${firing[k]} vs ${ref[k]}`);
    check(firing.shotX.includes(firing.playerX) && ref.shotX.includes(ref.playerX),
          'a shot left the ship at the wall, as in tessivane-headless',
          `${JSON.stringify(firing.shotX.slice(0, 4))} vs ${JSON.stringify(ref.shotX.slice(0, 4))}`);
  }
  await padTap(b, 9);  // Start
  if (await waitFor(b, 'the pad\'s Start pauses', (s) => s.paused === 1, 15000)) {
    check(true, 'the pad\'s Start pauses');
    await sleep(1000);
    await padTap(b, 9);
    if (await waitFor(b, 'Start again resumes', (s) => s.paused === 0, 15000)) check(true, 'Start again resumes');
  }
}

// ---- Touch -----------------------------------------------------------------------
function freshProfile(name) {
  const dir = path.join(workDir, name);
  fs.rmSync(dir, { recursive: true, force: true });
  fs.mkdirSync(dir, { recursive: true });
  return dir;
}

// A phone's screen: 390 x 844 CSS pixels (or turned), three device pixels to
// one, touch events.
async function phoneScreen(b, landscape) {
  await b.send('Emulation.setDeviceMetricsOverride', {
    width: landscape ? 844 : 390, height: landscape ? 390 : 844, deviceScaleFactor: 3, mobile: true,
    screenOrientation: landscape ? { type: 'landscapePrimary', angle: 90 } : { type: 'portraitPrimary', angle: 0 }
  });
  await b.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
}
async function touches(b, type, points) {
  await b.send('Input.dispatchTouchEvent', { type, touchPoints: points });
}
async function tapPoint(b, x, y, ms = 80) {
  await touches(b, 'touchStart', [{ x, y, id: 1 }]);
  await sleep(ms);
  await touches(b, 'touchEnd', []);
}
const rectOf = (b, selector) => b.evaluate(`(() => { const r = document.querySelector(${JSON.stringify(selector)})
  .getBoundingClientRect(); return { x: r.left, y: r.top, w: r.width, h: r.height, right: r.right, bottom: r.bottom }; })()`);
// A point of the game's picture (game pixels) on the page.
async function gamePoint(b, gx, gy) {
  const r = await rectOf(b, '#canvas');
  return { x: r.x + gx * r.w / 332, y: r.y + gy * r.h / 478 };
}
async function tapGame(b, gx, gy) {
  const p = await gamePoint(b, gx, gy);
  await tapPoint(b, p.x, p.y);
}
async function holdButton(b, selector, ms) {
  const r = await rectOf(b, selector);
  await touches(b, 'touchStart', [{ x: r.x + r.w / 2, y: r.y + r.h / 2, id: 2 }]);
  await sleep(ms);
  await touches(b, 'touchEnd', []);
}

// The page on a phone, upright and turned: the picture as wide as the screen
// allows, the buttons below it or beside it, nothing to scroll.
async function phoneLayout(b) {
  for (const landscape of [false, true]) {
    await phoneScreen(b, landscape);
    await sleep(700);
    const what = landscape ? 'landscape' : 'portrait';
    const c = await rectOf(b, '#canvas'), fire = await rectOf(b, '#touch .fire'), pause = await rectOf(b, '#touch .pause');
    const page = await b.evaluate('({ w: innerWidth, h: innerHeight, sw: document.scrollingElement.scrollWidth, ' +
                                  'sh: document.scrollingElement.scrollHeight, touch: document.body.classList.contains("touch"), ' +
                                  'action: getComputedStyle(document.body).touchAction, ' +
                                  'select: getComputedStyle(document.body).userSelect })');
    check(page.touch && page.sw <= page.w && page.sh <= page.h && page.action === 'none' && page.select === 'none',
          `${what}: the page takes touch and does not scroll, zoom or select`, JSON.stringify(page));
    if (landscape) {
      check(c.bottom <= page.h + 0.5 && c.h >= page.h - 6 && Math.abs(c.x + c.w / 2 - page.w / 2) < 2 &&
            (fire.x >= c.right || fire.right <= c.x) && (pause.x >= c.right || pause.right <= c.x),
            'landscape: the picture fills the height, centred, the buttons at its sides',
            JSON.stringify({ c, fire, pause }));
    } else {
      check(c.w >= page.w - 6 && c.bottom <= fire.y && fire.bottom <= page.h && pause.bottom <= page.h,
            'portrait: the picture as wide as the screen, the buttons below it', JSON.stringify({ c, fire, pause }));
    }
    // At one pixel to a CSS pixel, for the README.
    const shot = await b.send('Page.captureScreenshot',
                              { format: 'png', clip: { x: 0, y: 0, width: page.w, height: page.h, scale: 1 / 3 } });
    fs.writeFileSync(path.join(workDir, `phone-${what}.png`), Buffer.from(shot.data, 'base64'));
  }
  await phoneScreen(b, false);
  await sleep(700);
}

// The newest replay in the browser's storage, as bytes.
async function newestReplay(b) {
  const base64 = await b.evaluate(`(() => {
    const dir = '/home/web_user/.local/share/tessivane/replays';
    let best = null;
    for (const name of Module.FS.readdir(dir)) {
      if (!name.endsWith('.tvreplay')) continue;
      const t = Module.FS.stat(dir + '/' + name).mtime.getTime();
      if (!best || t > best.t) best = { t, name };
    }
    if (!best) return null;
    const bytes = Module.FS.readFile(dir + '/' + best.name);
    let text = '';
    for (let i = 0; i < bytes.length; i += 8192) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
    return btoa(text);
  })()`);
  return base64 ? Buffer.from(base64, 'base64') : null;
}

// The options screen from the pause menu, by taps: the touch rows (after the
// others, 18 game pixels apart from y 58) change the page's buttons at once
// and are kept with the other settings; Back by taps.
async function touchOptions(b) {
  const row = (r) => 58 + 18 * r + 9;  // the middle of row r
  const kSide = 15, kSize = 16, kDrag = 17, kBack = 19;
  await tapGame(b, 160, 275);  // Options: the cursor goes there
  await sleep(500);
  await tapGame(b, 160, 275);  // and it opens
  await sleep(800);
  const before = { fire: await rectOf(b, '#touch .fire'), pause: await rectOf(b, '#touch .pause'),
                   w: await b.evaluate('innerWidth') };
  // Down to the first touch row a row at a time (a tap on a row below the
  // cursor takes it there); on each touch row a tap on the right of its
  // value steps it up, and a tap on the next row takes the cursor on.
  for (let r = 1; r < kSide; r++) {
    await tapGame(b, 100, row(r));
    await sleep(300);
  }
  for (const r of [kSide, kSize, kDrag]) {
    await tapGame(b, 100, row(r));
    await sleep(800);
    await tapGame(b, 300, row(r));
    await sleep(500);
  }
  const fire = await rectOf(b, '#touch .fire'), pause = await rectOf(b, '#touch .pause');
  check(before.fire.x > before.w / 2 && fire.right < before.w / 2 && pause.x > before.w / 2,
        '"Touch buttons" left: fire and bomb go to the left, the pause button to the right',
        JSON.stringify({ before: before.fire, after: fire, pause }));
  check(fire.w > before.fire.w * 1.2, '"Button size" large: the buttons grow', `${before.fire.w} -> ${fire.w} CSS px`);
  const ini = await b.evaluate('new TextDecoder().decode(Module.FS.readFile("/home/web_user/.config/tessivane/settings.ini"))');
  check(/touch_buttons = left\n/.test(ini) && /touch_button_size = large\n/.test(ini) && /touch_drag = 1.5\n/.test(ini),
        'the touch settings are kept in the settings file', ini.split('\n').filter((l) => l.startsWith('touch')).join('; '));
  await shoot(b, 'options-touch.png');
  await tapGame(b, 100, row(kBack));
  await sleep(700);
  await tapGame(b, 100, row(kBack));
  await sleep(700);
}

// A whole game by touch on the phone: taps on the title, a drag, fire held
// and let go, bomb, pause, the continue question and the name; its replay
// then plays through natively.
async function playByTouch() {
  const b = await launch(freshProfile('chromium-phone'));
  try {
    await phoneScreen(b, false);
    // Every tune arrives 15 s late: the game must not wait for any, nor
    // decide anything otherwise (its replay is played natively below).
    await b.send('Fetch.enable', { patterns: [{ urlPattern: '*/QapoOgg/*' }] });
    let held = 0;
    b.listeners.push((msg) => {
      if (msg.method !== 'Fetch.requestPaused') return;
      held++;
      setTimeout(() => b.send('Fetch.continueRequest', { requestId: msg.params.requestId }).catch(() => {}), 15000);
    });
    if (!(await openGame(b))) return;
    await sleep(3000);
    const early = await b.evaluate('({ position: Module._tessivane_music_position(), ' +
      'arrived: Module.FS.readdir("/game/QapoOgg").filter((n) => n.endsWith(".ogg")).length })');
    check(held > 0 && early.arrived === 0 && early.position > 2,
          'the title\'s tune is on its way, and its time runs meanwhile', JSON.stringify(early));
    await sleep(8000);  // the title menu stands still
    await tapPoint(b, 5, 5);  // nothing there: the page takes the touch layout
    await phoneLayout(b);

    // The title by taps: a tap on HISCORE moves the cursor there, on START
    // back, and START tapped again starts the game.
    await tapGame(b, 160, 335);
    if (!(await waitFor(b, 'a tap on a title item moves the cursor there', (s) => s.cursorY === 320, 5000))) return;
    check(true, 'a tap on a title item moves the cursor there');
    await sleep(300);
    await tapGame(b, 160, 305);
    await waitFor(b, 'a tap on START moves the cursor back', (s) => s.cursorY === 290, 5000);
    await sleep(300);
    await tapGame(b, 160, 305);
    const playing = await waitFor(b, 'START tapped again starts stage 1', (s) => s.gameMode === 0 && s.stageNo === 1, 15000);
    if (!playing) return;
    check(true, 'START tapped again starts stage 1');
    await sleep(1500);

    // A drag of 60 CSS pixels to the left, on the picture: the ship goes the
    // game's 6-pixel steps nearest to the finger's way, and stops.
    const before = await b.evaluate(stateExpr);
    const c = await rectOf(b, '#canvas');
    const start = { x: c.x + c.w / 2, y: c.y + c.h / 3 };
    await touches(b, 'touchStart', [{ x: start.x, y: start.y, id: 1 }]);
    for (let i = 1; i <= 6; i++) {
      await sleep(30);
      await touches(b, 'touchMove', [{ x: start.x - 10 * i, y: start.y, id: 1 }]);
    }
    await touches(b, 'touchEnd', []);
    let offset = -60 * 332 / c.w, steps = 0;
    while (offset < -3) { offset += 6; steps++; }
    await sleep(1500);
    const after = await b.evaluate(stateExpr);
    check(after.playerX === before.playerX - 6 * steps && after.playerY === before.playerY,
          'a drag moves the ship by the game\'s own steps, as far as the finger went',
          `x ${before.playerX} -> ${after.playerX} (${steps} steps), y ${before.playerY} -> ${after.playerY}`);

    // Fire held charges; let go, the charged shot leaves.
    const fireRect = await rectOf(b, '#touch .fire');
    await touches(b, 'touchStart', [{ x: fireRect.x + fireRect.w / 2, y: fireRect.y + fireRect.h / 2, id: 2 }]);
    const charged = await waitFor(b, 'fire held charges', (s) => s.chargeLevel >= 103, 15000);
    await touches(b, 'touchEnd', []);
    if (charged) {
      const shot = await waitFor(b, 'fire let go shoots the charged shot', (s) => s.chargeFlash > 0, 5000);
      if (shot) check(true, 'fire held and let go gives a charged shot', `charge ${charged.chargeLevel}, flash ${shot.chargeFlash}`);
    }
    // Bomb.
    await sleep(2500);
    const bombsBefore = (await b.evaluate(stateExpr)).bombs;
    await holdButton(b, '#touch .bomb', 100);
    const bombed = await waitFor(b, 'the bomb button bombs', (s) => s.bombs === bombsBefore - 1, 5000);
    if (bombed) check(true, 'the bomb button bombs', `${bombsBefore} -> ${bombed.bombs}`);
    // Pause by its button; the touch settings on the options screen; resume
    // by tapping the pause menu's first item.
    await sleep(1500);
    await holdButton(b, '#touch .pause', 100);
    if (await waitFor(b, 'the pause button pauses', (s) => s.paused === 1, 10000)) {
      check(true, 'the pause button pauses');
      await sleep(1000);
      await touchOptions(b);
      await tapGame(b, 160, 245);  // the menu's first row: the cursor goes there (it was on Options)
      await sleep(500);
      await tapGame(b, 160, 245);
      if (await waitFor(b, 'a tap on the pause menu\'s first item resumes', (s) => s.paused === 0, 10000))
        check(true, 'a tap on the pause menu\'s first item resumes');
      // The drag now goes half as far again.
      await sleep(1000);
      const from = await b.evaluate(stateExpr), c2 = await rectOf(b, '#canvas');
      const at = { x: c2.x + c2.w / 2, y: c2.y + c2.h / 3 };
      await touches(b, 'touchStart', [{ x: at.x, y: at.y, id: 1 }]);
      for (let i = 1; i <= 4; i++) {
        await sleep(30);
        await touches(b, 'touchMove', [{ x: at.x + 10 * i, y: at.y, id: 1 }]);
      }
      await touches(b, 'touchEnd', []);
      let left = 40 * 1.5 * 332 / c2.w, fastSteps = 0;
      while (left > 3) { left -= 6; fastSteps++; }
      await sleep(1500);
      const to = await b.evaluate(stateExpr);
      check(to.playerX - from.playerX === 6 * fastSteps && to.playerY === from.playerY,
            'after "Drag speed" 1.5 a drag moves the ship half as far again',
            `x ${from.playerX} -> ${to.playerX} (${fastSteps} steps for 40 CSS px)`);
    }

    // Play on, fire tapped and the ship swept, until the ship is lost with a
    // score that ranks (continuing by a tap on YES until then), then NO.
    let state = await b.evaluate(stateExpr), continues = 0, sweep = 1;
    const end = Date.now() + 480000;
    for (;;) {
      while (Date.now() < end && !(state.gameMode === 3 && state.stageNo === 1)) {
        await holdButton(b, '#touch .fire', 50);
        if (state.gameMode === 0 && (state.playerX < 60 || state.playerX > 240)) sweep = state.playerX < 60 ? 1 : -1;
        await touches(b, 'touchStart', [{ x: start.x, y: start.y, id: 1 }]);
        await touches(b, 'touchMove', [{ x: start.x + 8 * sweep, y: start.y, id: 1 }]);
        await touches(b, 'touchEnd', []);
        state = await b.evaluate(stateExpr);
      }
      if (Date.now() >= end || state.score > state.lowestHiScore) break;
      if (!(await answerQuestion(b, '#dlgYes'))) return;
      ++continues;
      await waitFor(b, 'a tap on YES continues', (s) => s.gameMode === 0 || s.gameMode === 4, 15000);
      state = await b.evaluate(stateExpr);
    }
    if (!check(state.gameMode === 3 && state.score > state.lowestHiScore, 'the touch game ends with a score that ranks',
               `${state.score} after ${continues} continue(s)`)) return;
    if (!(await answerQuestion(b, '#dlgNo'))) return;
    const asked = Date.now();
    while (Date.now() - asked < 30000 && !(await b.evaluate('document.getElementById("dialog").classList.contains("open")')))
      await sleep(100);
    if (!check(await b.evaluate('document.getElementById("dialog").classList.contains("open")'),
               'a tap on NO: the page asks for a name')) return;
    // The name is typed into the page's own field (a phone shows its keyboard
    // for it) and its OK button tapped.
    const field = await rectOf(b, '#dlgInput');
    await tapPoint(b, field.x + 10, field.y + field.h / 2);
    check(await b.evaluate('document.activeElement === document.getElementById("dlgInput")'),
          'a tap on the name field gives it the keyboard');
    await b.send('Input.insertText', { text: 'タッチ' });
    const ok = await rectOf(b, '#dlgYes');
    await tapPoint(b, ok.x + ok.w / 2, ok.y + ok.h / 2);
    if (await waitFor(b, 'the name typed by touch is in the table', (s) => s.hiNames.includes('タッチ'), 10000))
      check(true, 'the name typed by touch is in the table');
    await waitFor(b, 'the game goes back to its title', (s) => s.gameMode === 5, 120000);
    const saving = Date.now();
    while (Date.now() - saving < 30000 && (await b.evaluate('Module.tessivaneSaving()'))) await sleep(100);
    await sleep(1500);

    // Its replay, played natively.
    const replay = await newestReplay(b);
    if (!check(replay !== null, 'the touch game left a replay')) return;
    const file = path.join(workDir, 'touch-game.tvreplay');
    fs.writeFileSync(file, replay);
    const dump = path.join(workDir, 'touch-replay.json');
    let status = 0, out = '';
    try {
      out = execFileSync(headlessTool, ['--replay', file, '--dump', dump], { encoding: 'utf8', env: Object.assign({}, process.env,
        { XDG_DATA_HOME: path.join(workDir, 'touch-replay-data') }) });
    } catch (e) {
      status = e.status;
      out = String(e.stdout) + String(e.stderr);
    }
    const played = status === 0 && fs.existsSync(dump) ? JSON.parse(fs.readFileSync(dump, 'utf8')) : null;
    check(played && played.hiNames.includes('タッチ'),
          'the touch game\'s replay plays through in tessivane-headless to the same table',
          played ? JSON.stringify(played.hiNames) : `exit ${status}: ${out.slice(-400)}`);
    if (verifies(headlessTool)) {
      let verdict = 0;
      try { execFileSync(headlessTool, ['--verify', file], { stdio: 'ignore' }); } catch (e) { verdict = e.status; }
      check(verdict === 0, 'tessivane-headless --verify verifies the touch game\'s replay', `exit ${verdict}`);
    }
  } finally {
    await b.close();
  }
}

// Offline: the site loaded once (its service worker keeps it), the server
// stopped: the page loaded again starts and a game plays. Then a new build is
// served: the page takes it at its next start, whole.
async function offlineAndUpdate() {
  const copy = path.join(workDir, 'site-copy');
  fs.rmSync(copy, { recursive: true, force: true });
  fs.cpSync(siteDir, copy, { recursive: true });
  let site = await serveSite(copy, 0);
  const port = site.port, address = site.url;
  const b = await launch(freshProfile('chromium-offline'));
  try {
    await phoneScreen(b, false);
    await b.send('Page.navigate', { url: address });
    if (!(await waitFor(b, 'the copied site plays', (s) => s.gameMode === 5, 180000))) return;
    const kept = Date.now();
    while (Date.now() - kept < 180000 && !(await b.evaluate('!!navigator.serviceWorker.controller'))) await sleep(250);
    if (!check(await b.evaluate('!!navigator.serviceWorker.controller'), 'the service worker keeps the site')) return;
    const persisted = await b.evaluate('navigator.storage.persisted()');
    console.log(`      (storage persisted: ${persisted})`);
    await site.stop();
    await b.send('Page.reload', {});
    if (!(await waitFor(b, 'offline, the page loaded again starts the game', (s) => s.gameMode === 5, 60000))) return;
    check(true, 'offline, the page loaded again starts the game');
    await sleep(11000);
    await tapPoint(b, 5, 5);
    await tapGame(b, 160, 305);
    if (await waitFor(b, 'offline, a game starts and plays', (s) => s.gameMode === 0 && s.stageNo === 1 && s.scrollPos !== 0, 15000))
      check(true, 'offline, a game starts and plays');

    // A new build: another page, and so another identity.
    const index = path.join(copy, 'index.html');
    fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace('<head>', '<head>\n<meta name="test-build" content="2">'));
    execFileSync('python3', [path.join(__dirname, '..', '..', 'web', 'offline.py'), copy,
                             path.join(__dirname, '..', '..', 'web', 'sw.js')]);
    site = await serveSite(copy, port);
    await b.send('Page.reload', {});  // the old build still plays; the new one is fetched meanwhile
    await waitFor(b, 'the old build plays while the new one is fetched', (s) => s.gameMode === 5, 60000);
    const fetched = Date.now();
    while (Date.now() - fetched < 180000 &&
           !(await b.evaluate('navigator.serviceWorker.getRegistration().then((r) => !!(r && r.waiting))'))) await sleep(250);
    check(await b.evaluate('!document.querySelector("meta[name=test-build]")'), 'the running page stays on its own build');
    await b.send('Page.reload', {});  // the next start
    const taken = Date.now();
    let build = null;
    while (Date.now() - taken < 60000) {
      try {
        build = await b.evaluate('(() => { const m = document.querySelector("meta[name=test-build]"); ' +
                                 'return m && window.Module && Module._tessivane_state_json ? m.content : null; })()');
      } catch (e) { build = null; }
      if (build) break;
      await sleep(250);
    }
    check(build === '2', 'a new build is taken at the next start');
    if (build) await waitFor(b, 'the new build plays', (s) => s.gameMode === 5, 60000);
  } finally {
    await b.close();
    await site.stop();
  }
}

// Whether this tessivane-headless has --verify.
function verifies(tool) {
  try {
    return /--verify/.test(execFileSync(tool, ['--help'], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] }));
  } catch (e) {
    return /--verify/.test(String(e.stdout) + String(e.stderr));
  }
}

function headless(script, untilMs, extra = []) {
  const file = path.join(workDir, 'headless.script');
  fs.writeFileSync(file, script);
  const dump = path.join(workDir, 'headless.json');
  execFileSync(headlessTool, ['--seed', '1', '--input', file, '--until', String(untilMs), '--dump', dump, ...extra]);
  return JSON.parse(fs.readFileSync(dump, 'utf8'));
}

// A second tab of the site (opened from the first, as a player's would be):
// it must not play, and must say why.
async function openSecondTab(b) {
  await b.send('Runtime.evaluate', { expression: 'window.secondTab = window.open(location.href, "_blank"), 0',
                                     userGesture: true });
  const look = `(() => { const w = window.secondTab;
    if (!w || !w.document || !w.document.getElementById('dialog')) return null;
    let state = null;  // none until its game runs
    try { state = JSON.parse(w.UTF8ToString(w.Module._tessivane_state_json())); } catch (e) { /* not yet */ }
    return { dialog: w.document.getElementById('dialog').classList.contains('open'),
             text: w.document.getElementById('dlgText').textContent,
             status: w.document.getElementById('status').textContent,
             mode: state ? state.gameMode : null }; })()`;
  const end = Date.now() + 180000;
  let seen = null;
  while (Date.now() < end) {
    seen = await b.evaluate(look);
    if (seen && (seen.dialog || seen.mode === 5)) break;
    await sleep(200);
  }
  // (The game's own text: its language is settled only after this check.)
  if (!check(seen && seen.dialog && /多重起動はできません|already running/.test(seen.text),
             'a second tab says the game is already running instead of playing', JSON.stringify(seen))) return;
  await b.evaluate('window.secondTab.document.getElementById("dlgYes").click(), 0');
  await sleep(1000);
  seen = await b.evaluate(look);
  check(/another tab/.test(seen.status), 'the second tab says where the game plays', seen.status);
}

async function main() {
  url = (await serveSite(siteDir)).url;
  // TESSIVANE_BROWSER_PART=phone plays only the phone's and the offline part.
  if (process.env.TESSIVANE_BROWSER_PART === 'phone') {
    await playByTouch();
    await offlineAndUpdate();
    return;
  }
  let b = await launch();
  try {
    if (!(await openGame(b))) return;
    await sleep(11000);  // the opening flight, then the title menu stands still

    // The title, as tessivane-headless draws it.
    const shotFile = path.join(workDir, 'title-headless.png');
    headless('', 11500, ['--shot', '11000:' + shotFile]);
    const rect = await b.evaluate('(() => { const r = Module.canvas.getBoundingClientRect(); ' +
                                  'return { x: r.left, y: r.top, w: r.width, h: r.height, ' +
                                  'cw: Module.canvas.width, ch: Module.canvas.height, dpr: devicePixelRatio }; })()');
    check(Math.round(rect.w) === 332 && Math.round(rect.h) === 478, 'the picture is shown whole at 1:1 in this window',
          JSON.stringify(rect));
    const shot = await b.send('Page.captureScreenshot',
                              { format: 'png', clip: { x: rect.x, y: rect.y, width: 332, height: 478, scale: 1 } });
    fs.writeFileSync(path.join(workDir, 'title-browser.png'), Buffer.from(shot.data, 'base64'));
    const browserPicture = decodePng(Buffer.from(shot.data, 'base64'));
    const headlessPicture = decodePng(fs.readFileSync(shotFile));
    const share = similarity(browserPicture, headlessPicture, 40);
    const letters = brightOverlap(browserPicture, headlessPicture);
    check(share > 0.8 && letters > 0.8, 'the title picture matches tessivane-headless\'s',
          `${(100 * share).toFixed(1)}% alike, lettering ${(100 * letters).toFixed(1)}% in place`);

    const page = await b.send('Page.captureScreenshot', { format: 'png' });
    fs.writeFileSync(path.join(workDir, 'page.png'), Buffer.from(page.data, 'base64'));

    // A second tab, holding the storage as it was before this tab's game.
    await openSecondTab(b);
    await b.send('Page.bringToFront');
    check(await b.evaluate('document.visibilityState') === 'visible', 'the first tab is in front again');

    // The first click gives the game the keys.
    await b.evaluate('document.activeElement.blur(), 0');
    const cx = rect.x + 166, cy = rect.y + 239;
    for (const type of ['mousePressed', 'mouseReleased'])
      await b.send('Input.dispatchMouseEvent', { type, x: cx, y: cy, button: 'left', clickCount: 1 });
    check(await b.evaluate('document.activeElement === Module.canvas'), 'a click gives the game the keyboard');

    // Keys start stage 1 ...
    await tap(b, 'A');
    await sleep(1400);
    await tap(b, 'A');
    const playing = await waitFor(b, 'A, A starts stage 1', (s) => s.gameMode === 0 && s.stageNo === 1, 15000);
    if (!playing) return;
    check(true, 'A, A starts stage 1');
    // ... the music plays ...
    const music0 = await b.evaluate('Module._tessivane_music_position()');
    await sleep(1500);
    // ... and the ship moves, to the wall as in tessivane-headless.
    const before = await b.evaluate(stateExpr);
    // (long enough to reach the wall even on a slow machine)
    await key(b, 'Left', 'keyDown');
    await sleep(5000);
    await key(b, 'Left', 'keyUp');
    const after = await b.evaluate(stateExpr);
    check(after.playerX < before.playerX, 'Left moves the ship', `${before.playerX} -> ${after.playerX}`);
    const music1 = await b.evaluate('Module._tessivane_music_position()');
    check(music0 >= 0 && music1 > music0 + 3, 'the music\'s play position advances', `${music0} -> ${music1}`);
    const ref = headless('500 600 A\n2000 2100 A\n3600 8600 Left\n', 9000);
    for (const k of ['stageNo', 'wave', 'playerX', 'playerY', 'score'])
      check(after[k] === ref[k], `after the same keys, ${k} as in tessivane-headless`, `${after[k]} vs ${ref[k]}`);

    await pauseAndOptions(b);

    // Back to the middle, and play on, firing, until the ship is lost with a
    // score that ranks: the continue screen is answered Yes (play on) while
    // the score would not enter the table, so a slow machine that scores
    // little in one life still gets there.
    await tap(b, 'Right', 1500);
    let state = after;
    let continues = 0;
    const end = Date.now() + 480000;
    for (;;) {
      while (Date.now() < end && !(state.gameMode === 3 && state.stageNo === 1)) {
        await tap(b, 'A', 50);
        await sleep(50);
        state = await b.evaluate(stateExpr);
      }
      if (Date.now() >= end || state.score > state.lowestHiScore) break;
      await sleep(1000);
      await tap(b, 'A');  // YES: continue
      ++continues;
      await waitFor(b, 'a continue resumes play', (s) => s.gameMode === 0 || s.gameMode === 4, 15000);
      state = await b.evaluate(stateExpr);
    }
    if (!check(state.gameMode === 3 && state.stageNo === 1, 'the game reaches its continue screen', JSON.stringify(state))) return;
    check(state.score > state.lowestHiScore, 'the game scored enough to enter the table',
          `${state.score} after ${continues} continue(s)`);
    await sleep(1000);
    await tap(b, 'S');
    const asked = Date.now();
    while (Date.now() - asked < 30000 && !(await b.evaluate('document.getElementById("dialog").classList.contains("open")')))
      await sleep(100);
    if (!check(await b.evaluate('document.getElementById("dialog").classList.contains("open")'),
               'the page asks for a name')) return;
    const dialogShot = await b.send('Page.captureScreenshot', { format: 'png' });
    fs.writeFileSync(path.join(workDir, 'name-dialog.png'), Buffer.from(dialogShot.data, 'base64'));
    await b.evaluate('document.getElementById("dlgInput").value = "テスト大"; document.getElementById("dlgYes").click(), 0');
    const named = await waitFor(b, 'the name is in the table', (s) => s.hiNames.includes('テスト大'), 10000);
    if (named) check(true, 'the name is in the table');
    // Back at the title the game's replay is written; then the browser's
    // storage has everything.
    await waitFor(b, 'the game goes back to its title', (s) => s.gameMode === 5, 120000);
    const saving = Date.now();
    while (Date.now() - saving < 30000 && (await b.evaluate('Module.tessivaneSaving()'))) await sleep(100);
    await sleep(1000);
    // The second tab now puts a file in place, as a save of its own would:
    // it must not write its older copy of the storage over this game's.
    await b.evaluate(`(() => { try { window.secondTab.FS.writeFile('/home/web_user/second-tab', 'x'); }
                               catch (e) { /* its game has ended */ } return 0; })()`);
    await sleep(3000);
    await b.evaluate('window.secondTab.close(), 0');
    await sleep(1000);
    await b.close();

    // A new browser on the same profile: the name and the volume were kept.
    b = await launch();
    const again = await openGame(b);
    if (!again) return;
    check(again.hiNames.includes('テスト大'), 'the name is still there after the browser restarted',
          JSON.stringify(again.hiNames));
    check(!(await b.evaluate('FS.analyzePath("/home/web_user/second-tab").exists')),
          'the tab that did not play wrote nothing to the storage');
    check(again.settingValues[0] === 9 && (await b.evaluate('Module._tessivane_music_volume()')) === 115,
          'the music volume chosen in the options is kept after the browser restarted',
          String(again.settingValues[0]));
    // The page has the keys.
    await b.evaluate('Module.canvas.focus(), 0');
    if (await watchReplay(b)) await playWithPad(b);
  } finally {
    await b.close();
  }
  await playByTouch();
  await offlineAndUpdate();
}

main().then(() => {
  console.log(failures ? `${failures} check(s) failed` : 'all checks passed');
  process.exit(failures ? 1 : 0);
}, (e) => {
  console.error(e);
  process.exit(1);
});
