// The board page in Debian's headless Chromium, through the DevTools protocol:
//   node board_page_test.js URL NAME SCORE SHOT.png PROFILE_DIR
// - the four boards show, the normal one with the entry NAME at SCORE;
// - the name, which holds markup, shows as text (no element made of it);
// - on a phone's width the page does not run off the screen sideways.
'use strict';
const fs = require('fs');
const { launchChromium, sleep } = require('../support/chromium_devtools');

const [url, name, score, shot, profile] = process.argv.slice(2);
let failures = 0;
function check(ok, what, detail) {
  console.log((ok ? 'ok   ' : 'FAIL ') + what + (detail === undefined ? '' : ': ' + JSON.stringify(detail)));
  if (!ok) failures++;
}

async function main() {
  const { send, evaluate, close, listeners } = await launchChromium(profile);
  const events = [];
  listeners.push((msg) => events.push(msg));

  // A phone held upright.
  await send('Emulation.setDeviceMetricsOverride', { width: 390, height: 844, deviceScaleFactor: 2, mobile: true });
  await send('Page.navigate', { url: url + '/' });
  for (let i = 0; i < 100 && !events.some((e) => e.method === 'Page.loadEventFired'); i++) await sleep(100);

  const boards = await evaluate(`[...document.querySelectorAll('section.board')].map((s) => s.id)`);
  check(JSON.stringify(boards) === JSON.stringify(['normal', 'hard', 'hardest', 'easy']), 'the four boards show', boards);
  const rows = await evaluate(`[...document.querySelectorAll('#normal tbody tr')].map((r) =>
      [r.querySelector('td.name').textContent, r.querySelector('td.score').textContent])`);
  check(JSON.stringify(rows) === JSON.stringify([[name, score]]), 'the normal board lists the game', rows);
  check(await evaluate(`document.querySelectorAll('td.name *').length`) === 0,
        'the name with markup shows as text');
  check(await evaluate(`[...document.querySelectorAll('#hard p.empty, #hardest p.empty, #easy p.empty')].length`) === 3,
        'the empty boards say so');
  const widths = await evaluate(`[document.documentElement.scrollWidth, window.innerWidth]`);
  check(widths[0] <= widths[1], 'the page fits a phone\'s width', widths);
  const picture = await send('Page.captureScreenshot', { format: 'png' });
  fs.writeFileSync(shot, Buffer.from(picture.data, 'base64'));
  await close();
  process.exit(failures ? 1 : 0);
}

main().catch((e) => { console.error(e); process.exit(1); });
