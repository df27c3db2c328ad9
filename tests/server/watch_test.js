// "Watch" on the board page, in Debian's headless Chromium: the server's
// /watch/ID opens the web build it serves on the ranked replay, fetched from
// the server, and the game plays it (Space held runs it four frames to a
// picture) to the replay's score.
//   node watch_test.js BOARD_URL ID SCORE PROFILE_DIR
'use strict';
const { launchChromium, sleep } = require('../support/chromium_devtools');

const [board, id, score, profile] = process.argv.slice(2);

async function main() {
  const browser = await launchChromium(profile, ['--autoplay-policy=no-user-gesture-required', '--window-size=520,800']);
  const { send, log } = browser;
  // Between pages (and before the game is there) an expression may throw: null.
  const evaluate = (expression) => browser.evaluate(expression).catch(() => null);
  const space = { key: ' ', code: 'Space', windowsVirtualKeyCode: 32 };

  await send('Page.navigate', { url: `${board}/watch/${id}` });
  // The game plays the replay; the state probe shows its score.
  const end = Date.now() + 240000;
  let best = null, watching = false, focused = false, last = null;
  while (Date.now() < end) {
    const search = await evaluate('location.search');
    const state = await evaluate(
      'Module._tessivane_state_json ? JSON.parse(UTF8ToString(Module._tessivane_state_json())) : null');
    if (search && decodeURIComponent(search) === `?watch=/api/replays/${id}/file`) watching = true;
    if (watching && state && !focused && state.gameMode === 0) {
      await evaluate('Module.canvas.focus(), 0');
      await send('Input.dispatchKeyEvent', Object.assign({ type: 'keyDown' }, space));
      focused = true;
    }
    if (watching && state && search) best = Math.max(best || 0, state.score);
    if (state) last = { search, gameMode: state.gameMode, score: state.score, stageNo: state.stageNo };
    if (best === Number(score)) break;
    await sleep(100);
  }
  const ok = watching && best === Number(score);
  console.log((ok ? 'ok   ' : 'FAIL ') + `watching replay ${id} from the board reaches its score ${score}` +
              `: watching ${watching}, the best score shown ${best}` +
              (ok ? '' : `; last ${JSON.stringify(last)}\n${log.slice(-20).join('\n')}`));
  await browser.close();
  process.exit(ok ? 0 : 1);
}

main().catch((e) => { console.error(e); process.exit(1); });
